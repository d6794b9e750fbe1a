#pragma once
#include <QString>

namespace Common {

// Off from start-up on unless the build compiled the trace in (TW_TRACE_ON).
extern bool TraceEnabled;
extern qint32 TraceCounter; // next line number, capped at 16777214
inline constexpr qint32 TraceCounterCap = 16777214;

// Appends one numbered, time-stamped line to AppDataFolder() + "/Debug.LOG" when enabled.
void TraceLine(const QString& text);
// Empty path: AppDataFolder() + "/ログ.Log".
void AppendLogLine(const QString& path, const QString& line);
void DeleteLogFile(const QString& path);
QString PadLeft(qint64 value, const QString& padChar, int width);

} // namespace Common
