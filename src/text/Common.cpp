#include "text/Common.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace Common {

namespace {

constexpr QChar kBlank = u' ';

// 1-based search that never reads outside the text: a position below 1 searches from the start,
// one past the end finds nothing. An empty needle is never "found" here; callers decide what an
// empty marker means.
qsizetype Find(const QString& text, const QString& needle, qsizetype from) {
    if (needle.isEmpty() || text.isEmpty())
        return 0;
    if (from < 1)
        from = 1;
    if (from > text.size())
        return 0;
    const qsizetype hit = text.indexOf(needle, from - 1, Qt::CaseSensitive);
    return hit < 0 ? 0 : hit + 1;
}

// Text from 1-based position `from` up to (not including) 1-based position `to`, clamped.
QString Slice(const QString& text, qsizetype from, qsizetype to) {
    from = qBound<qsizetype>(1, from, text.size() + 1);
    to = qBound<qsizetype>(from, to, text.size() + 1);
    return text.mid(from - 1, to - from);
}

QString Rest(const QString& text, qsizetype from) {
    return Slice(text, from, text.size() + 1);
}

PauseHook g_pauseHook = nullptr;

// When events were last pumped by YieldIfDue or a real Pause.
QElapsedTimer& LastYield() {
    static QElapsedTimer timer;
    return timer;
}

} // namespace

QString Trim(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == kBlank)
        ++begin;
    while (end > begin && text.at(end - 1) == kBlank)
        --end;
    return text.mid(begin, end - begin);
}

QString CutOut(qsizetype& position, const QString& text, const QString& startMarker,
               const QString& endMarker) {
    qsizetype pieceBegin;
    if (!startMarker.isEmpty()) {
        position = Find(text, startMarker, position);
        if (position == 0)
            return QString();
        pieceBegin = position + startMarker.size();
    } else {
        pieceBegin = qBound<qsizetype>(1, position, text.size() + 1);
    }

    if (endMarker.isEmpty()) {
        position = text.size() + 1;
        return Rest(text, pieceBegin);
    }
    // Searched from the piece's beginning, so the end marker may overlap nothing of the start.
    const qsizetype endHit = Find(text, endMarker, pieceBegin);
    if (endHit == 0)
        return QString();
    position = endHit + endMarker.size();
    return Slice(text, pieceBegin, endHit);
}

QString RemoveBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                      int occurrence, qsizetype& position) {
    qsizetype at = qBound<qsizetype>(1, position, text.size() + 1);
    // An empty start marker marks nothing.
    if (startMarker.isEmpty()) {
        position = at;
        return text;
    }
    QString result = text.left(at - 1);
    int counter = 0;
    while (at <= text.size()) {
        const qsizetype startHit = Find(text, startMarker, at);
        if (startHit == 0)
            break;
        const bool chosen = occurrence == -1 || occurrence == counter;
        // An empty end marker behaves as a missing one: the span runs to the end.
        const qsizetype endHit = Find(text, endMarker, startHit + 1);
        if (endHit == 0) {
            if (chosen) {
                result += Slice(text, at, startHit);
                position = text.size() + 1;
                return result;
            }
            break;
        }
        const qsizetype behindEnd = endHit + endMarker.size();
        result += Slice(text, at, chosen ? startHit : behindEnd);
        ++counter;
        at = behindEnd;
    }
    result += Rest(text, at);
    position = at;
    return result;
}

QString RemoveBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                      int occurrence) {
    qsizetype position = 1;
    return RemoveBetween(text, startMarker, endMarker, occurrence, position);
}

QString GetBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                   int occurrence, qsizetype startPosition) {
    if (startMarker.isEmpty() || occurrence < 0)
        return QString();
    qsizetype at = qMax<qsizetype>(1, startPosition);
    for (int counter = 0;; ++counter) {
        const qsizetype startHit = Find(text, startMarker, at);
        if (startHit == 0)
            return QString();
        const qsizetype contentBegin = startHit + startMarker.size();
        if (endMarker.isEmpty())
            return counter == occurrence ? Rest(text, contentBegin) : QString();
        const qsizetype endHit = Find(text, endMarker, startHit + 1);
        if (endHit == 0)
            return QString();
        if (counter == occurrence)
            return Slice(text, contentBegin, endHit);
        at = endHit + endMarker.size();
    }
}

