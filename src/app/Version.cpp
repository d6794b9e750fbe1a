#include "app/Version.h"

#ifndef TW_VERSION_MAJOR
#define TW_VERSION_MAJOR 1
#endif
#ifndef TW_VERSION_MINOR
#define TW_VERSION_MINOR 0
#endif
#ifndef TW_VERSION_PATCH
#define TW_VERSION_PATCH 0
#endif

namespace Program {

QString FormatVersionText(int major, int minor, int revision) {
    return QString::number(major) + QLatin1Char('.') + QString::number(minor) +
           QString::number(revision);
}

QString FormatVersionPageName(int major, int minor, int revision) {
    return QStringLiteral("version_") + QStringLiteral("%1").arg(major, 2, 10, QLatin1Char('0')) +
           QString::number(minor) + QString::number(revision) + QStringLiteral(".htm");
}

QString VersionText() {
    return FormatVersionText(TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_PATCH);
}

QString VersionPageName() {
    return FormatVersionPageName(TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_PATCH);
}

QString FullVersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(TW_VERSION_MAJOR)
        .arg(TW_VERSION_MINOR)
        .arg(TW_VERSION_PATCH);
}

} // namespace Program
