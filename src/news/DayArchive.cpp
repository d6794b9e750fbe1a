#include "news/DayArchive.h"

#include "app/AppData.h"
#include "app/Trace.h"
#include "news/FetchCycle.h"
#include "text/Dates.h"
#include "web/clsWEB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool CanFillDay(const QString& folder, const QDate& day, const QDate& today) {
    if (!day.isValid() || day >= today || day.daysTo(today) > DisclosureListDays)
        return false;
    const QFileInfo file(folder + u'/' + day.toString(QStringLiteral("yyyyMMdd")) +
                         QStringLiteral(".DAT"));
    return !file.exists() || file.lastModified() < QDateTime(day.addDays(1), QTime(0, 0));
}

FillResult DayFill::Run() {
    FillResult result;
    NewsStore store(settings_);
    const QString path = DayFilePathOf(day_);
    const DayFileResult read = LoadDayFileFrom(store, path, false);
    if (read == DayFileResult::Corrupt || read == DayFileResult::Unreadable) {
        // Saving now would lose what the damaged file still holds.
        result.reason = QFileInfo(path).fileName() + QStringLiteral(" を読み込めません");
        return result;
    }
    const int before = store.Count();
    // A patrol of its own over the day's store: the same paging, merging and pauses.
    Patrol filler(settings_, store, web_, words_);
    filler_ = &filler;
    cancelled_ = false;
    result.ok = filler.FetchSource(TdnetAddress(settings_, day_), TdnetSourceName, 1500, 4000,
                                   &result.reason);
    filler_ = nullptr;
    if (cancelled_) {
        // A part of the day written now would look like the whole day read: it is not offered
        // again then. The file stays as it was, to be filled another time.
        result = FillResult();
        result.cancelled = true;
        result.reason = QStringLiteral("中止しました");
        return result;
    }
    result.added = store.Count() - before;
    // Written even when nothing was missing: the file then shows the day was read whole.
    if (result.ok && store.HasNewsItems()) {
        // "New" means new since the last look at today; an earlier day has none.
        store.ClearNewFlags();
        if (!SaveDayFileTo(store, path)) {
            result.ok = false;
            result.reason = QFileInfo(path).fileName() + QStringLiteral(" を保存できません");
        }
    }
    return result;
}

void DayFill::Cancel() {
    if (!filler_)
        return;
    cancelled_ = true;
    filler_->RequestCycleEnd();
    web_.Cancel();
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
