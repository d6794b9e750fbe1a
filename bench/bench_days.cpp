// Earlier days: opening a stored day of 10k headlines into the table, and the search across
// 250 stored days of 10k headlines each with the event loop watched and the memory it takes.
#include "app/AppData.h"
#include "app/Ports.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "news/Sources.h"
#include "present/DaySearch.h"
#include "present/GridPort.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"

#include "ProcMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class BenchClock : public Ports::ClockPort {
public:
    QDateTime Now() const override { return QDateTime(QDate(2024, 12, 20), QTime(10, 0)); }
    qint64 TickMs() const override { return 0; }
};

constexpr int kPerDay = 10000;
constexpr int kDays = 250;

// A day's headlines, newest first, with words the search looks for spread thin.
QList<News::NewsItem> MakeDay(const QDate& day, int salt) {
    static const QStringList names = News::SourceNames();
    static const QStringList words{"円相場", "決算", "株価",   "ドル",
                                   "原油",   "金利", "半導体", "増配"};
    const double base = double(QDate(1899, 12, 30).daysTo(day)) + 0.75;
    QList<News::NewsItem> items;
    items.reserve(kPerDay);
    for (int i = 0; i < kPerDay; ++i) {
        News::NewsItem item;
        item.Posted = base - i / 20000.0;
        item.Source = names[(i + salt) % names.size()];
        item.Category = QStringLiteral("[市況]");
        // One headline in 2000 mentions the central bank.
        item.Title = (i % 2000 == 7 ? QStringLiteral("日銀") : words[i % words.size()]) +
                     QStringLiteral("が") + words[(i / 8) % words.size()] +
                     QStringLiteral("に影響、市場関係者の見方") + QString::number(i);
        item.Url = QStringLiteral("http://127.0.0.1/a/") + QString::number(salt) + u'/' +
                   QString::number(i);
        item.IsOpened = i % 7 == 0;
        items.append(item);
    }
    return items;
}

void Print(const char* name, double value, const char* unit) {
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchClock clock;
    Ports::SetClock(&clock);
    Present::FixedGridPort port;
    Present::SetGridPort(&port);
    QTemporaryDir dir;
    Common::SetAppDataFolder(dir.path());
    QDir().mkpath(News::DataFolder());

    QList<QDate> days;
    const QDate last = clock.Today().addDays(-1);
    for (int d = 0; d < kDays; ++d) {
        const QDate day = last.addDays(-d);
        days.prepend(day);
        QFile out(News::DayFilePathOf(day));
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        out.write(News::EncodeDayFile(MakeDay(day, d)));
    }

    // Opening a day: read its file, then the table shows it.
    Program::Session session;
    session.table.Init();
    Ports::MainWindow().SetSearchText(QString());
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        session.earlier.Open(days[run]);
        session.table.ShowStore(&session.earlier.Store());
        session.table.Fill();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    Print("days_open_10k_day", best, "ms");
    session.table.ShowStore(nullptr);
    session.earlier.Close();
    session.table.Model().SetRows(0);

    // The search: the window's loop keeps ticking every 5 ms; the longest gap is the stall.
    const long idleKb = ResidentKb();
    const long idlePeak = PeakKb();
    Present::DaySearchJob job(News::DataFolder(), days, QStringLiteral("日銀 & 市場"));
    QEventLoop loop;
    Present::DaySearchOutcome outcome;
    QObject::connect(&job, &Present::DaySearchJob::Finished, &loop,
                     [&](const Present::DaySearchOutcome& o) {
                         outcome = o;
                         loop.quit();
                     });
    long worstKb = idleKb;
    QElapsedTimer gap;
    qint64 worst = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worst = std::max(worst, gap.restart());
        worstKb = std::max(worstKb, ResidentKb());
    });
    ticker.start(5);
    QElapsedTimer wall;
    wall.start();
    gap.start();
    job.Start();
    loop.exec();
    const double searchMs = wall.nsecsElapsed() / 1e6;
    worst = std::max(worst, gap.elapsed());
    ticker.stop();
    Print("days_search_250x10k_wall", searchMs, "ms");
    Print("days_search_headlines", double(outcome.headlinesSearched), "headlines");
    Print("days_search_hits", double(outcome.hits.size()), "hits");
    Print("days_search_max_event_loop_stall", double(worst), "ms");
    Print("days_search_memory_above_idle", (worstKb - idleKb) / 1024.0, "MB");
    Print("days_search_peak_above_idle_peak", std::max(0L, PeakKb() - idlePeak) / 1024.0, "MB");
    return 0;
}
