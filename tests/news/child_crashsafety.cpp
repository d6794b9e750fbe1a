// Saves the day file (mode "day") or the settings and search history (mode "settings") in the
// folder, alternating between two complete versions, until it is killed.
// With a version (0 or 1) as third argument it saves that version once and exits.

#include "app/AppData.h"
#include "app/Ports.h"
#include "app/Settings.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"

#include <cstdio>

namespace {

// The day file is named after the date: keep it on one day.
class FixedDay : public Ports::ClockPort {
public:
    QDateTime Now() const override { return QDateTime(QDate(2024, 3, 15), QTime(12, 0)); }
    qint64 TickMs() const override { return 0; }
};

QList<News::NewsItem> DayItems(int version) {
    QList<News::NewsItem> items(version == 0 ? 800 : 900);
    for (int i = 0; i < items.size(); ++i) {
        items[i].Posted = 45366.5 - i / 10000.0;
        items[i].Source = QStringLiteral("適時開示情報");
        items[i].Title = QStringLiteral("見出し %1 版 %2 業績予想の修正").arg(i).arg(version);
        items[i].Url = QStringLiteral("https://x.test/%1.pdf").arg(i);
    }
    return items;
}

bool SaveSettingsVersion(Program::SettingsState& s, int version) {
    for (int n = 0; n < s.SearchWords.size(); ++n) {
        s.SearchWords[n] = QStringLiteral("語%1-%2").arg(version).arg(n);
    }
    s.Site = QStringLiteral("http://site%1.test").arg(version); // the last key written
    Program::SearchHistory history{QStringLiteral("トヨタ %1").arg(version), {}};
    for (int n = 0; n < 20 + version * 5; ++n) {
        history.items.append(QStringLiteral("検索語 %1 %2").arg(version).arg(n));
    }
    return Program::SaveSettings(s, {100 + version, 200, 9600, 7200, false, 0}, &history);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    FixedDay clock;
    Ports::SetClock(&clock);
    Common::SetAppDataFolder(QString::fromLocal8Bit(argv[1]));
    Common::EnsureDataFolder();
    const bool day = qstrcmp(argv[2], "day") == 0;
    const QList<News::NewsItem> items[2] = {DayItems(0), DayItems(1)};
    Program::SettingsState settings;
    News::NewsStore store(settings);
    auto save = [&](int version) {
        if (!day) {
            return SaveSettingsVersion(settings, version);
        }
        store.ReplaceAll(items[version]);
        return News::SaveDayFile(store);
    };
    if (argc > 3) {
        return save(QByteArray(argv[3]).toInt()) ? 0 : 1;
    }
    if (!save(0)) {
        return 1;
    }
    std::puts("saved"); // from here on the files exist and must survive any kill
    std::fflush(stdout);
    for (int version = 1;; version ^= 1) {
        if (!save(version)) {
            return 1;
        }
    }
}
