#pragma once
#include <QString>

namespace Common {

// Root of all the program's files, without a trailing "/": the generic data location +
// "/Tickerwisp". Tests and the demo may point it elsewhere with SetAppDataFolder.
QString AppDataFolder();
void SetAppDataFolder(const QString& folder);
// Creates AppDataFolder() + "/Data" (and the folder itself) when missing.
void EnsureDataFolder();

} // namespace Common