QString ReplaceList(const QString& text, const QString& searchList, const QString& replaceList,
                    const QString& delimiter) {
    const QStringList searches =
        delimiter.isEmpty() ? QStringList{searchList} : searchList.split(delimiter);
    const QStringList replacements =
        delimiter.isEmpty() ? QStringList{replaceList} : replaceList.split(delimiter);
    QString result = text;
    for (qsizetype i = 0; i < searches.size(); ++i) {
        // An empty search string would insert the replacement between every character.
        if (searches.at(i).isEmpty())
            continue;
        const QString by = i < replacements.size() ? replacements.at(i) : QString();
        result.replace(searches.at(i), by, Qt::CaseSensitive);
    }
    return result;
}

QString DecodeEntities(const QString& text) {
    // "&amp;" goes before the others on purpose: the pages escape twice, "&amp;lt;" means "<".
    static const std::pair<const char16_t*, const char16_t*> table[] = {
        {u"&quot;", u"\""}, {u"&amp;", u"&"}, {u"&lt;", u"<"},     {u"&gt;", u">"},
        {u"&nbsp;", u" "},  {u"&#39;", u"'"}, {u"&copy;", u"(C)"}, {u"\u301C", u"\uFF5E"},
    };
    QString result = text;
    for (const auto& [from, to] : table)
        result.replace(QString::fromUtf16(from), QString::fromUtf16(to), Qt::CaseSensitive);
    return result;
}

namespace {

StrArray SplitSimple(const QString& text, QChar delimiter) {
    QStringList tokens;
    qsizetype at = 0;
    while (tokens.size() < MaxTokens) {
        const qsizetype hit = text.indexOf(delimiter, at);
        if (hit < 0) {
            tokens << Trim(text.mid(at));
            return tokens;
        }
        tokens << Trim(text.mid(at, hit - at));
        at = hit + 1;
        while (at < text.size() && text.at(at) == delimiter)
            ++at;
    }
    // Room is full: whatever lies behind the last token is dropped.
    return tokens;
}

struct RawToken {
    QString text;
    bool delimiter;
};

} // namespace

// Character mode keeps at most MaxTokens tokens after post-processing; the rest is dropped, as in
// the simple mode. With trim set, a run of blanks between two delimiters is spacing, not a field:
// "A & (B|C)" must give "&" and "(" side by side, not an empty token between them.
StrArray SplitTokens(const QString& text, const QString& delimiters, bool keepDelimiters,
                     bool mergeDelimiters, bool trim, bool keepLeadingEmpty,
                     const QString& openingChars, const QString& closingChars,
                     qsizetype startPosition) {
    bool anyDelimiter = false;
    for (const QChar c : delimiters) {
        if (text.contains(c)) {
            anyDelimiter = true;
            break;
        }
    }
    if (!anyDelimiter)
        return QStringList{Trim(text)};

    if (openingChars.isEmpty() && closingChars.isEmpty() && delimiters.size() == 1) {
        const QChar delimiter = delimiters.at(0);
        if (!keepDelimiters)
            return SplitSimple(text, delimiter);
        // Each delimiter becomes a token of its own between the pieces.
        StrArray pieces = SplitSimple(text, delimiter);
        QStringList tokens;
        for (qsizetype i = 0; i < pieces->size() && tokens.size() < MaxTokens; ++i) {
            if (i > 0)
                tokens << QString(delimiter);
            if (tokens.size() < MaxTokens)
                tokens << pieces->at(i);
        }
        return tokens;
    }

    std::vector<RawToken> raw;
    auto appendToRun = [&raw](const QString& piece) {
        if (raw.empty() || raw.back().delimiter)
            raw.push_back({piece, false});
        else
            raw.back().text += piece;
    };

    const qsizetype n = text.size();
    for (qsizetype i = qMax<qsizetype>(1, startPosition) - 1; i < n; ++i) {
        const QChar c = text.at(i);
        const qsizetype open = openingChars.indexOf(c);
        if (open >= 0 && !delimiters.contains(c)) {
            const QChar close = open < closingChars.size() ? closingChars.at(open) : QChar();
            const bool sameChar = close == c;
            qsizetype j = i + 1;
            int depth = 1;
            while (j < n && depth > 0) {
                const QChar d = text.at(j++);
                if (d == close)
                    --depth;
                else if (!sameChar && d == c)
                    ++depth;
            }
            appendToRun(text.mid(i, j - i));
            i = j - 1;
        } else if (delimiters.contains(c)) {
            raw.push_back({QString(c), true});
        } else {
            appendToRun(QString(c));
        }
    }

    if (trim) {
        std::erase_if(raw,
                      [](const RawToken& t) { return !t.delimiter && Trim(t.text).isEmpty(); });
    }

    QStringList tokens;
    for (std::size_t k = 0; k < raw.size(); ++k) {
        const RawToken& t = raw[k];
        const bool afterDelimiter = k > 0 && raw[k - 1].delimiter;
        if (!t.delimiter) {
            tokens << t.text;
        } else if (keepDelimiters) {
            if (mergeDelimiters && afterDelimiter)
                tokens.last() += t.text;
            else
                tokens << t.text;
        } else if (!mergeDelimiters) {
            if (afterDelimiter || (k == 0 && keepLeadingEmpty))
                tokens << QString();
        }
    }

    if (tokens.size() > MaxTokens)
        tokens.resize(MaxTokens);
    if (trim) {
        for (QString& token : tokens)
            token = Trim(token);
    }
    if (tokens.isEmpty())
        return std::nullopt;
    return tokens;
}

