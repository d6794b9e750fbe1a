#pragma once
// Shared by the parser tests: fixture pages, the word lists and a clock that stands still.

#include "RecordingPorts.h"
#include "app/AppData.h"
#include "app/Ports.h"
#include "web/Encoding.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace ParserTest {

inline QString FixturePath(const QString& name) {
    return QStringLiteral(TW_TEST_DATA "/parsers/") + name;
}

// The page as the program reads a download: raw bytes through the page decoder.
inline QString FixturePage(const QString& name) {
    QFile file(FixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = file.readAll();
    return modNkf32::ConvertToShiftJisText(bytes);
}

// Copies the committed word lists into the application folder's "NewsWord" folder.
inline bool InstallWordLists() {
    const QString target = Common::AppDataFolder() + QStringLiteral("/NewsWord");
    QDir(target).removeRecursively();
    if (!QDir().mkpath(target))
        return false;
    const QDir source(FixturePath(QStringLiteral("NewsWord")));
    for (const QString& name : source.entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(name), target + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

inline bool WriteWordList(const QString& name, const QByteArray& bytes) {
    QFile file(Common::AppDataFolder() + QStringLiteral("/NewsWord/") + name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace ParserTest
