#pragma once
// What the main window shows and does when a fetch cycle reports: the table, the status bar,
// the sound, the tray and the raised window.

namespace News {
struct CycleResult;
}
namespace Program {
struct SettingsState;
}

namespace Present {

class HeadlineTable;

// Called for a cycle that ran and left headlines in the store, before its day file is written.
void AnnounceCycle(const News::CycleResult& result, HeadlineTable& table,
                   const Program::SettingsState& settings);

} // namespace Present
