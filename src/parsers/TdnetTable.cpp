// The disclosure list in the service's current layout. The page is read as tags, not through
// fixed markers: the service writes its attributes in varying order and case, wraps tags over
// lines and adds cells now and then, and a reader that counts cells or quotes breaks on that.

#include "parsers/TdnetTable.h"

#include "parsers/ParseSupport.h"

namespace Yahoo::detail {

using News::ParsedHeadline;
using News::ParsedHeadlines;

namespace {

constexpr const char* kWhere = "ParseTdnetList";

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}
// Names come padded with ASCII or full-width blanks; a decoded &nbsp; is a blank too.
bool IsPadding(char16_t c) {
    return IsSpace(c) || c == 0x3000 || c == 0x00A0;
}
bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
}

// word: lower-case ASCII.
bool EqualsNoCase(QStringView text, const char* word) {
    qsizetype i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i >= text.size() || Lower(text[i].unicode()) != char16_t(word[i]))
            return false;
    }
    return i == text.size();
}

QStringView Trimmed(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsPadding(text[begin].unicode()))
        ++begin;
    while (end > begin && IsPadding(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

struct Tag {
    qsizetype end = 0; // behind its '>'; the text's end when it never closes
    bool closing = false;
    QStringView name; // empty for comments and declarations
};

// Reads the tag whose '<' is at `at` and hands every attribute to onAttribute(name, value).
// False when that '<' opens no tag (a lone "<" in text).
template <typename OnAttribute>
bool ReadTag(QStringView text, qsizetype at, Tag& tag, OnAttribute&& onAttribute) {
    const qsizetype n = text.size();
    qsizetype i = at + 1;
    if (i < n && (text[i] == u'!' || text[i] == u'?')) {
        const bool comment = text.sliced(i).startsWith(u"!--");
        const qsizetype close = comment ? text.indexOf(u"-->", i + 3) : text.indexOf(u'>', i);
        tag.end = close < 0 ? n : close + (comment ? 3 : 1);
        tag.name = {};
        return true;
    }
    tag.closing = i < n && text[i] == u'/';
    if (tag.closing)
        ++i;
    const qsizetype nameBegin = i;
    if (i >= n || !IsAsciiLetter(text[i].unicode()))
        return false;
    while (i < n && (IsAsciiLetter(text[i].unicode()) || IsDigit(text[i].unicode())))
        ++i;
    tag.name = text.sliced(nameBegin, i - nameBegin);
    for (;;) {
        while (i < n && (IsSpace(text[i].unicode()) || text[i] == u'/'))
            ++i;
        if (i >= n) {
            tag.end = n;
            return true;
        }
        if (text[i] == u'>') {
            tag.end = i + 1;
            return true;
        }
        const qsizetype nameAt = i;
        do {
            ++i;
        } while (i < n && !IsSpace(text[i].unicode()) && text[i] != u'=' && text[i] != u'>' &&
                 text[i] != u'/');
        const QStringView name = text.sliced(nameAt, i - nameAt);
        while (i < n && IsSpace(text[i].unicode()))
            ++i;
        QStringView value;
        if (i < n && text[i] == u'=') {
            ++i;
            while (i < n && IsSpace(text[i].unicode()))
                ++i;
            if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
                const qsizetype close = text.indexOf(text[i], i + 1);
                if (close < 0) {
                    tag.end = n;
                    return true;
                }
                value = text.sliced(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueAt = i;
                while (i < n && !IsSpace(text[i].unicode()) && text[i] != u'>')
                    ++i;
                value = text.sliced(valueAt, i - valueAt);
            }
        }
        onAttribute(name, value);
    }
}

// Decodes the character reference at text[at] == '&' into out; returns where reading goes on.
// Named references the service uses and numeric ones; anything else stays as it is.
qsizetype DecodeReference(QStringView text, qsizetype at, QString& out) {
    const qsizetype n = text.size();
    qsizetype i = at + 1;
    if (i < n && text[i] == u'#') {
        ++i;
        const bool hex = i < n && (text[i] == u'x' || text[i] == u'X');
        if (hex)
            ++i;
        const qsizetype digitsAt = i;
        char32_t value = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i].unicode();
            int digit;
            if (IsDigit(c))
                digit = c - u'0';
            else if (hex && Lower(c) >= u'a' && Lower(c) <= u'f')
                digit = Lower(c) - u'a' + 10;
            else
                break;
            value = qMin<char32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (i > digitsAt && i < n && text[i] == u';') {
            if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                value = 0xFFFD;
            const auto chars = QChar::fromUcs4(value);
            out.append(QStringView(chars));
            return i + 1;
        }
        out.append(u'&');
        return at + 1;
    }
    static constexpr std::pair<QStringView, char16_t> named[] = {
        {u"amp;", u'&'},  {u"lt;", u'<'},    {u"gt;", u'>'},
        {u"quot;", u'"'}, {u"apos;", u'\''}, {u"nbsp;", u' '},
    };
    const QStringView rest = text.sliced(i);
    for (const auto& [name, character] : named) {
        if (rest.startsWith(name)) {
            out.append(QChar(character));
            return i + name.size();
        }
    }
    out.append(u'&');
    return at + 1;
}

// A cell's text: tags dropped, references decoded, line breaks removed (the service wraps long
// names), padding trimmed.
QString CellText(QStringView raw) {
    bool plain = true;
    for (const QChar c : raw) {
        if (c == u'<' || c == u'&' || c == u'\n' || c == u'\r') {
            plain = false;
            break;
        }
    }
    if (plain)
        return Trimmed(raw).toString();
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        const char16_t c = raw[i].unicode();
        if (c == u'<') {
            Tag tag;
            if (ReadTag(raw, i, tag, [](QStringView, QStringView) {})) {
                i = tag.end;
                continue;
            }
        } else if (c == u'\n' || c == u'\r') {
            ++i;
            continue;
        } else if (c == u'&') {
            i = DecodeReference(raw, i, out);
            continue;
        }
        out.append(QChar(c));
        ++i;
    }
    return Trimmed(out).toString();
}

