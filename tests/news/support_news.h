#pragma once
// Shared by the news tests: the fixed clock and a helper for headline dates.

#include "RecordingPorts.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

// OLE date of a local date and time, worked out here rather than by the program's own routine.
inline double OleOf(QDate date, QTime time = QTime(0, 0)) {
    return QDate(1899, 12, 30).daysTo(date) + time.msecsSinceStartOfDay() / 86400000.0;
}
