// Merging parsed pages into large stores, and the day file's load and save.
#include "app/AppData.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

using News::NewsItem;

namespace {

constexpr double kMinute = 1.0 / 1440;
const double kNewest = 45296.75; // 2024-01-05 18:00

NewsItem MakeItem(int serial, double posted) {
    NewsItem it;
    it.Posted = posted;
    it.Source = serial % 5 ? QStringLiteral("ロイター") : QStringLiteral("適時開示情報");
    it.Category = QStringLiteral("市況・株式%1").arg(serial % 40);
    it.Title = QStringLiteral("東証大引け＝続伸、半導体関連に買い　銘柄%1の決算を好感").arg(serial);
    it.Url = QStringLiteral("https://headlines.example.test/hl?a=20240105-%1")
                 .arg(serial, 8, 10, QChar('0'));
    it.IsNew = serial % 3 == 0;
    it.IsOpened = serial % 7 == 0;
    return it;
}

// n entries, newest first, several per minute with equal times.
QList<NewsItem> MakeStore(int n) {
    QList<NewsItem> items;
    items.reserve(n);
    for (int i = 0; i < n; ++i) {
        items.append(MakeItem(i, kNewest - (i / 4) * kMinute));
    }
    return items;
}

// The fetch cycle's merge: skip what is known, insert the rest where it belongs.
int Merge(News::NewsStore& store, const QList<NewsItem>& page) {
    int added = 0;
    for (const NewsItem& h : page) {
        if (store.FindNewsItem(h.Posted, h.Source, h.Category, h.Title, h.Url) >= 0) {
            continue;
        }
        int position = store.FindInsertPosition(h.Posted);
        added += store.InsertNewsItem(position, h.Posted, h.Source, h.Category, h.Title, h.Url,
                                      false, h.Mark);
    }
    return added;
}

// Best of a few runs, each on a fresh store from prepare().
double BestMs(int runs, const std::function<void()>& prepare, const std::function<void()>& run) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void Print(const char* name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QRandomGenerator rng(42);
    const Program::SettingsState settings;
    News::NewsStore store(settings);

    // A page of 100 headlines newer than the store, as a fetch cycle sees them.
    QList<NewsItem> page;
    for (int i = 0; i < 100; ++i) {
        page.append(MakeItem(10'000'000 + i, kNewest + (100 - i) * kMinute / 2));
    }

    for (int n : {1000, 10000, 100000}) {
        const QList<NewsItem> base = MakeStore(n);
        // Warm: the duplicate index exists already (a find happened since the load).
        const double warm = BestMs(
            5,
            [&] {
                store.ReplaceAll(base);
                store.FindNewsItem(0, "", "", "", "");
            },
            [&] { Merge(store, page); });
        // Cold: the first page after a load pays for building the index.
        const double cold = BestMs(
            5, [&] { store.ReplaceAll(base); }, [&] { Merge(store, page); });
        const QByteArray w = QStringLiteral("merge_page100_into_%1_warm").arg(n).toUtf8();
        const QByteArray c = QStringLiteral("merge_page100_into_%1_after_load").arg(n).toUtf8();
        Print(w.constData(), warm, "ms");
        Print(c.constData(), cold, "ms");
    }

    // 2,000 headlines, a third already known, the rest spread among the newest tenth of the
    // store and past it (late pages, yesterday's lists).
    {
        const int n = 100000;
        const QList<NewsItem> base = MakeStore(n);
        QList<NewsItem> batch;
        for (int i = 0; i < 2000; ++i) {
            if (i % 3 == 0) {
                batch.append(base[rng.bounded(n)]);
            } else {
                const double span = (n / 4) * kMinute / 10;
                batch.append(
                    MakeItem(20'000'000 + i, kNewest + 0.02 - rng.generateDouble() * span));
            }
        }
        const double warm = BestMs(
            5,
            [&] {
                store.ReplaceAll(base);
                store.FindNewsItem(0, "", "", "", "");
            },
            [&] { Merge(store, batch); });
        Print("merge_2000_third_known_into_100000_warm", warm, "ms");
        const double cold = BestMs(
            5, [&] { store.ReplaceAll(base); }, [&] { Merge(store, batch); });
        Print("merge_2000_third_known_into_100000_after_load", cold, "ms");
    }

    QTemporaryDir dir;
    Common::SetAppDataFolder(dir.path());
    for (int n : {10000, 100000}) {
        const QList<NewsItem> base = MakeStore(n);
        const double save = BestMs(
            5, [&] { store.ReplaceAll(base); }, [&] { News::SaveDayFile(store); });
        const double load = BestMs(
            5, [&] { store.Clear(); },
            [&] {
                if (News::LoadDayFile(store) != News::DayFileResult::Loaded) {
                    std::fprintf(stderr, "day file did not load\n");
                }
            });
        const QByteArray s = QStringLiteral("save_day_file_%1").arg(n).toUtf8();
        const QByteArray l = QStringLiteral("load_day_file_%1").arg(n).toUtf8();
        Print(s.constData(), save, "ms");
        Print(l.constData(), load, "ms");
        // A cycle right after the program's own save: the file is the store, so it is not read
        // again, and the merge runs on the warm index.
        const double merge = BestMs(
            5,
            [&] {
                store.ReplaceAll(base);
                News::SaveDayFile(store);
                store.FindNewsItem(0, "", "", "", "");
            },
            [&] {
                if (News::DayFileNeedsLoad(store))
                    News::LoadDayFile(store);
                Merge(store, page);
            });
        const QByteArray m =
            QStringLiteral("cycle_merge_page100_after_own_save_%1").arg(n).toUtf8();
        Print(m.constData(), merge, "ms");
    }
    return 0;
}