// "H:MM" or "HH:MM", seconds allowed; anything else is no time.
bool ReadClock(QStringView text, QTime& time) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    qsizetype i = 0;
    while (count < 3) {
        const qsizetype begin = i;
        while (i < text.size() && IsDigit(text[i].unicode()) && i - begin < 2)
            parts[count] = parts[count] * 10 + (text[i++].unicode() - u'0');
        const qsizetype digits = i - begin;
        if (digits == 0 || (count > 0 && digits != 2))
            return false;
        ++count;
        if (i == text.size())
            break;
        if (text[i] != u':')
            return false;
        ++i;
    }
    if (count < 2 || i != text.size())
        return false;
    time = QTime(parts[0], parts[1], parts[2]);
    return time.isValid();
}

enum Role { NoRole = -1, TimeCell, CodeCell, NameCell, TitleCell, XbrlCell, PlaceCell, RoleCount };

// The role among the class names, e.g. "oddnew-L kjTime".
Role RoleOf(QStringView classes) {
    static constexpr const char* names[RoleCount] = {"kjtime",  "kjcode", "kjname",
                                                     "kjtitle", "kjxbrl", "kjplace"};
    qsizetype i = 0;
    while (i < classes.size()) {
        while (i < classes.size() && IsSpace(classes[i].unicode()))
            ++i;
        const qsizetype begin = i;
        while (i < classes.size() && !IsSpace(classes[i].unicode()))
            ++i;
        const QStringView name = classes.sliced(begin, i - begin);
        if (name.size() < 6 || Lower(name[0].unicode()) != u'k' || Lower(name[1].unicode()) != u'j')
            continue;
        for (int role = 0; role < RoleCount; ++role) {
            if (EqualsNoCase(name, names[role]))
                return Role(role);
        }
    }
    return NoRole;
}

struct Span {
    qsizetype begin = -1;
    qsizetype end = -1;
};

// What one row has shown so far: the first cell of each role, the first link of the title and
// XBRL cells and the title link's text.
struct Row {
    Span cells[RoleCount];
    bool titleLinked = false;
    QStringView titleHref;
    Span titleText;
    bool xbrlLinked = false;
    QStringView xbrlHref;
};

enum class Element { Other, Table, Tr, Td, Th, A };

Element ElementOf(QStringView name) {
    switch (name.size()) {
    case 1:
        return Lower(name[0].unicode()) == u'a' ? Element::A : Element::Other;
    case 2:
        if (EqualsNoCase(name, "tr"))
            return Element::Tr;
        if (EqualsNoCase(name, "td"))
            return Element::Td;
        if (EqualsNoCase(name, "th"))
            return Element::Th;
        return Element::Other;
    case 5:
        return EqualsNoCase(name, "table") ? Element::Table : Element::Other;
    default:
        return Element::Other;
    }
}

