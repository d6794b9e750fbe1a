#pragma once
// A clock and a chance source that the fetch tests set by hand.

#include "app/Ports.h"

#include <QDateTime>

class FixedClock : public Ports::ClockPort {
public:
    QDateTime now;
    QDateTime Now() const override { return now; }
    qint64 TickMs() const override { return 0; }
};

class FixedRandom : public Ports::RandomPort {
public:
    double value = 0.5;
    double Next() override { return value; }
};
