#include "app/AppData.h"

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
    // A save copy ends in six random letters. Demanding both cases keeps a user's own
    // "SYSTEM.INI.backup" safe; a copy that happens to be all one case is merely left behind.
    static const QRegularExpression rootCopy(QStringLiteral(
        "^(SYSTEM\\.INI|掲示板\\.TXT)\\.(?=[A-Za-z]*[A-Z])(?=[A-Za-z]*[a-z])[A-Za-z]{6}$"));
    static const QRegularExpression dataCopy(QStringLiteral(
        "^(検索\\.INI|[0-9]{8}\\.DAT)\\.(?=[A-Za-z]*[A-Z])(?=[A-Za-z]*[a-z])[A-Za-z]{6}$"));
    const std::pair<QString, const QRegularExpression*> folders[] = {
        {AppDataFolder(), &rootCopy}, {AppDataFolder() + QStringLiteral("/Data"), &dataCopy}};
    int removed = 0;
    for (const auto& [folder, pattern] : folders) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo& info : files) {
            if (pattern->match(info.fileName()).hasMatch() &&
                info.lastModified() < modifiedBefore && QFile::remove(info.filePath())) {
                ++removed;
            }
        }
    }
    return removed;
}

} // namespace Common
