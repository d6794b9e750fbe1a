#pragma once
// The word lists that shape how headline titles are split ship with the program; a data folder
// without any gets a copy of them on start.

#include <QString>
#include <QStringList>

namespace Program {

// Copies every file of bundledFolder into targetFolder when targetFolder is missing or holds no
// file at all. A folder with any file in it is the user's and is left alone; nothing is ever
// overwritten. Returns the names of the files copied (empty when there was nothing to do or the
// bundled folder is missing).
QStringList InstallDefaultWordLists(const QString& bundledFolder, const QString& targetFolder);

} // namespace Program
