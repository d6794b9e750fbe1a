#include "parsers/FeedReader.h"

#include "text/Dates.h"
#include "text/TextCodec.h"
#include "web/Encoding.h"

#include <QStringDecoder>
#include <QTimeZone>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace Feeds {

namespace {

constexpr QStringView kAtomNs = u"http://www.w3.org/2005/Atom";
constexpr QStringView kRss1Ns = u"http://purl.org/rss/1.0/";
constexpr QStringView kRss09Ns = u"http://my.netscape.com/rdf/simple/0.9/";
constexpr QStringView kRdfNs = u"http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr QStringView kDcNs = u"http://purl.org/dc/elements/1.1/";

// Internal entities may not expand past this many characters in one reference: a feed that
// needs more is an attack (nested entities doubling at each level), not a headline.
constexpr int kEntityExpansionLimit = 1024;

// ---- text ---------------------------------------------------------------------------------

bool IsAsciiSpace(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

// Runs of ASCII white space become one blank, none at either end. Full-width blanks are text.
QString NormalizeSpace(QStringView text);

// The same, keeping the string itself (no copy) when it is in shape already, as most are.
QString NormalizeSpace(const QString& text) {
    bool clean = text.isEmpty() || (!IsAsciiSpace(text.front()) && !IsAsciiSpace(text.back()));
    for (qsizetype i = 0; clean && i < text.size(); ++i) {
        const QChar c = text[i];
        clean = !IsAsciiSpace(c) || (c == u' ' && !IsAsciiSpace(text[i + 1]));
    }
    return clean ? text : NormalizeSpace(QStringView(text));
}

QString NormalizeSpace(QStringView text) {
    QString out;
    out.reserve(text.size());
    bool pending = false;
    for (const QChar c : text) {
        if (IsAsciiSpace(c)) {
            pending = !out.isEmpty();
            continue;
        }
        if (pending)
            out += QLatin1Char(' ');
        pending = false;
        out += c;
    }
    return out;
}

// Markup out of an HTML fragment. A "<" that opens no tag ("a < b", "<" at the end, no ">"
// behind it) is text; <br> leaves a blank so that two lines do not run together.
QString StripTags(QStringView html) {
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    // Once no ">" (no "-->") follows, none will for a later "<" either: searching again for
    // every "<" would make a long run of them quadratic.
    bool tagEndAhead = true;
    bool commentEndAhead = true;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = html[i];
        const QChar next = i + 1 < n ? html[i + 1] : QChar();
        const bool opens =
            c == u'<' && (next.isLetter() || next == u'/' || next == u'!' || next == u'?');
        const bool comment = opens && html.sliced(i).startsWith(u"<!--");
        qsizetype end = -1;
        if (opens && comment && commentEndAhead) {
            end = html.indexOf(u"-->", i + 4);
            commentEndAhead = end >= 0;
        } else if (opens && !comment && tagEndAhead) {
            end = html.indexOf(u'>', i + 1);
            tagEndAhead = end >= 0;
        }
        if (end < 0) {
            out += c;
            ++i;
            continue;
        }
        const QStringView tag = html.sliced(i + 1, end - i - 1);
        if (tag.startsWith(u"br", Qt::CaseInsensitive) &&
            (tag.size() == 2 || !tag[2].isLetterOrNumber()))
            out += QLatin1Char(' ');
        i = end + (comment ? 3 : 1);
    }
    return out;
}

// The named references feeds use in titles; anything else stays as written.
QString NamedReference(QStringView name) {
    static const std::array<std::pair<const char16_t*, char16_t>, 30> table = {{
        {u"amp", u'&'},         {u"lt", u'<'},          {u"gt", u'>'},
        {u"quot", u'"'},        {u"apos", u'\''},       {u"nbsp", u'\u00A0'},
        {u"hellip", u'\u2026'}, {u"mdash", u'\u2014'},  {u"ndash", u'\u2013'},
        {u"laquo", u'\u00AB'},  {u"raquo", u'\u00BB'},  {u"lsquo", u'\u2018'},
        {u"rsquo", u'\u2019'},  {u"ldquo", u'\u201C'},  {u"rdquo", u'\u201D'},
        {u"middot", u'\u00B7'}, {u"bull", u'\u2022'},   {u"copy", u'\u00A9'},
        {u"reg", u'\u00AE'},    {u"trade", u'\u2122'},  {u"yen", u'\u00A5'},
        {u"times", u'\u00D7'},  {u"divide", u'\u00F7'}, {u"deg", u'\u00B0'},
        {u"plusmn", u'\u00B1'}, {u"euro", u'\u20AC'},   {u"sect", u'\u00A7'},
        {u"larr", u'\u2190'},   {u"rarr", u'\u2192'},   {u"ensp", u'\u2002'},
    }};
    for (const auto& [key, value] : table) {
        if (name == QStringView(key))
            return QString(QChar(value));
    }
    return QString();
}

// "&#38;", "&#x26;" and the named references above; a reference that does not decode is text.
QString DecodeReferences(QStringView text) {
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        // The longest reference we know fits in a dozen characters; look no further.
        const qsizetype semi = c == u'&' ? text.first(qMin(n, i + 13)).indexOf(u';', i + 1) : -1;
        if (semi < 0) {
            out += c;
            ++i;
            continue;
        }
        const QStringView body = text.sliced(i + 1, semi - i - 1);
        QString decoded;
        if (body.size() > 1 && body[0] == u'#') {
            bool ok = false;
            const bool hex = body[1] == u'x' || body[1] == u'X';
            const uint code = hex ? body.sliced(2).toUInt(&ok, 16) : body.sliced(1).toUInt(&ok, 10);
            if (ok && !(hex && body.size() == 2)) {
                const bool valid = code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
                const char32_t unit = valid ? char32_t(code) : U'\uFFFD';
                decoded = QString::fromUcs4(&unit, 1);
            }
        } else {
            decoded = NamedReference(body);
        }
        if (decoded.isEmpty()) {
            out += c;
            ++i;
            continue;
        }
        out += decoded;
        i = semi + 1;
    }
    return out;
}