// Whole milliseconds, as the older layout's reader compares, so both stop at the same row.
qint64 Millis(double oleDate) {
    return qRound64(oleDate * 86400000.0);
}

class TableReader {
public:
    TableReader(QStringView page, const QString& folder, const QDate& day, double cutOff)
        : page_(page), folder_(folder), day_(day), cutOffMs_(Millis(cutOff)) {}

    QList<ParsedHeadline> Read(qsizetype start) {
        const qsizetype n = page_.size();
        qsizetype position = start;
        int depth = 0; // tables inside cells
        while (!stopped_) {
            const qsizetype at = page_.indexOf(u'<', position);
            if (at < 0) {
                EndRow(n);
                break;
            }
            Tag tag;
            QStringView classes, href;
            bool hasHref = false;
            const bool isTag = ReadTag(page_, at, tag, [&](QStringView name, QStringView value) {
                if (name.size() == 5 && EqualsNoCase(name, "class")) {
                    classes = value;
                } else if (name.size() == 4 && EqualsNoCase(name, "href")) {
                    href = value;
                    hasHref = true;
                }
            });
            if (!isTag) {
                position = at + 1;
                continue;
            }
            position = tag.end;
            if (tag.name.isEmpty())
                continue;
            const Element element = ElementOf(tag.name);
            if (element == Element::Table) {
                if (!tag.closing) {
                    ++depth;
                } else if (depth > 0) {
                    --depth;
                } else {
                    EndRow(at);
                    break;
                }
                continue;
            }
            if (depth > 0)
                continue;
            switch (element) {
            case Element::Tr:
                EndRow(at);
                inRow_ = !tag.closing;
                break;
            case Element::Td:
            case Element::Th:
                EndCell(at);
                if (!tag.closing)
                    BeginCell(element == Element::Td ? RoleOf(classes) : NoRole, tag.end);
                break;
            case Element::A:
                if (!cellTakes_)
                    break;
                if (tag.closing) {
                    if (inTitleLink_) {
                        row_.titleText.end = at;
                        inTitleLink_ = false;
                    }
                } else if (hasHref && role_ == TitleCell && !row_.titleLinked) {
                    row_.titleLinked = true;
                    row_.titleHref = href;
                    row_.titleText.begin = tag.end;
                    inTitleLink_ = true;
                } else if (hasHref && role_ == XbrlCell && !row_.xbrlLinked) {
                    row_.xbrlLinked = true;
                    row_.xbrlHref = href;
                }
                break;
            default:
                break;
            }
        }
        return std::move(found_);
    }

private:
    void BeginCell(Role role, qsizetype contentAt) {
        inRow_ = true; // a cell without its row tag still makes a row
        inCell_ = true;
        role_ = role;
        cellTakes_ = role != NoRole && row_.cells[role].begin < 0;
        if (cellTakes_)
            row_.cells[role].begin = contentAt;
    }

    void EndCell(qsizetype at) {
        if (!inCell_)
            return;
        if (inTitleLink_) {
            row_.titleText.end = at;
            inTitleLink_ = false;
        }
        if (cellTakes_)
            row_.cells[role_].end = at;
        inCell_ = false;
        cellTakes_ = false;
    }

    void EndRow(qsizetype at) {
        EndCell(at);
        if (inRow_)
            TakeRow();
        inRow_ = false;
        row_ = Row();
    }

    QString Text(const Span& span) const {
        return span.begin < 0 ? QString()
                              : CellText(page_.sliced(span.begin, span.end - span.begin));
    }

    QString Link(QStringView href) const {
        if (!href.contains(u'&'))
            return Trimmed(href).toString();
        QString decoded;
        for (qsizetype i = 0; i < href.size();) {
            if (href[i] == u'&')
                i = DecodeReference(href, i, decoded);
            else
                decoded.append(href[i++]);
        }
        return Trimmed(decoded).toString();
    }

