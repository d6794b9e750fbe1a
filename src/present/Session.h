#pragma once
// What the running program holds: main() makes one session and hands it to the main window,
// which passes each part on to whoever uses it. Nothing else keeps program state; the ports of
// app/Ports.h are the only process-wide seams.

#include "app/SettingsState.h"
#include "app/Trace.h"
#include "news/DayArchive.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "parsers/Yahoo.h"
#include "present/HeadlineTable.h"
#include "web/clsWEB.h"

namespace Program {

class Session {
public:
    // Installs the session's trace as the program's trace.
    Session() { Ports::SetTrace(&trace); }
    ~Session() {
        if (&Ports::Trace() == &trace)
            Ports::SetTrace(nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SettingsState settings;
    Common::TraceLog trace;
    News::NewsStore store{settings};
    // An earlier day the window shows instead of today's store; the patrol never touches it.
    News::EarlierDay earlier{settings};
    // Downloads the list pages and the boards; it has no browser and navigates nothing.
    clsWEB pageWeb;
    // Bound to the viewer window's browser while that window exists.
    clsWEB viewerWeb;
    Yahoo::WordLists words;
    Present::HeadlineTable table{store, settings};
    News::Patrol patrol{settings, store, pageWeb, words};
};

} // namespace Program