enum class TitleKind { Html, Text, Xhtml };

QString CleanTitle(const QString& raw, TitleKind kind) {
    if (kind != TitleKind::Html)
        return NormalizeSpace(raw);
    QString text = raw;
    if (text.contains(u'<'))
        text = StripTags(text);
    if (text.contains(u'&'))
        text = DecodeReferences(text);
    // A no-break space is a blank in a one-line headline.
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return NormalizeSpace(text);
}

// ---- bytes to text ------------------------------------------------------------------------

QByteArray Unquoted(QByteArray value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2).trimmed();
    return value;
}

// The charset parameter of a Content-Type value.
QByteArray HeaderCharset(const QByteArray& contentType) {
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts[i].trimmed();
        const qsizetype eq = part.indexOf('=');
        if (eq > 0 && part.first(eq).trimmed().toLower() == "charset")
            return Unquoted(part.sliced(eq + 1));
    }
    return {};
}

// The encoding pseudo-attribute of an XML declaration at the very start of the bytes.
QByteArray DeclaredCharset(const QByteArray& body) {
    QByteArrayView head = QByteArrayView(body).first(qMin<qsizetype>(body.size(), 512));
    if (!head.startsWith("<?xml"))
        return {};
    const qsizetype end = head.indexOf("?>");
    if (end < 0)
        return {};
    head = head.first(end);
    const qsizetype at = head.indexOf("encoding");
    if (at < 0)
        return {};
    qsizetype i = at + 8;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' ||
                               head[i] == '\n' || head[i] == '='))
        ++i;
    if (i >= head.size() || (head[i] != '"' && head[i] != '\''))
        return {};
    const qsizetype close = head.indexOf(head[i], i + 1);
    return close < 0 ? QByteArray() : head.sliced(i + 1, close - i - 1).trimmed().toByteArray();
}

QString Detected(const QByteArray& body) {
    QByteArray copy = body;
    return modNkf32::ConvertToShiftJisText(copy);
}

bool IsUtf8Label(const QByteArray& label) {
    const QByteArray l = label.toLower();
    return l == "utf-8" || l == "utf8";
}

// The feed as the XML reader takes it: the bytes themselves when they are UTF-8 and say nothing
// else (the common case, read without a round trip through UTF-16), otherwise decoded text,
// which locks the reader's encoding so that the declaration's label is not used again.
struct Decoded {
    QByteArray utf8;
    QString text;
    bool isText = true;
};

