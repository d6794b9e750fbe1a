// Any bytes through the text cutters, the tokenizer and the wildcard matcher. The first byte picks
// the routine (low three bits) and its switches, the next two give positions or occurrences, the
// rest are the text and the markers, separated by zero bytes.

#include "FuzzInput.h"
#include "text/Common.h"

#include <algorithm>

namespace {

using Common::StrArray;

enum Routine { Cut, Remove, RemoveFrom, Between, SplitOne, SplitChars, Like, RoutineCount };

qsizetype TotalLength(const QStringList& tokens) {
    qsizetype total = 0;
    for (const QString& t : tokens)
        total += t.size();
    return total;
}

bool HasAnyOf(const QString& text, const QString& chars) {
    for (const QChar c : text) {
        if (chars.contains(c))
            return true;
    }
    return false;
}

bool OnlyOf(const QString& text, const QString& chars) {
    for (const QChar c : text) {
        if (!chars.contains(c))
            return false;
    }
    return true;
}

void FuzzCutOut(const QString& text, const QString& start, const QString& end, int from) {
    qsizetype position = from;
    const QString piece = Common::CutOut(position, text, start, end);
    FUZZ_CHECK(text.contains(piece));
    if (position != from)
        FUZZ_CHECK(position >= 0 && position <= text.size() + 1);
    // A piece found between two markers leaves the position right behind the end marker.
    if (!piece.isEmpty() && !end.isEmpty())
        FUZZ_CHECK(text.mid(position - 1 - end.size(), end.size()) == end);
}

void FuzzRemoveBetween(const QString& text, const QString& start, const QString& end,
                       int occurrence, int from, bool withPosition) {
    if (!withPosition) {
        const QString result = Common::RemoveBetween(text, start, end, occurrence);
        FUZZ_CHECK(result.size() <= text.size());
        return;
    }
    qsizetype position = from;
    const QString result = Common::RemoveBetween(text, start, end, occurrence, position);
    FUZZ_CHECK(result.size() <= text.size());
    FUZZ_CHECK(position >= 1 && position <= text.size() + 1);
    // Nothing before the starting position is touched.
    const qsizetype kept = std::clamp<qsizetype>(from, 1, text.size() + 1) - 1;
    FUZZ_CHECK(result.startsWith(text.left(kept)));
}

void FuzzSplitOne(const QString& text, const QString& delimiters, bool keep) {
    const QChar delimiter = delimiters.isEmpty() ? QChar(u',') : delimiters.front();
    const StrArray tokens = Common::SplitTokens(text, QString(delimiter), keep);
    FUZZ_CHECK(tokens && !tokens->isEmpty() && tokens->size() <= Common::MaxTokens);
    FUZZ_CHECK(TotalLength(*tokens) <= text.size());
    for (qsizetype i = 0; i < tokens->size(); ++i) {
        const QString& token = tokens->at(i);
        if (keep && i % 2 == 1) {
            FUZZ_CHECK(token == QString(delimiter));
        } else {
            FUZZ_CHECK(!token.contains(delimiter));
            FUZZ_CHECK(token == Common::Trim(token));
        }
    }
}

void FuzzSplitChars(const QStringList& parts, uint8_t switches, int start) {
    const QString& text = parts[0];
    const QString& delimiters = parts[1];
    const bool keep = switches & 1, merge = switches & 2, trim = switches & 4,
               leading = switches & 8;
    const StrArray tokens = Common::SplitTokens(text, delimiters, keep, merge, trim, leading,
                                                parts[2], parts[3], start);
    if (!tokens)
        return;
    FUZZ_CHECK(!tokens->isEmpty() && tokens->size() <= Common::MaxTokens);
    FUZZ_CHECK(TotalLength(*tokens) <= text.size());
    for (const QString& token : *tokens) {
        // A kept delimiter stays as it is when a single one splits the text.
        const bool delimiterToken = keep && OnlyOf(token, delimiters);
        if (trim && !delimiterToken)
            FUZZ_CHECK(token == Common::Trim(token));
        // Without brackets a token is a run of delimiters (kept ones) or holds none of them.
        if (parts[2].isEmpty() && !delimiterToken)
            FUZZ_CHECK(!HasAnyOf(token, delimiters));
    }
}

void FuzzLike(const QString& text, const QString& pattern, const QString& other) {
    if (Common::IsLike(text, pattern)) {
        // A star may stand for nothing, so it widens a match at either end.
        FUZZ_CHECK(Common::IsLike(other + text, QLatin1Char('*') + pattern));
        FUZZ_CHECK(Common::IsLike(text + other, pattern + QLatin1Char('*')));
    }
    // A pattern without wildcard characters is a plain comparison.
    if (!HasAnyOf(text, QStringLiteral("*?#[")))
        FUZZ_CHECK(Common::IsLike(text, text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader in(data, size);
    const uint8_t head = in.Byte();
    const int first = in.Small(), second = in.Small();
    const QStringList parts = in.Strings(4);
    const uint8_t switches = head >> 3;

    switch ((head & 7) % RoutineCount) {
    case Cut:
        FuzzCutOut(parts[0], parts[1], parts[2], first);
        break;
    case Remove:
    case RemoveFrom:
        FuzzRemoveBetween(parts[0], parts[1], parts[2], first, second, (head & 7) == RemoveFrom);
        break;
    case Between: {
        const QString piece = Common::GetBetween(parts[0], parts[1], parts[2], first, second);
        FUZZ_CHECK(parts[0].contains(piece));
        break;
    }
    case SplitOne:
        FuzzSplitOne(parts[0], parts[1], switches & 1);
        break;
    case SplitChars:
        FuzzSplitChars(parts, switches, first);
        break;
    case Like:
        FuzzLike(parts[0], parts[1], parts[2]);
        break;
    }
    return 0;
}
