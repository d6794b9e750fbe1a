#pragma once
#include <QDateTime>
#include <QString>

namespace Common {

// Root of all the program's files, without a trailing "/": the generic data location +
// "/Tickerwisp". Tests and the demo may point it elsewhere with SetAppDataFolder.
QString AppDataFolder();
void SetAppDataFolder(const QString& folder);
// Creates AppDataFolder() + "/Data" (and the folder itself) when missing, and removes the
// temporary copies that a save cut short left behind.
void EnsureDataFolder();

// A file replaced as a whole is first written to a save copy beside it (Files::WholeFile), then
// renamed over it; a process killed in between leaves that copy. Removes the copies of the
// settings, the search history, the board report and the day files last modified before the
// given time, and returns how many it removed.
int RemoveStaleSaveCopies(const QDateTime& modifiedBefore);

} // namespace Common
