#pragma once
// Shared by the news tests: a fixed clock and helpers for headline dates.

#include "app/Ports.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

class FixedClock : public Ports::ClockPort {
public:
    explicit FixedClock(QDateTime now) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_; }
    qint64 TickMs() const override { return 0; }

private:
    QDateTime now_;
};

// OLE date of a local date and time, worked out here rather than by the program's own routine.
inline double OleOf(QDate date, QTime time = QTime(0, 0)) {
    return QDate(1899, 12, 30).daysTo(date) + time.msecsSinceStartOfDay() / 86400000.0;
}
