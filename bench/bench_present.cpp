// Headline table and search timings over large stores.
#include "app/Ports.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/GridPort.h"
#include "present/HeadlineSearch.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"

#include "ProcMemory.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

class BenchClock : public Ports::ClockPort {
public:
    QDateTime Now() const override { return QDateTime(QDate(2024, 3, 15), QTime(10, 0)); }
    qint64 TickMs() const override { return 0; }
};

void FillStore(News::NewsStore& store, int count) {
    store.Clear();
    const QStringList names = News::SourceNames();
    const QStringList words{"日銀", "円相場", "決算", "上方修正", "株価", "ドル", "原油", "金利"};
    const double base = double(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15)));
    for (int i = 0; i < count; ++i) {
        int position = -1;
        const QString title = words[i % words.size()] + QStringLiteral("が") +
                              words[(i / 8) % words.size()] + QStringLiteral("に影響、市場関係者") +
                              QString::number(i);
        store.InsertNewsItem(position, base - i / 2000.0, names[i % names.size()],
                             QStringLiteral("[市況]"), title,
                             QStringLiteral("http://127.0.0.1/a/") + QString::number(i),
                             i % 50 == 0, i % 7 == 0 ? QStringLiteral("追") : QString());
    }
}

double TimeFill(Present::HeadlineTable& table) {
    QElapsedTimer timer;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        table.Fill();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchClock clock;
    Ports::SetClock(&clock);
    Present::FixedGridPort port;
    Present::SetGridPort(&port);
    Program::Session session;
    Present::HeadlineTable& table = session.table;
    table.Init();
    Ports::MainWindow().SetSearchText(QString());

    FillStore(session.store, 10000);
    std::printf("fill_headline_grid_10k: %.2f ms\n", TimeFill(table));

    FillStore(session.store, 100000);
    // Memory first, on a fresh grid, so the figure is the model's own.
    table.Model().SetRows(0);
    const long before = ResidentKb();
    table.Fill();
    const long after = ResidentKb();
    std::printf("grid_memory_per_row_rss: %.0f bytes\n", (after - before) * 1024.0 / 100000.0);
    std::printf("grid_cell_struct_per_row: %lld bytes\n",
                static_cast<long long>(Present::GridModel::CellSize() * 10 + sizeof(int)));
    std::printf("fill_headline_grid_100k: %.2f ms\n", TimeFill(table));

    Ports::MainWindow().SetSearchText(QStringLiteral("日銀 & (決算 | 株価)"));
    QElapsedTimer timer;
    double best = 1e9;
    int hit = -1;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        hit = table.Search(0, 1, true, true);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    std::printf("search_mark_all_100k: %.2f ms\n", best);
    std::printf("search_last_hit: %d index\n", hit);
    return 0;
}
