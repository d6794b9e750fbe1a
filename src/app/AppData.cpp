#include "app/AppData.h"

#include "files/WholeFile.h"
#include "files/clsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <utility>

namespace Common {

namespace {
QString& OverriddenFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString AppDataFolder() {
    const QString& set = OverriddenFolder();
    if (!set.isEmpty()) {
        return set;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tickerwisp");
}

void SetAppDataFolder(const QString& folder) {
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/'))) {
        f.chop(1);
    }
    OverriddenFolder() = f;
}

void EnsureDataFolder() {
    clsFile file;
    file.MakeFolder(AppDataFolder() + QStringLiteral("/Data"));
    // A copy younger than a minute may belong to another instance that is saving right now.
    RemoveStaleSaveCopies(QDateTime::currentDateTime().addSecs(-60));
}

int RemoveStaleSaveCopies(const QDateTime& modifiedBefore) {
    // Only copies of the files the program replaces whole, in the folder each lives in.
    static const QRegularExpression rootFile(QStringLiteral("^(SYSTEM\\.INI|掲示板\\.TXT)$"));
    static const QRegularExpression dataFile(QStringLiteral("^(検索\\.INI|[0-9]{8}\\.DAT)$"));
    const std::pair<QString, const QRegularExpression*> folders[] = {
        {AppDataFolder(), &rootFile}, {AppDataFolder() + QStringLiteral("/Data"), &dataFile}};
    int removed = 0;
    for (const auto& [folder, original] : folders) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo& info : files) {
            const QString of = Files::SaveCopyOriginal(info.fileName());
            if (!of.isEmpty() && original->match(of).hasMatch() &&
                info.lastModified() < modifiedBefore && QFile::remove(info.filePath())) {
                ++removed;
            }
        }
    }
    return removed;
}

} // namespace Common
