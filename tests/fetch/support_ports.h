#pragma once
// A clock and a chance source that the fetch tests set by hand.

#include "RecordingPorts.h"

class FixedRandom : public Ports::RandomPort {
public:
    double value = 0.5;
    double Next() override { return value; }
};
