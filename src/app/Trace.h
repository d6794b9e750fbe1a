#pragma once
#include "app/Ports.h"

#include <QString>

namespace Common {

inline constexpr qint32 TraceCounterCap = 16777214;
#ifdef TW_TRACE_ON
inline constexpr bool TraceOnByDefault = true;
#else
inline constexpr bool TraceOnByDefault = false;
#endif

// The trace behind Ports::Trace(): off unless the build compiled the trace in (TW_TRACE_ON).
// The program's session owns one and installs it; tests make their own.
class TraceLog : public Ports::TracePort {
public:
    bool Enabled = TraceOnByDefault;
    qint32 Counter = 0; // next line number, capped at TraceCounterCap

    // Appends one numbered, time-stamped line to AppDataFolder() + "/Debug.LOG" when enabled.
    void Line(const QString& text) override;
};

// A line to the installed trace.
void TraceLine(const QString& text);
// Empty path: AppDataFolder() + "/ログ.Log".
void AppendLogLine(const QString& path, const QString& line);
void DeleteLogFile(const QString& path);
QString PadLeft(qint64 value, const QString& padChar, int width);

} // namespace Common
