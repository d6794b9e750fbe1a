// The fetch cycle's own work without the network: parse and merge 26 portal pages of 100
// headlines into a store of 10k, then rebuild the table. Then a real cycle against the loopback
// feed simulator (pauses shortened), measuring the longest stall of the event loop.

#include "app/AppData.h"
#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "parsers/Yahoo.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "text/Common.h"
#include "text/Dates.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

QString PortalPage(int source, int count, const QDate& day) {
    QString page = QStringLiteral("<html><body><select><option value=\"x\" selected>") +
                   QString::number(day.year()) + QStringLiteral("年") +
                   QString::number(day.month()) + QStringLiteral("月") +
                   QString::number(day.day()) + QStringLiteral("日（金）</option></select>\n");
    page += QStringLiteral("<!---news list-->\n");
    for (int i = 0; i < count; ++i) {
        const int minute = (count - i) % 60, hour = 9 + (count - i) / 60;
        page += QStringLiteral("<!-- 01 -->\n<li class=\"yjMt ymuiArrow1L\"><a href=\"/p/") +
                QString::number(source) + QStringLiteral("/") + QString::number(i) +
                QStringLiteral("\">【決算】銘柄") + QString::number(source * 1000 + i) +
                QStringLiteral("＝増益を発表</a></li>\n<li class=\"yjSt marB2 ymuiDate padL10\">") +
                QString::number(hour) + QStringLiteral("時") + QString::number(minute) +
                QStringLiteral("分&nbsp;</li>\n<!-- /01 -->\n");
    }
    page += QStringLiteral("<!---/news list-->\n</body></html>\n");
    return page;
}

void Print(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Pauses shortened to a pumped 5 ms so the run takes seconds, not minutes.
void PauseShort(int, bool, bool) {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Common::SetAppDataFolder(dir.path());
    Common::EnsureDataFolder();
    Program::Session session;
    const QDate today = QDate::currentDate();

    // A store of 10k older headlines.
    auto& store = session.store;
    const double base = Dates::ToOle(QDateTime(today.addDays(-1), QTime(0, 0)));
    for (int i = 0; i < 10000; ++i) {
        int pos = -1;
        store.InsertNewsItem(
            pos, base - i / 1440.0, QStringLiteral("ロイター"), QStringLiteral("市況"),
            QStringLiteral("過去の見出し ") + QString::number(i),
            QStringLiteral("http://h/old/") + QString::number(i), false, QString());
    }
    QList<QString> pages;
    for (int s = 0; s < 26; ++s)
        pages << PortalPage(s, 100, today);

    QElapsedTimer t;
    t.start();
    int merged = 0;
    for (int s = 0; s < 26; ++s) {
        QString next;
        const auto parsed =
            Yahoo::ParseYahooNewsListText(session.words, pages.at(s),
                                          QStringLiteral("http://127.0.0.1/cp/x?date=") +
                                              today.toString(QStringLiteral("yyyyMMdd")),
                                          News::SourceNames().at(s), next);
        if (!parsed)
            continue;
        for (const auto& h : *parsed) {
            if (store.FindNewsItem(h.Posted, h.Source, h.Category, h.Title, h.Url) >= 0)
                continue;
            int pos = store.FindInsertPosition(h.Posted);
            store.InsertNewsItem(pos, h.Posted, h.Source, h.Category, h.Title, h.Url, h.IsVip,
                                 h.Mark);
            ++merged;
        }
    }
    const double parseMerge = t.nsecsElapsed() / 1e6;
    t.restart();
    session.table.Fill();
    const double rebuild = t.nsecsElapsed() / 1e6;
    Print("cycle_parse_merge_26x100_into_10k", parseMerge, "ms");
    Print("cycle_table_rebuild_12k", rebuild, "ms");
    Print("cycle_own_work", parseMerge + rebuild, "ms");
    Print("cycle_headlines_merged", merged, "headlines");

    // A real cycle on loopback with the pauses cut short, watching the event loop.
    QProcess sim;
    sim.start(QStringLiteral(TW_FEEDSIM), {QStringLiteral("--port"), QStringLiteral("0"),
                                           QStringLiteral("--tdnet-port"), QStringLiteral("0")});
    if (!sim.waitForStarted(5000)) {
        std::printf("cycle_max_event_loop_stall: skipped (feedsim did not start)\n");
        return 0;
    }
    QByteArray out;
    while (out.count('\n') < 2 && sim.waitForReadyRead(5000))
        out += sim.readAllStandardOutput();
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == "portal")
            session.settings.NewsHost = QStringLiteral("http://") + QString::fromLatin1(parts[1]);
        if (parts.size() == 2 && parts[0] == "tdnet")
            session.settings.TdnetHost = QStringLiteral("http://") + QString::fromLatin1(parts[1]);
    }
    store.Clear();
    Common::SetPauseHook(&PauseShort);
    Ports::MainWindow().SetButtonPressed(App::Command::Timer, true);
    session.patrol.StartPatrol();
    QElapsedTimer gap;
    qint64 worst = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { worst = std::max(worst, gap.restart()); });
    ticker.start(10);
    gap.start();
    t.restart();
    session.patrol.RunCycle(News::CycleMode::Download);
    const double cycleMs = t.nsecsElapsed() / 1e6;
    worst = std::max(worst, gap.elapsed());
    ticker.stop();
    sim.kill();
    sim.waitForFinished();
    Print("cycle_patrol_loopback_wall", cycleMs, "ms");
    Print("cycle_patrol_loopback_headlines", store.Count(), "headlines");
    Print("cycle_max_event_loop_stall", double(worst), "ms");
    return 0;
}