// The header's charset first, then the declaration's, then UTF-8; a byte order mark beats both.
// A feed whose bytes do not fit the charset it names is read as the detector sees it, when that
// reading has fewer bad characters: servers lie about charsets more often than detectors fail.
Decoded DecodeBody(const QByteArray& body, const QByteArray& contentType) {
    Decoded d;
    if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(body.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                           : QStringConverter::Utf16BE);
        d.text = decoder(QByteArrayView(body).sliced(2));
        return d;
    }
    if (body.startsWith("\xEF\xBB\xBF")) {
        d.text = QString::fromUtf8(QByteArrayView(body).sliced(3));
        return d;
    }
    const QByteArray declared = DeclaredCharset(body);
    QByteArray label = HeaderCharset(contentType);
    if (label.isEmpty())
        label = declared;
    if (label.isEmpty() || IsUtf8Label(label)) {
        if (Common::IsValidUtf8(body)) {
            if (declared.isEmpty() || IsUtf8Label(declared)) {
                d.utf8 = body;
                d.isText = false;
            } else {
                d.text = QString::fromUtf8(body);
            }
            return d;
        }
        if (label.isEmpty()) {
            d.text = Detected(body);
            return d;
        }
    }
    qsizetype bad = 0;
    const std::optional<QString> text = modNkf32::DecodeLabelled(body, label, &bad);
    if (text && bad == 0) {
        d.text = *text;
        return d;
    }
    const QString guessed = Detected(body);
    if (!text || (!guessed.isEmpty() && guessed.count(QChar(QChar::ReplacementCharacter)) < bad))
        d.text = guessed;
    else
        d.text = *text;
    return d;
}

// ---- addresses ----------------------------------------------------------------------------

