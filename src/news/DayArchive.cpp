#include "news/DayArchive.h"

#include "app/AppData.h"
#include "app/Trace.h"
#include "text/Dates.h"

#include <QDir>
#include <QFile>

namespace News {

QString DataFolder() {
    return Common::AppDataFolder() + QStringLiteral("/Data");
}

QString DayFilePathOf(const QDate& day) {
    return DataFolder() + u'/' + Dates::ShortDate(day).remove(u'/') + QStringLiteral(".DAT");
}

QDate DayOfFileName(const QString& fileName) {
    if (fileName.size() != 12 || !fileName.endsWith(QStringLiteral(".DAT")))
        return {};
    for (int i = 0; i < 8; ++i) {
        if (!fileName[i].isDigit() || fileName[i].unicode() > u'9')
            return {};
    }
    return QDate::fromString(fileName.left(8), QStringLiteral("yyyyMMdd"));
}

QList<QDate> StoredDays(const QString& folder) {
    QList<QDate> days;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.DAT")}, QDir::Files);
    for (const QString& name : names) {
        const QDate day = DayOfFileName(name);
        if (day.isValid())
            days.append(day);
    }
    std::sort(days.begin(), days.end());
    return days;
}

int RemoveOldDayFiles(const QString& folder, const QDate& today, int keepDays) {
    if (keepDays <= 0)
        return 0;
    // Yesterday's file is still being read after midnight: never less than two days.
    const int keep = std::max(keepDays, 2);
    int removed = 0;
    for (const QDate& day : StoredDays(folder)) {
        if (day.daysTo(today) < keep)
            continue;
        const QString path =
            folder + u'/' + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".DAT");
        if (QFile::remove(path)) {
            ++removed;
            Common::TraceLine(QStringLiteral("Stat : removed ") + path);
        }
    }
    return removed;
}

DayFileResult EarlierDay::Open(const QDate& day) {
    // Another day's damaged file is only reported: it is not ours to move aside.
    const DayFileResult result = LoadDayFileFrom(store_, DayFilePathOf(day), false);
    if (result == DayFileResult::Loaded)
        day_ = day;
    return result;
}

void EarlierDay::Close() {
    day_ = QDate();
    store_.Clear();
}

bool EarlierDay::MarkOpened(int index) {
    if (!IsOpen() || index < 0 || index >= store_.Count())
        return false;
    store_.MutableItem(index).IsOpened = true;
    return SaveDayFileTo(store_, DayFilePathOf(day_));
}

} // namespace News