QString GetToken(const QString& text, const QString& delimiters, int index, bool trim) {
    const StrArray tokens = SplitTokens(text, delimiters, false, false, trim, false);
    if (!tokens || index < 0 || index >= tokens->size())
        return QString();
    return tokens->at(index);
}

qsizetype FindFirstOf(qsizetype startPosition, const QString& text, const QString& commaList,
                      qsizetype& foundLength, int& foundIndex) {
    foundLength = 0;
    foundIndex = -1;
    qsizetype best = 0;
    const QStringList items = commaList.split(QLatin1Char(','));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const qsizetype hit = Find(text, items.at(i), startPosition);
        if (hit > 0 && (best == 0 || hit < best)) {
            best = hit;
            foundLength = items.at(i).size();
            foundIndex = int(i);
        }
    }
    return best;
}

qint16 CountOccurrences(qsizetype startPosition, const QString& text, const QString& search) {
    qint16 count = 0;
    qsizetype at = Find(text, search, startPosition);
    while (at > 0) {
        ++count;
        at = Find(text, search, at + search.size());
    }
    return count;
}

qint16 CountCharsOf(const QString& text, const QString& charSet) {
    qint16 count = 0;
    for (const QChar c : charSet)
        count += qint16(text.count(c, Qt::CaseInsensitive));
    return count;
}

QString TrimTabs(const QString& text) {
    QString result = Trim(text);
    qsizetype begin = 0;
    while (begin < result.size() && result.at(begin) == u'\t')
        ++begin;
    qsizetype end = result.size();
    while (end > begin && result.at(end - 1) == u'\t')
        --end;
    return result.mid(begin, end - begin);
}

QString Unquote(const QString& text) {
    if (text.isEmpty() || !text.startsWith(u'"') || !text.endsWith(u'"'))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (result.startsWith(u'"'))
        result.remove(0, 1);
    if (result.endsWith(u'"'))
        result.chop(1);
    return result;
}

void RemoveAt(StrArray& array, int index) {
    if (!array)
        return;
    if (array->size() <= 1) {
        array.reset();
        return;
    }
    if (index >= 0 && index < array->size())
        array->removeAt(index);
}

int IndexOf(const StrArray& array, const QString& value) {
    if (!array)
        return -1;
    const qsizetype at = array->indexOf(value);
    return at < 0 ? -1 : int(at);
}

int IndexOfLike(const StrArray& patterns, const QString& text) {
    if (!patterns)
        return -1;
    for (qsizetype i = 0; i < patterns->size(); ++i) {
        if (IsLike(text, patterns->at(i)))
            return int(i);
    }
    return -1;
}

bool IsArrayReady(const StrArray& array) {
    return array.has_value() && !array->isEmpty();
}

bool IsStringArrayReady(const StrArray& array) {
    return array.has_value();
}

namespace {

// One compiled pattern element; every element but Star matches exactly one character.
struct LikeElement {
    enum Kind { Literal, Any, Digit, Class, Star } kind = Literal;
    char32_t ch = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    static LikeElement Of(Kind kind, char32_t ch = 0) {
        LikeElement e;
        e.kind = kind;
        e.ch = ch;
        return e;
    }