    void TakeRow() {
        // A list grows to thousands of rows on busy days: the window keeps drawing meanwhile.
        Common::YieldIfDue();
        if (row_.cells[TimeCell].begin < 0 || !row_.titleLinked)
            return;
        QTime time;
        if (!ReadClock(Text(row_.cells[TimeCell]), time))
            return;
        const QString link = Link(row_.titleHref);
        if (link.isEmpty())
            return;
        if (!day_.isValid())
            throw ParseFault{13, QString::fromLatin1(kWhere), QStringLiteral("Type mismatch")};
        ParsedHeadline item;
        item.Posted = OleOf(day_, time);
        if (Millis(item.Posted) <= cutOffMs_) {
            stopped_ = true;
            return;
        }
        const QString code = Text(row_.cells[CodeCell]);
        item.CodeText = DisclosureCodeText(code);
        item.CompanyName = Text(row_.cells[NameCell]);
        item.CodePrefix = Text(row_.cells[PlaceCell]);
        item.Url = folder_ + link;
        item.Title = Text(row_.titleText);
        if (row_.xbrlLinked) {
            const QString xbrl = Link(row_.xbrlHref);
            if (!xbrl.isEmpty()) {
                item.CellLink1 = folder_ + xbrl;
                item.Mark = QStringLiteral("業");
            }
        }
        item.Source = QStringLiteral("適時開示情報");
        item.Category = item.CompanyName + u'(' + item.CodePrefix + u':' + item.CodeText + u')';
        found_.append(std::move(item));
    }

    QStringView page_;
    const QString& folder_;
    QDate day_;
    qint64 cutOffMs_;
    QList<ParsedHeadline> found_;
    Row row_;
    bool inRow_ = false;
    bool inCell_ = false;
    bool cellTakes_ = false; // the open cell is the first of its role in the row
    bool inTitleLink_ = false;
    Role role_ = NoRole;
    bool stopped_ = false;
};

} // namespace

qsizetype MainListTableStart(QStringView page) {
    static constexpr QStringView id = u"main-list-table";
    // Each stretch of the page is searched once for the tag's '<' and each tag read once, so a
    // page full of near misses costs no more than one pass.
    qsizetype open = -1, searched = 0, readOpen = -1, readEnd = 0;
    for (qsizetype hit = page.indexOf(id); hit >= 0; hit = page.indexOf(id, hit + 1)) {
        // Behind the value: its quote, a blank or the tag's end.
        const qsizetype after = hit + id.size();
        if (after < page.size() && !IsSpace(page[after].unicode()) && page[after] != u'"' &&
            page[after] != u'\'' && page[after] != u'>')
            continue;
        // Before it: [quote] [blanks] '=' [blanks] "id" and a blank.
        qsizetype i = hit;
        if (i > 0 && (page[i - 1] == u'"' || page[i - 1] == u'\''))
            --i;
        while (i > 0 && IsSpace(page[i - 1].unicode()))
            --i;
        if (i == 0 || page[i - 1] != u'=')
            continue;
        --i;
        while (i > 0 && IsSpace(page[i - 1].unicode()))
            --i;
        if (i < 3 || !EqualsNoCase(page.sliced(i - 2, 2), "id") || !IsSpace(page[i - 3].unicode()))
            continue;
        const qsizetype before = page.sliced(searched, i - 3 - searched).lastIndexOf(u'<');
        if (before >= 0)
            open = searched + before;
        searched = i - 3;
        if (open < 0)
            continue;
        if (open != readOpen) {
            Tag tag;
            readOpen = open;
            readEnd = ReadTag(page, open, tag, [](QStringView, QStringView) {}) ? tag.end : 0;
        }
        if (readEnd > hit)
            return readEnd;
    }
    return -1;
}

ParsedHeadlines ParseTdnetTable(QStringView page, qsizetype start, const QString& folder,
                                const QDate& day, double cutOff) {
    QList<ParsedHeadline> found = TableReader(page, folder, day, cutOff).Read(start);
    if (found.isEmpty())
        return std::nullopt;
    return found;
}

QString DisclosureCodeText(QStringView cell) {
    const QStringView code = Trimmed(cell);
    bool digits = !code.isEmpty();
    for (const QChar c : code)
        digits = digits && IsDigit(c.unicode());
    if (!digits)
        return code.toString().toUpper();
    // As a number would print, without the number's range limit.
    qsizetype first = 0;
    while (first < code.size() - 1 && code[first] == u'0')
        ++first;
    return code.sliced(first).toString();
}

} // namespace Yahoo::detail
