#pragma once
// A clock and a chance source that the fetch tests set by hand, and the set-up they share.

#include "RecordingPorts.h"
#include "app/AppData.h"
#include "text/Common.h"

#include <QTemporaryDir>

class FixedRandom : public Ports::RandomPort {
public:
    double value = 0.5;
    double Next() override { return value; }
};

// The data folder in dir, the test's clock and chance, and its pause hook in place of real waits.
inline void InstallFetchPorts(const QTemporaryDir& dir, FixedClock& clock, FixedRandom& random,
                              Common::PauseHook pause) {
    Common::SetAppDataFolder(dir.path());
    Common::EnsureDataFolder();
    Ports::SetClock(&clock);
    Ports::SetRandom(&random);
    Common::SetPauseHook(pause);
}

inline void ReleaseFetchPorts() {
    Ports::SetMainWindow(nullptr);
    Ports::SetClock(nullptr);
    Ports::SetRandom(nullptr);
    Common::SetPauseHook(nullptr);
}