    bool Matches(char32_t c) const {
        switch (kind) {
        case Literal:
            return c == ch;
        case Any:
            return true;
        case Digit:
            return c >= U'0' && c <= U'9';
        case Class: {
            bool in = false;
            for (const auto& [lo, hi] : ranges) {
                if (c >= lo && c <= hi) {
                    in = true;
                    break;
                }
            }
            return in != negate;
        }
        case Star:
            break;
        }
        return false;
    }
};

std::vector<LikeElement> CompileLike(const QList<uint>& p) {
    std::vector<LikeElement> out;
    const qsizetype m = p.size();
    for (qsizetype i = 0; i < m; ++i) {
        const char32_t c = p.at(i);
        if (c == U'*') {
            // Runs of stars are one star; it keeps the match linear in practice.
            if (out.empty() || out.back().kind != LikeElement::Star)
                out.push_back(LikeElement::Of(LikeElement::Star));
        } else if (c == U'?') {
            out.push_back(LikeElement::Of(LikeElement::Any));
        } else if (c == U'#') {
            out.push_back(LikeElement::Of(LikeElement::Digit));
        } else if (c == U'[') {
            const qsizetype close = p.indexOf(uint(U']'), i + 1);
            if (close < 0) {
                // An unclosed bracket is taken as itself.
                out.push_back(LikeElement::Of(LikeElement::Literal, c));
                continue;
            }
            qsizetype j = i + 1;
            if (close == j) {
                // "[]" stands for the empty string: it matches nothing and takes no character.
                i = close;
                continue;
            }
            LikeElement e = LikeElement::Of(LikeElement::Class);
            if (p.at(j) == U'!' && close > j + 1) {
                e.negate = true;
                ++j;
            }
            while (j < close) {
                const char32_t lo = p.at(j);
                if (j + 2 < close && p.at(j + 1) == U'-') {
                    e.ranges.emplace_back(lo, char32_t(p.at(j + 2)));
                    j += 3;
                } else {
                    e.ranges.emplace_back(lo, lo);
                    ++j;
                }
            }
            out.push_back(std::move(e));
            i = close;
        } else {
            out.push_back(LikeElement::Of(LikeElement::Literal, c));
        }
    }
    return out;
}

} // namespace

bool IsLike(const QString& text, const QString& pattern) {
    const QList<uint> t = text.toUcs4();
    const std::vector<LikeElement> p = CompileLike(pattern.toUcs4());
    const std::size_t n = t.size();
    const std::size_t m = p.size();

    // Greedy star with one backtrack point: on a mismatch the last star takes one more character.
    std::size_t ti = 0;
    std::size_t pi = 0;
    std::size_t starP = m; // none yet
    std::size_t starT = 0;
    while (ti < n) {
        if (pi < m && p[pi].kind == LikeElement::Star) {
            starP = pi++;
            starT = ti;
        } else if (pi < m && p[pi].Matches(t[ti])) {
            ++pi;
            ++ti;
        } else if (starP < m) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < m && p[pi].kind == LikeElement::Star)
        ++pi;
    return pi == m;
}

void AppendString(StrArray& array, const QString& value) {
    if (!array)
        array = QStringList();
    array->append(value);
}

QList<int> SortOrder(const StrArray& array, int order) {
    QList<int> result;
    if (!array)
        return result;
    const qsizetype n = array->size();
    const bool descending = order == SortDescending;
    result.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        result << int(i);
    // The order of repeatedly picking the smallest (or largest) string, where among equals the
    // later index wins, so equals come out reversed; a sort keeps a page of many links fast.
    std::sort(result.begin(), result.end(), [&](int a, int b) {
        const int cmp = QString::compare(array->at(a), array->at(b), Qt::CaseSensitive);
        if (cmp != 0)
            return descending ? cmp > 0 : cmp < 0;
        return a > b;
    });
    return result;
}

StrArray SortStrings(const StrArray& array, int order) {
    if (!array)
        return std::nullopt;
    QStringList sorted;
    sorted.reserve(array->size());
    for (const int i : SortOrder(array, order))
        sorted << array->at(i);
    return sorted;
}

void SetPauseHook(PauseHook hook) {
    g_pauseHook = hook;
}

void Pause(int milliseconds, bool yieldFirst, bool sleep) {
    if (g_pauseHook) {
        g_pauseHook(milliseconds, yieldFirst, sleep);
        return;
    }
    // Both kinds pump the event loop: a blocked thread would freeze the window for seconds at a
    // time during a patrol. `sleep` only tells which kind the caller meant.
    if (!QCoreApplication::instance()) {
        // No event loop to pump (a bare command-line use): nothing can freeze.
        if (milliseconds > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    if (yieldFirst)
        QCoreApplication::processEvents();
    if (milliseconds > 0) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(milliseconds);
        loop.exec();
    }
    if (yieldFirst || milliseconds > 0)
        LastYield().start();
}

void YieldIfDue(int intervalMs) {
    if (!QCoreApplication::instance())
        return;
    QElapsedTimer& last = LastYield();
    if (last.isValid() && last.elapsed() < intervalMs)
        return;
    QCoreApplication::processEvents();
    last.start();
}

} // namespace Common
