#pragma once
// String and array routines with which the program takes HTML and text apart.
// Positions are 1-based; 0 means "not found". Every search is case-sensitive unless said otherwise.
// "Blanks" are U+0020 spaces only (tabs and full-width spaces are not blanks).

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Common {

// A 0-based string array that may be undimensioned (std::nullopt: no elements at all), which is
// a different state from a dimensioned array, even from one holding a single empty string.
using StrArray = std::optional<QStringList>;

// Blanks trimmed at both ends (U+0020 only).
QString Trim(const QString& text);

// The text between the markers. position is in/out (see the routine for the exact contract).
QString CutOut(qsizetype& position, const QString& text, const QString& startMarker,
               const QString& endMarker);
// occurrence: 0-based, -1 = all. position is in/out.
QString RemoveBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                      int occurrence, qsizetype& position);
// Convenience: from position 1.
QString RemoveBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                      int occurrence = -1);
QString GetBetween(const QString& text, const QString& startMarker, const QString& endMarker,
                   int occurrence = 0, qsizetype startPosition = 1);
QString ReplaceList(const QString& text, const QString& searchList, const QString& replaceList,
                    const QString& delimiter);
QString DecodeEntities(const QString& text);

// Room for 2048 tokens (indices 0 to 2047).
inline constexpr int MaxTokens = 2048;
StrArray SplitTokens(const QString& text, const QString& delimiters, bool keepDelimiters = false,
                     bool mergeDelimiters = false, bool trim = false, bool keepLeadingEmpty = false,
                     const QString& openingChars = QString(),
                     const QString& closingChars = QString(), qsizetype startPosition = 1);
QString GetToken(const QString& text, const QString& delimiters, int index, bool trim);
qsizetype FindFirstOf(qsizetype startPosition, const QString& text, const QString& commaList,
                      qsizetype& foundLength, int& foundIndex);
qint16 CountOccurrences(qsizetype startPosition, const QString& text, const QString& search);
qint16 CountCharsOf(const QString& text, const QString& charSet);
QString TrimTabs(const QString& text);
QString Unquote(const QString& text);

void RemoveAt(StrArray& array, int index);
int IndexOf(const StrArray& array, const QString& value);
int IndexOfLike(const StrArray& patterns, const QString& text);
bool IsArrayReady(const StrArray& array);
bool IsStringArrayReady(const StrArray& array);

// Wildcard match of the whole text: "*" any run, "?" one character, "#" one digit 0-9,
// "[list]" / "[!list]" a character class with ranges such as "[a-z]". Case-sensitive.
// The one matcher that the whole program uses.
bool IsLike(const QString& text, const QString& pattern);

// List routines.
void AppendString(StrArray& array, const QString& value);
inline constexpr int SortDescending = 4096;
inline constexpr int SortAscending = 8192;
// Indices that put the strings in order; equal strings come out in reverse input order.
QList<int> SortOrder(const StrArray& array, int order);
StrArray SortStrings(const StrArray& array, int order);

// Waits without freezing the window: both kinds wait in a local event loop.
// yieldFirst: let pending events run first. sleep: the "sleep" kind (events still pumped here).
void Pause(int milliseconds, bool yieldFirst, bool sleep);
// Tests replace the wait with a recorder; nullptr restores the real wait.
using PauseHook = void (*)(int milliseconds, bool yieldFirst, bool sleep);
void SetPauseHook(PauseHook hook);

// For long loops on the event loop's thread: lets pending events run when more than intervalMs
// have passed since the last time events were pumped here or in a real Pause, so that a large
// page does not freeze the window. Cheap enough to call once per row. Does nothing without a
// QCoreApplication. Pause hooks never see it.
inline constexpr int YieldIntervalMs = 30;
void YieldIfDue(int intervalMs = YieldIntervalMs);

} // namespace Common
