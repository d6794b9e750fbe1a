#include "app/Defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

namespace Program {

QStringList InstallDefaultWordLists(const QString& bundledFolder, const QString& targetFolder) {
    QStringList copied;
    if (bundledFolder.isEmpty() || targetFolder.isEmpty())
        return copied;
    const QDir source(bundledFolder);
    const QStringList names = source.entryList(QDir::Files | QDir::Readable, QDir::Name);
    if (names.isEmpty())
        return copied;

    QDir target(targetFolder);
    if (target.exists() &&
        !target.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
             .isEmpty())
        return copied;
    if (!target.mkpath(QStringLiteral(".")))
        return copied;

    for (const QString& name : names) {
        const QString to = target.filePath(name);
        // QFile::copy never replaces an existing file; the check keeps a file that appeared
        // meanwhile out of the report as well.
        if (QFileInfo::exists(to))
            continue;
        if (!QFile::copy(source.filePath(name), to)) {
            qWarning("Could not copy the word list %s to %s", qUtf8Printable(name),
                     qUtf8Printable(targetFolder));
            continue;
        }
        // Installed files may be read-only; the user's copies are theirs to edit.
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner |
                                      QFileDevice::ReadOwner);
        copied << name;
    }
    return copied;
}

} // namespace Program
