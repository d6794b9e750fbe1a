#include "app/AppData.h"

#include "files/clsFile.h"

#include <QStandardPaths>

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
}

} // namespace Common