bool HasScheme(QStringView link) {
    if (link.isEmpty() || !(link[0].unicode() < 0x80 && link[0].isLetter()))
        return false;
    for (qsizetype i = 1; i < link.size(); ++i) {
        const QChar c = link[i];
        if (c == u':')
            return true;
        if (!(c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.')))
            return false;
    }
    return false;
}

QString Resolve(const QString& raw, const QUrl& base) {
    const QString link = NormalizeSpace(raw);
    if (link.isEmpty() || HasScheme(link) || !base.isValid() || base.isRelative())
        return link;
    const QUrl relative(link);
    if (!relative.isValid())
        return link;
    return base.resolved(relative).toString();
}

// ---- dates -------------------------------------------------------------------------------

// A date as the feed wrote it: wall-clock fields and the zone's offset, if it named one.
struct FeedDate {
    QDate date;
    QTime time;
    bool hasZone = false;
    int offset = 0; // seconds east of UTC
};

// Reads a feed date's text left to right; every step fails softly on anything unexpected.
class DateScanner {
public:
    explicit DateScanner(QStringView text) : t_(text) {}

    bool AtEnd() const { return i_ >= t_.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : t_[i_]; }
    bool Take(char16_t c) {
        if (Peek() != c)
            return false;
        ++i_;
        return true;
    }
    void SkipBlanks() {
        while (Peek() == u' ')
            ++i_;
    }
    // Between min and max ASCII digits (max stays at four: no overflow); -1 when fewer than min.
    int Number(int min, int max, int* count = nullptr) {
        int value = 0, n = 0;
        while (n < max && !AtEnd() && t_[i_] >= u'0' && t_[i_] <= u'9') {
            value = value * 10 + (t_[i_].unicode() - u'0');
            ++i_;
            ++n;
        }
        if (count)
            *count = n;
        return n >= min ? value : -1;
    }
    void SkipDigits() {
        while (!AtEnd() && t_[i_] >= u'0' && t_[i_] <= u'9')
            ++i_;
    }
    QStringView Word() {
        const qsizetype start = i_;
        while (!AtEnd() && t_[i_].unicode() < 0x80 && t_[i_].isLetter())
            ++i_;
        return t_.sliced(start, i_ - start);
    }
    qsizetype Position() const { return i_; }
    QStringView Rest() const { return t_.sliced(i_); }
    void Skip(qsizetype n) { i_ += n; }

private:
    QStringView t_;
    qsizetype i_ = 0;
};

int MonthOf(QStringView name) {
    static const char16_t* const months[] = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                             u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
    if (name.size() < 3 || name.size() > 9)
        return 0;
    for (int i = 0; i < 12; ++i) {
        if (name.first(3).compare(QStringView(months[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

bool IsDayName(QStringView name) {
    static const char16_t* const days[] = {u"mon", u"tue", u"wed", u"thu", u"fri", u"sat", u"sun"};
    if (name.size() < 3 || name.size() > 9)
        return false;
    return std::any_of(std::begin(days), std::end(days), [&](const char16_t* d) {
        return name.first(3).compare(QStringView(d), Qt::CaseInsensitive) == 0;
    });
}

// "+0900", "-05:00", "+09" (hours alone only where allowHoursOnly): seconds east of UTC.
bool NumericOffset(DateScanner& s, bool allowHoursOnly, int& seconds) {
    const QChar sign = s.Peek();
    if (sign != u'+' && sign != u'-')
        return false;
    s.Skip(1);
    const int hours = s.Number(2, 2);
    if (hours < 0)
        return false;
    int minutes = 0;
    const bool colon = s.Take(u':');
    int digits = 0;
    const int m = s.Number(2, 2, &digits);
    if (m >= 0)
        minutes = m;
    else if (colon || digits > 0 || !allowHoursOnly)
        return false;
    if (hours > 14 || minutes >= 60)
        return false;
    seconds = (hours * 3600 + minutes * 60) * (sign == u'-' ? -1 : 1);
    return true;
}

// Seconds east of UTC for an RFC 822 zone name; false for a name we do not know.
bool NamedZone(QStringView zone, int& seconds) {
    static const std::pair<const char16_t*, int> names[] = {
        {u"UT", 0},   {u"UTC", 0},  {u"GMT", 0},  {u"Z", 0},    {u"EST", -5},
        {u"EDT", -4}, {u"CST", -6}, {u"CDT", -5}, {u"MST", -7}, {u"MDT", -6},
        {u"PST", -8}, {u"PDT", -7}, {u"JST", 9},
    };
    for (const auto& [name, hours] : names) {
        if (zone.compare(QStringView(name), Qt::CaseInsensitive) == 0) {
            seconds = hours * 3600;
            return true;
        }
    }
    // The military letters' signs were defined backwards once; they mean nothing but "some zone".
    if (zone.size() == 1 && zone[0].toUpper() != u'J') {
        seconds = 0;
        return true;
    }
    return false;
}

std::optional<FeedDate> Make(int year, int month, int day, int hour, int minute, int second,
                             int milliseconds, bool hasZone, int offset) {
    // A leap second is shown as the last second of its minute.
    if (second == 60)
        second = 59;
    FeedDate d;
    d.date = QDate(year, month, day);
    d.time = QTime(hour, minute, second, milliseconds);
    if (!d.date.isValid() || !d.time.isValid())
        return std::nullopt;
    d.hasZone = hasZone;
    d.offset = offset;
    return d;
}

// [Day[,]] D[D] Mon YY[YY] H[H]:MM[:SS] [zone] [(comment)]; "-" may stand for the blanks
// around the month.
std::optional<FeedDate> ReadRfc822(QStringView text) {
    DateScanner s(text);
    if (s.Peek().isLetter()) {
        if (!IsDayName(s.Word()))
            return std::nullopt;
        s.SkipBlanks();
        s.Take(u',');
        s.SkipBlanks();
    }
    const int day = s.Number(1, 2);
    const auto separator = [&s] {
        bool any = false;
        while (s.Take(u' ') || s.Take(u'-'))
            any = true;
        return any;
    };
    if (day < 0 || !separator())
        return std::nullopt;
    const int month = MonthOf(s.Word());
    s.Take(u'.');
    if (month == 0 || !separator())
        return std::nullopt;
    int yearDigits = 0;
    int year = s.Number(2, 4, &yearDigits);
    if (year < 0 || !s.Take(u' '))
        return std::nullopt;
    if (yearDigits == 2)
        year += year < 50 ? 2000 : 1900;
    else if (yearDigits == 3)
        year += 1900;
    s.SkipBlanks();
    const int hour = s.Number(1, 2);
    if (hour < 0 || !s.Take(u':'))
        return std::nullopt;
    const int minute = s.Number(2, 2);
    int second = 0;
    if (minute < 0 || (s.Take(u':') && (second = s.Number(2, 2)) < 0))
        return std::nullopt;
    s.SkipBlanks();
    bool hasZone = false;
    int offset = 0;
    if (s.Peek() == u'+' || s.Peek() == u'-') {
        if (!NumericOffset(s, false, offset))
            return std::nullopt;
        hasZone = true;
    } else if (s.Peek().isLetter()) {
        if (!NamedZone(s.Word(), offset))
            return std::nullopt;
        hasZone = true;
    }
    s.SkipBlanks();
    if (s.Take(u'(')) {
        const qsizetype close = s.Rest().indexOf(u')');
        if (close < 0)
            return std::nullopt;
        s.Skip(close + 1);
        s.SkipBlanks();
    }
    if (!s.AtEnd())
        return std::nullopt;
    return Make(year, month, day, hour, minute, second, 0, hasZone, offset);
}

// YYYY[-MM[-DD[Thh:mm[:ss[.s…]][Z|±hh[[:]mm]]]]], "T" also a blank, letters in either case.
std::optional<FeedDate> ReadW3c(QStringView text) {
    DateScanner s(text);
    const int year = s.Number(4, 4);
    int month = 1, day = 1, hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool hasZone = false;
    int offset = 0;
    if (year < 0)
        return std::nullopt;
    if (s.Take(u'-')) {
        if ((month = s.Number(2, 2)) < 0)
            return std::nullopt;
        if (s.Take(u'-')) {
            if ((day = s.Number(2, 2)) < 0)
                return std::nullopt;
            if (s.Take(u'T') || s.Take(u't') || s.Take(u' ')) {
                hour = s.Number(2, 2);
                if (hour < 0 || !s.Take(u':') || (minute = s.Number(2, 2)) < 0)
                    return std::nullopt;
                if (s.Take(u':')) {
                    if ((second = s.Number(2, 2)) < 0)
                        return std::nullopt;
                    if (s.Take(u'.') || s.Take(u',')) {
                        int digits = 0;
                        const int fraction = s.Number(1, 3, &digits);
                        if (fraction < 0)
                            return std::nullopt;
                        milliseconds = fraction * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
                        s.SkipDigits(); // beyond milliseconds
                    }
                }
                s.SkipBlanks();
                if (s.Take(u'Z') || s.Take(u'z')) {
                    hasZone = true;
                } else if (s.Peek() == u'+' || s.Peek() == u'-') {
                    if (!NumericOffset(s, true, offset))
                        return std::nullopt;
                    hasZone = true;
                }
            }
        }
    }
    if (!s.AtEnd())
        return std::nullopt;
    return Make(year, month, day, hour, minute, second, milliseconds, hasZone, offset);
}

std::optional<FeedDate> ReadDate(const QString& text) {
    // Dates are short: anything longer is not one, and need not be copied to find that out.
    if (text.size() > 256)
        return std::nullopt;
    const QString trimmed = NormalizeSpace(text);
    if (trimmed.isEmpty() || trimmed.size() > 64)
        return std::nullopt;
    if (trimmed.size() >= 4 && trimmed.at(0).isDigit() && trimmed.at(2).isDigit() &&
        trimmed.at(3).isDigit())
        return ReadW3c(trimmed);
    return ReadRfc822(trimmed);
}

// ---- the document -------------------------------------------------------------------------

enum class Field {
    Skip,
    Title,
    Link,
    Guid,
    PubDate,
    DcDate,
    Published,
    Updated,
    Category,
    DcSubject,
    DcIdentifier
};

// One entry as it is read; turned into a FeedItem at its end.
struct Pending {
    QString title;
    TitleKind titleKind = TitleKind::Html;
    bool hasTitle = false;
    QString link;
    QUrl linkBase;
    int linkRank = 0; // 2: alternate or no rel, 1: another rel, 0: none yet
    QString guid;
    bool guidIsLink = false;
    QUrl guidBase;
    QString category;
    bool hasCategory = false;
    QString subject;
    QString identifier;
    QString about;
    // By preference: the format's own date first.
    std::array<QString, 4> dates;
};

QString ReasonOf(QXmlStreamReader::Error error) {
    switch (error) {
    case QXmlStreamReader::PrematureEndOfDocumentError:
        return QStringLiteral("文書が途中で終わっています");
    case QXmlStreamReader::UnexpectedElementError:
        return QStringLiteral("予期しない要素があります");
    case QXmlStreamReader::CustomError:
    case QXmlStreamReader::NotWellFormedError:
    case QXmlStreamReader::NoError:
        break;
    }
    return QStringLiteral("XML の形式に誤りがあります");
}

class Reader {
public:
    Reader(const Decoded& input, const QString& address)
        : xml_(input.isText ? QXmlStreamReader(input.text) : QXmlStreamReader(input.utf8)),
          base_(address), zone_(QTimeZone::systemTimeZone()) {
        xml_.setEntityExpansionLimit(kEntityExpansionLimit);
    }

    FeedParse Run() {
        FeedParse result;
        if (!FindRoot(result))
            return result;
        qint64 depth = 1;
        PushBase(depth);
        while (!xml_.hasError()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) {
                ++depth;
                PushBase(depth);
                if (IsEntry()) {
                    Pending pending;
                    if (ReadEntry(depth, pending))
                        result.Items.append(Finish(pending));
                    PopBase(depth);
                    --depth;
                }
            } else if (token == QXmlStreamReader::EndElement) {
                PopBase(depth);
                // Whatever follows the root element is no business of ours.
                if (--depth == 0)
                    return result;
            } else if (token == QXmlStreamReader::EndDocument ||
                       token == QXmlStreamReader::Invalid) {
                break;
            }
        }
        SetFault(result);
        return result;
    }

private:
    bool FindRoot(FeedParse& result) {
        while (!xml_.atEnd()) {
            if (xml_.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml_.name();
            const QStringView ns = xml_.namespaceUri();
            if (name == u"rss" && ns.isEmpty())
                format_ = FeedFormat::Rss2;
            else if (name == u"RDF" && ns == kRdfNs)
                format_ = FeedFormat::Rss1;
            else if (name == u"feed" && ns == kAtomNs)
                format_ = FeedFormat::Atom;
            result.Format = format_;
            if (format_ == FeedFormat::Unknown)
                result.Fault =
                    QStringLiteral("RSS / Atom のフィードではありません（最初の要素は %1）")
                        .arg(xml_.qualifiedName());
            return format_ != FeedFormat::Unknown;
        }
        if (xml_.hasError() && xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            SetFault(result);
        else
            result.Fault = QStringLiteral("フィードの要素がありません");
        return false;
    }

    void SetFault(FeedParse& result) {
        const QXmlStreamReader::Error error =
            xml_.hasError() ? xml_.error() : QXmlStreamReader::PrematureEndOfDocumentError;
        result.Fault = QStringLiteral("XML の %1 行目で読み取りを打ち切りました（%2）")
                           .arg(xml_.lineNumber())
                           .arg(ReasonOf(error));
    }

    // Namespaces in which the format's own element names live.
    bool InFormatNs(QStringView ns) const {
        switch (format_) {
        case FeedFormat::Rss2:
            return ns.isEmpty();
        case FeedFormat::Rss1:
            return ns == kRss1Ns || ns == kRss09Ns || ns.isEmpty();
        case FeedFormat::Atom:
            return ns == kAtomNs;
        case FeedFormat::Unknown:
            break;
        }
        return false;
    }

    bool IsEntry() const {
        const QStringView name = xml_.name();
        const bool named = format_ == FeedFormat::Atom ? name == u"entry" : name == u"item";
        return named && InFormatNs(xml_.namespaceUri());
    }

    Field Classify() const {
        const QStringView name = xml_.name();
        const QStringView ns = xml_.namespaceUri();
        if (ns == kDcNs) {
            if (name == u"date")
                return Field::DcDate;
            if (name == u"subject")
                return Field::DcSubject;
            if (name == u"identifier")
                return Field::DcIdentifier;
            return Field::Skip;
        }
        if (!InFormatNs(ns))
            return Field::Skip;
        if (name == u"title")
            return Field::Title;
        if (name == u"link")
            return Field::Link;
        if (name == u"category")
            return Field::Category;
        if (format_ == FeedFormat::Atom) {
            if (name == u"id")
                return Field::Guid;
            if (name == u"published")
                return Field::Published;
            if (name == u"updated")
                return Field::Updated;
            return Field::Skip;
        }
        if (name == u"guid")
            return Field::Guid;
        if (name == u"pubDate")
            return Field::PubDate;
        return Field::Skip;
    }

    // xml:base of the element just started, resolved against the one in effect.
    void PushBase(qint64 depth) {
        const QStringView base = xml_.attributes().value(QLatin1StringView("xml:base"));
        if (base.isNull())
            return;
        const QUrl here = bases_.isEmpty() ? base_ : bases_.last().second;
        const QUrl url(base.trimmed().toString());
        bases_.append({depth, here.isValid() && !here.isRelative() ? here.resolved(url) : url});
    }

    void PopBase(qint64 depth) {
        if (!bases_.isEmpty() && bases_.last().first == depth)
            bases_.removeLast();
    }

    QUrl Base() const { return bases_.isEmpty() ? base_ : bases_.last().second; }

    // The character data of the current element and all inside it; the reader ends on its end
    // element. References to entities nobody declared (a DTD that is not read) are decoded when
    // they are HTML's usual ones.
    QString ReadText() {
        QString text;
        int open = 1;
        while (open > 0 && !xml_.hasError()) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::Characters:
                text += xml_.text();
                break;
            case QXmlStreamReader::EntityReference: {
                const QString named = NamedReference(xml_.name());
                text += named.isEmpty() ? u'&' + xml_.name().toString() + u';' : named;
                break;
            }
            case QXmlStreamReader::StartElement:
                ++open;
                break;
            case QXmlStreamReader::EndElement:
                --open;
                break;
            case QXmlStreamReader::EndDocument:
            case QXmlStreamReader::Invalid:
                return text;
            default:
                break;
            }
        }
        return text;
    }

    // Reads one item or entry up to its end element; false when the document breaks inside.
    bool ReadEntry(qint64 depth, Pending& p) {
        if (format_ == FeedFormat::Rss1)
            p.about = xml_.attributes()
                          .value(QLatin1StringView("http://www.w3.org/1999/02/22-rdf-syntax-ns#"),
                                 QLatin1StringView("about"))
                          .toString();
        while (!xml_.hasError()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement)
                return true;
            if (token == QXmlStreamReader::EndDocument || token == QXmlStreamReader::Invalid)
                return false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            PushBase(depth + 1);
            ReadField(p);
            PopBase(depth + 1);
        }
        return false;
    }

    void ReadField(Pending& p) {
        switch (Classify()) {
        case Field::Title: {
            const QStringView type = xml_.attributes().value(QLatin1StringView("type"));
            // Atom's text is text unless it says otherwise; RSS titles carry HTML in practice.
            TitleKind kind = TitleKind::Html;
            if (format_ == FeedFormat::Atom)
                kind = type == u"html"    ? TitleKind::Html
                       : type == u"xhtml" ? TitleKind::Xhtml
                                          : TitleKind::Text;
            const QString text = ReadText();
            if (!p.hasTitle) {
                p.title = text;
                p.titleKind = kind;
                p.hasTitle = true;
            }
            return;
        }
        case Field::Link:
            if (format_ == FeedFormat::Atom) {
                const QXmlStreamAttributes attributes = xml_.attributes();
                const QStringView rel = attributes.value(QLatin1StringView("rel"));
                const int rank = rel.isEmpty() || rel.trimmed() == u"alternate" ? 2 : 1;
                const QStringView href = attributes.value(QLatin1StringView("href"));
                if (rank > p.linkRank && !href.trimmed().isEmpty()) {
                    p.link = href.toString();
                    p.linkBase = Base();
                    p.linkRank = rank;
                }
                xml_.skipCurrentElement();
            } else {
                const QUrl base = Base();
                const QString text = ReadText();
                if (p.linkRank == 0 && !NormalizeSpace(text).isEmpty()) {
                    p.link = text;
                    p.linkBase = base;
                    p.linkRank = 2;
                }
            }
            return;
        case Field::Guid: {
            const QStringView permaLink = xml_.attributes().value(QLatin1StringView("isPermaLink"));
            const bool isLink = format_ == FeedFormat::Rss2 && permaLink.trimmed() != u"false";
            const QUrl base = Base();
            const QString text = ReadText();
            if (p.guid.isEmpty()) {
                p.guid = NormalizeSpace(text);
                p.guidIsLink = isLink;
                p.guidBase = base;
            }
            return;
        }
        case Field::Category:
            if (!p.hasCategory) {
                if (format_ == FeedFormat::Atom) {
                    const QXmlStreamAttributes attributes = xml_.attributes();
                    const QStringView label = attributes.value(QLatin1StringView("label"));
                    p.category = NormalizeSpace(label.trimmed().isEmpty()
                                                    ? attributes.value(QLatin1StringView("term"))
                                                    : label);
                } else {
                    p.category = NormalizeSpace(ReadText());
                }
                p.hasCategory = !p.category.isEmpty();
            }
            break;
        case Field::DcSubject:
            if (p.subject.isEmpty())
                p.subject = NormalizeSpace(ReadText());
            break;
        case Field::DcIdentifier:
            if (p.identifier.isEmpty())
                p.identifier = NormalizeSpace(ReadText());
            break;
        case Field::PubDate:
            SetDate(p, format_ == FeedFormat::Rss2 ? 0 : 1);
            return;
        case Field::DcDate:
            SetDate(p, format_ == FeedFormat::Rss1 ? 0 : format_ == FeedFormat::Rss2 ? 1 : 2);
            return;
        case Field::Published:
            SetDate(p, 0);
            return;
        case Field::Updated:
            SetDate(p, 1);
            return;
        case Field::Skip:
            break;
        }
        if (xml_.isStartElement())
            xml_.skipCurrentElement();
    }

    void SetDate(Pending& p, int rank) {
        const QString text = ReadText();
        if (p.dates[rank].isEmpty())
            p.dates[rank] = text;
    }

    FeedItem Finish(const Pending& p) const {
        FeedItem item;
        item.Title = CleanTitle(p.title, p.titleKind);
        if (p.linkRank > 0)
            item.Link = Resolve(p.link, p.linkBase);
        else if (p.guidIsLink && HasScheme(p.guid))
            item.Link = p.guid;
        else if (!p.about.isEmpty())
            item.Link = Resolve(p.about, Base());
        item.Guid = !p.guid.isEmpty() ? p.guid : !p.about.isEmpty() ? p.about : p.identifier;
        item.Category = p.hasCategory ? p.category : p.subject;
        for (const QString& text : p.dates) {
            if (text.isEmpty())
                continue;
            if (const auto when = ReadDate(text)) {
                item.Posted = LocalOle(*when);
                break;
            }
        }
        return item;
    }

    // Dates::ToOle's value, computed from the fields: converting through QDateTime and the C
    // library's local time would read the zone file again for every item, which costs more than
    // the rest of the parse. The zone is looked up once per feed.
    double LocalOle(const FeedDate& d) const {
        constexpr qint64 msPerDay = 86400000;
        // Days from the OLE epoch (1899-12-30) to the Unix epoch.
        constexpr qint64 oleToUnixDays = 25569;
        qint64 localMs;
        if (!d.hasZone) {
            localMs = (d.date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * msPerDay +
                      d.time.msecsSinceStartOfDay();
        } else {
            const qint64 utcMs =
                (d.date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * msPerDay +
                d.time.msecsSinceStartOfDay() - qint64(d.offset) * 1000;
            const int local = zone_.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC));
            localMs = utcMs + qint64(local) * 1000;
        }
        qint64 days = localMs / msPerDay;
        qint64 ms = localMs % msPerDay;
        if (ms < 0) {
            ms += msPerDay;
            --days;
        }
        const double ole = double(days + oleToUnixDays);
        const double fraction = ms / double(msPerDay);
        return ole >= 0 ? ole + fraction : ole - fraction;
    }

    QXmlStreamReader xml_;
    QUrl base_;
    QTimeZone zone_;
    FeedFormat format_ = FeedFormat::Unknown;
    // xml:base by the depth of the element that set it, innermost last.
    QList<std::pair<qint64, QUrl>> bases_;
};

} // namespace

std::optional<QDateTime> ParseFeedDate(QStringView text) {
    const std::optional<FeedDate> d = ReadDate(text.toString());
    if (!d)
        return std::nullopt;
    if (!d->hasZone)
        return QDateTime(d->date, d->time, Qt::LocalTime);
    return QDateTime(d->date, d->time, Qt::OffsetFromUTC, d->offset);
}

FeedParse ParseFeed(const QByteArray& body, const QByteArray& contentType,
                    const QString& feedAddress) {
    try {
        if (std::all_of(body.begin(), body.end(),
                        [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; })) {
            FeedParse empty;
            empty.Fault = QStringLiteral("フィードが空です");
            return empty;
        }
        return Reader(DecodeBody(body, contentType), feedAddress).Run();
    } catch (...) {
        // Out of memory on a monstrous feed is an unreadable feed, not a crash.
        FeedParse failed;
        failed.Fault = QStringLiteral("フィードを読み取れませんでした");
        return failed;
    }
}

} // namespace Feeds
