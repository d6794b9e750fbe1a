// A whole patrol cycle (today, yesterday, the disclosure list) against the loopback feed
// simulator with many sources failing at once: one never answers, one resets, one answers 500,
// one cuts its body short, one sends 50 MB, one drips a byte a second, two lie about their
// encoding and the disclosure list has 10,000 rows. The program's own 10 s time-outs apply;
// the pauses between sources are cut to a pumped 5 ms. A 16 ms timer watches the event loop;
// its longest gap is told apart by phase: the 52 portal lists, the disclosure list, and the
// cycle's end (headline table and day file).

#include "app/AppData.h"
#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/Session.h"
#include "text/Common.h"

#include "ProcMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

class FixedClock : public Ports::ClockPort {
public:
    QDateTime now{QDate(2024, 1, 5), QTime(10, 0, 3)};
    QDateTime Now() const override { return now; }
    qint64 TickMs() const override { return 0; }
};

class HighRandom : public Ports::RandomPort {
public:
    // Above the 85 % chance: no wait for the disclosure service's five-minute rhythm.
    double Next() override { return 0.9; }
};

int g_pauses = 0; // one after each source
void PauseShort(int, bool, bool) {
    ++g_pauses;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

void Print(const char* name, double value, const char* unit) {
    std::printf("%s: %.0f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Common::SetAppDataFolder(dir.path());
    Common::EnsureDataFolder();
    FixedClock clock;
    HighRandom random;
    Ports::SetClock(&clock);
    Ports::SetRandom(&random);
    Program::Session session;

    QProcess sim;
    sim.start(QStringLiteral(TW_FEEDSIM),
              QStringLiteral("--port 0 --tdnet-port 0 --start 2024-01-05T10:00:00 --frozen "
                             "--seed 7 --fault reu=hang --fault bloom_cn=reset --fault jijf=500 "
                             "--fault mai=truncate --fault diamond=huge:50 --fault dzh=drip "
                             "--fault fisf=wrongenc --fault ifis=wrongenc:random "
                             "--fault tdnet=rows:10000")
                  .split(u' '));
    QByteArray out;
    while (out.count('\n') < 2 && sim.waitForReadyRead(5000))
        out += sim.readAllStandardOutput();
    int found = 0;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        const QString address = QStringLiteral("http://") + QString::fromLatin1(parts[1]);
        if (parts[0] == "portal" && ++found)
            session.settings.NewsHost = address;
        if (parts[0] == "tdnet" && ++found)
            session.settings.TdnetHost = address;
    }
    if (found != 2) {
        std::printf("faults_cycle: skipped (feedsim did not start)\n");
        return 0;
    }

    Common::SetPauseHook(&PauseShort);
    Ports::MainWindow().SetButtonPressed(App::Command::Timer, true);
    session.patrol.StartPatrol();
    const int portalSources = 2 * int(News::SourceCodes().size());
    QElapsedTimer gap;
    qint64 worst[3] = {0, 0, 0}; // portal lists, disclosure list, end of the cycle
    // A gap belongs to the phase of the tick that opened it: the work came after that tick.
    int openedAt = 0;
    auto note = [&](qint64 ms) {
        const int phase = openedAt < portalSources ? 0 : openedAt == portalSources ? 1 : 2;
        worst[phase] = std::max(worst[phase], ms);
        openedAt = g_pauses;
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { note(gap.restart()); });
    const qint64 rssBefore = StatusKb("VmRSS");
    QElapsedTimer cycle;
    ticker.start(16);
    gap.start();
    cycle.start();
    session.patrol.RunCycle(News::CycleMode::Download);
    const qint64 cycleMs = cycle.elapsed();
    note(gap.elapsed());
    ticker.stop();
    const qint64 peak = StatusKb("VmHWM");
    sim.kill();
    sim.waitForFinished();

    Print("faults_cycle", double(cycleMs), "ms");
    Print("faults_max_stall", double(*std::max_element(worst, worst + 3)), "ms");
    Print("faults_max_stall_portal", double(worst[0]), "ms");
    Print("faults_max_stall_disclosure", double(worst[1]), "ms");
    Print("faults_max_stall_cycle_end", double(worst[2]), "ms");
    Print("faults_rss_growth", (peak - rssBefore) / 1024.0, "MB");
    Print("faults_headlines", session.store.Count(), "headlines");
    return 0;
}
