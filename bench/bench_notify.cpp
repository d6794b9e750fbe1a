// How long the event loop stands still while news notices go to a notification service that
// takes every call and never answers (a hung desktop). The service runs in a child process on
// a private session bus; this process sends a notice after each simulated cycle and watches a
// 1 ms timer for gaps.
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "ui/DesktopNotify.h"
#include "ui/NewsNotices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

const QString ServiceName = QStringLiteral("org.freedesktop.Notifications");

// Takes Notify and never replies.
class HungService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public slots:
    QStringList GetCapabilities() {
        setDelayedReply(true);
        held_ << message();
        return {};
    }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString&,
                const QStringList&, const QVariantMap&, int) {
        setDelayedReply(true);
        held_ << message();
        return 0;
    }

private:
    QList<QDBusMessage> held_;
};

int Serve(const QString& address) {
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("hung"));
    HungService service;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(ServiceName))
        return 1;
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--serve")
        return Serve(QString::fromLocal8Bit(argv[2]));

    const QString daemonPath = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemonPath.isEmpty()) {
        std::fprintf(stderr, "dbus-daemon not found\n");
        return 77;
    }
    QProcess daemon;
    daemon.start(daemonPath, {QStringLiteral("--session"), QStringLiteral("--print-address"),
                              QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
    QByteArray out;
    while (!out.contains('\n') && daemon.waitForReadyRead(5000))
        out += daemon.readAllStandardOutput();
    const QString address = QString::fromUtf8(out).trimmed();
    QProcess service;
    service.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), address});
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("client"));
    for (int i = 0; i < 100 && !bus.interface()->isServiceRegistered(ServiceName); ++i)
        QThread::msleep(50);
    if (!bus.interface()->isServiceRegistered(ServiceName)) {
        std::fprintf(stderr, "the stand-in service did not start\n");
        return 1;
    }

    // A day's store, 300 headlines new in every cycle, a third of them watched.
    Program::SettingsState settings;
    settings.WatchWord = QStringLiteral("7203|ソニー");
    News::NewsStore store{settings};
    const double day = double(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15)));
    for (int i = 0; i < 3000; ++i) {
        int position = -1;
        const QString title = (i % 3 == 0 ? QStringLiteral("ソニー") : QStringLiteral("日経平均")) +
                              QStringLiteral(" 見出し ") + QString::number(i);
        store.InsertNewsItem(
            position, day + 0.4 - i / 10000.0, QStringLiteral("ロイター"), QStringLiteral("[市況]"),
            title, QStringLiteral("http://127.0.0.1/") + QString::number(i), false, QString());
    }
    News::CycleResult cycle;
    cycle.ran = cycle.storeHasItems = cycle.grew = true;
    for (int i = 0; i < 300; ++i)
        cycle.newIndexes << i;
    cycle.newCount = 300;

    int fallbacks = 0;
    auto* notifier = new DBusNotifier(bus, 1000);
    NewsNotices notices(store, settings,
                        new NewsNoticeSink(notifier, [&fallbacks](const QString&, const QString&) {
                            ++fallbacks;
                            return false;
                        }));

    constexpr int Cycles = 40;
    QElapsedTimer clock;
    clock.start();
    // The longest gap between two ticks of a 1 ms timer while the loop runs for runMs, with a
    // notice sent every 100 ms when `notify` is set.
    auto longestGap = [&](bool notify, int runMs, qint64& longestShowNs) {
        qint64 lastTick = 0, gap = 0;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastTick > 0)
                gap = std::max(gap, now - lastTick);
            lastTick = now;
        });
        heartbeat.start(1);
        int sent = 0;
        QTimer cycles;
        QObject::connect(&cycles, &QTimer::timeout, [&] {
            QElapsedTimer show;
            show.start();
            notices.OnCycle(cycle);
            longestShowNs = std::max(longestShowNs, show.nsecsElapsed());
            if (++sent == Cycles)
                cycles.stop();
        });
        if (notify)
            cycles.start(100);
        QTimer::singleShot(runMs, &app, &QCoreApplication::quit);
        QCoreApplication::exec();
        return gap;
    };
    // The same loop without notices: what the machine itself costs.
    qint64 idleShowNs = 0, longestShowNs = 0;
    const qint64 idleGap = longestGap(false, Cycles * 100 + 1500, idleShowNs);
    // Every call times out (1 s) before the run ends.
    const qint64 hungGap = longestGap(true, Cycles * 100 + 1500, longestShowNs);

    std::printf("notify_idle_longest_loop_stall: %.1f ms\n", idleGap / 1e6);
    std::printf("notify_hung_service_longest_loop_stall: %.1f ms\n", hungGap / 1e6);
    std::printf("notify_hung_service_longest_notice_call: %.2f ms\n", longestShowNs / 1e6);
    std::printf("notify_hung_service_timed_out_calls: %d count\n", fallbacks);
    service.kill();
    service.waitForFinished(3000);
    daemon.kill();
    daemon.waitForFinished(3000);
    return 0;
}

#include "bench_notify.moc"
