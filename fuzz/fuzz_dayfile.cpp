// Any bytes as the day file on disk. A file that loads must save and load again to the same
// store, and every entry of a loaded store must be found again by its duplicate key; a file
// that does not load must leave the store alone.

#include "FuzzInput.h"
#include "app/AppData.h"
#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <bit>

namespace {

class FixedClock : public Ports::ClockPort {
public:
    QDateTime Now() const override { return QDateTime(QDate(2024, 1, 5), QTime(10, 30)); }
    qint64 TickMs() const override { return 0; }
};

// Text fields longer than the file holds are cut at a character boundary when saved.
QString AsSaved(const QString& text) {
    return QString::fromUtf8(News::Utf8Prefix(text, 65535));
}

bool SameEntry(const News::NewsItem& a, const News::NewsItem& b) {
    return std::bit_cast<quint64>(a.Posted) == std::bit_cast<quint64>(b.Posted) &&
           AsSaved(a.Source) == b.Source && AsSaved(a.Category) == b.Category &&
           AsSaved(a.Title) == b.Title && AsSaved(a.Url) == b.Url && a.StockCode == b.StockCode &&
           AsSaved(a.Reserved1) == b.Reserved1 && AsSaved(a.Reserved2) == b.Reserved2 &&
           a.IsVip == b.IsVip && a.Reserved3 == b.Reserved3 && AsSaved(a.Mark) == b.Mark &&
           a.IsOpened == b.IsOpened && a.IsNew == b.IsNew;
}

QTemporaryDir& Folder() {
    // Memory-backed when possible: every input is written, and a loading one saved, to disk.
    static QTemporaryDir folder((QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm")
                                     : QDir::tempPath()) +
                                QStringLiteral("/tw-fuzz-dayfile-XXXXXX"));
    return folder;
}

FixedClock fixedClock;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Common::SetAppDataFolder(Folder().path());
    Common::EnsureDataFolder();
    Ports::SetClock(&fixedClock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = News::DayFilePath();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    static const Program::SettingsState settings;
    News::NewsStore store(settings);
    News::NewsItem marker;
    marker.Title = QStringLiteral("before the load");
    store.ReplaceAll({marker});

    const News::DayFileResult result = News::LoadDayFile(store);
    if (result != News::DayFileResult::Loaded) {
        FUZZ_CHECK(result == News::DayFileResult::Corrupt);
        FUZZ_CHECK(store.Count() == 1 && store.Item(0).Title == marker.Title);
        FUZZ_CHECK(QFile::exists(path + QStringLiteral(".bad")) && !QFile::exists(path));
        QFile::remove(path + QStringLiteral(".bad"));
        return 0;
    }

    const QList<News::NewsItem> loaded = store.Items();
    for (int i = 0; i < std::min<int>(store.Count(), 256); ++i) {
        const News::NewsItem& item = store.Item(i);
        if (item.Posted != item.Posted)
            continue; // a NaN time has no key
        const int found =
            store.FindNewsItem(item.Posted, item.Source, item.Category, item.Title, item.Url);
        FUZZ_CHECK(found >= 0 && found <= i);
        FUZZ_CHECK(store.Item(found).Title == item.Title && store.Item(found).Url == item.Url);
    }

    if (!News::SaveDayFile(store)) {
        FUZZ_CHECK(loaded.isEmpty()); // an empty store is never written
        return 0;
    }
    store.Clear();
    FUZZ_CHECK(News::LoadDayFile(store) == News::DayFileResult::Loaded);
    FUZZ_CHECK(store.Count() == loaded.size());
    for (int i = 0; i < store.Count(); ++i)
        FUZZ_CHECK(SameEntry(loaded[i], store.Item(i)));
    return 0;
}
