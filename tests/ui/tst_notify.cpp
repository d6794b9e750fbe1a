// Desktop notifications about news, against a stand-in notification service on a private
// session bus: what a notice says, how the next one replaces it, its actions, the tray when no
// service is there, a service that never answers, and a patrol with a watch list against the
// feed simulator.

#include "WindowFixture.h"
#include "support_bus.h"

#include "../fetch/support_feedsim.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "present/Watch.h"
#include "ui/DesktopNotify.h"
#include "ui/GridView.h"
#include "ui/NewsNotices.h"
#include "ui/WindowPorts.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

void NoPause(int, bool, bool) {}

double Ole(int hour, int minute) {
    return double(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15))) + (hour * 60 + minute) / 1440.0;
}

void Put(News::NewsStore& store, int hour, int minute, const QString& title) {
    int position = store.FindInsertPosition(Ole(hour, minute));
    store.InsertNewsItem(position, Ole(hour, minute), QStringLiteral("ロイター"),
                         QStringLiteral("[企業]"), title,
                         QStringLiteral("http://127.0.0.1/") + title, false, QString());
}

News::CycleResult NewItems(const News::NewsStore& store, const QStringList& titles) {
    News::CycleResult result;
    result.ran = result.storeHasItems = result.grew = true;
    for (int i = 0; i < store.Count(); ++i) {
        if (titles.contains(store.Item(i).Title))
            result.newIndexes.append(i);
    }
    result.newCount = int(result.newIndexes.size());
    return result;
}

struct TrayRecord {
    QStringList messages; // summary + "\n" + body
    std::function<bool(const QString&, const QString&)> Function() {
        return [this](const QString& summary, const QString& body) {
            messages << summary + u'\n' + body;
            return true;
        };
    }
};

} // namespace

class TestNotify : public QObject {
    Q_OBJECT
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<FakeNotifications> service;
    int connections = 0;

    QDBusConnection Client() {
        return bus->Connect(QStringLiteral("client") + QString::number(++connections));
    }

private slots:
    void init() {
        if (!PrivateBus::Available())
            QSKIP("dbus-daemon is not installed");
        bus = std::make_unique<PrivateBus>();
        QVERIFY(!bus->Start().isEmpty());
        service = std::make_unique<FakeNotifications>(
            bus->Connect(QStringLiteral("service") + QString::number(++connections)));
    }
    void cleanup() {
        service.reset();
        bus.reset();
    }

    void noticeThenReplacement() {
        QVERIFY(service->Register());
        Program::SettingsState settings;
        News::NewsStore store{settings};
        settings.WatchWord = QStringLiteral("7203|ソニー");
        NewsNotices notices(store, settings, new DBusNotifier(Client()));
        Put(store, 9, 5, QStringLiteral("＜7203＞ 増産へ"));
        Put(store, 9, 30, QStringLiteral("日経平均は続伸"));
        Put(store, 10, 2, QStringLiteral("ソニー、新型機 & 新作"));
        notices.OnCycle(
            NewItems(store, {QStringLiteral("＜7203＞ 増産へ"), QStringLiteral("日経平均は続伸"),
                             QStringLiteral("ソニー、新型機 & 新作")}));
        QTRY_COMPARE(service->calls.size(), 1);
        const FakeNotifications::Call first = service->calls.at(0);
        QCOMPARE(first.app, QStringLiteral("Tickerwisp"));
        QCOMPARE(first.icon, QStringLiteral("io.github.tickerwisp.Tickerwisp"));
        QCOMPARE(first.summary, QStringLiteral("注目ニュース 2 件"));
        // Newest first; no markup escaping for a service that takes plain text.
        QCOMPARE(first.body, QStringLiteral("10:02 ロイター ソニー、新型機 & 新作\n"
                                            "09:05 ロイター ＜7203＞ 増産へ"));
        QCOMPARE(first.replaces, 0u);
        QVERIFY(first.actions.contains(QStringLiteral("default")));
        const qsizetype open = first.actions.indexOf(QStringLiteral("open"));
        QVERIFY(open >= 0 && open % 2 == 0);
        QCOMPARE(first.actions.value(open + 1), QStringLiteral("開く"));
        QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("io.github.tickerwisp.Tickerwisp"));

        QTRY_COMPARE(static_cast<DBusNotifier*>(notices.Sink())->LastId(), service->LastGivenId());
        // A cycle with nothing watched says nothing; the next one with hits replaces the notice.
        Put(store, 10, 10, QStringLiteral("円相場"));
        notices.OnCycle(NewItems(store, {QStringLiteral("円相場")}));
        for (int k = 1; k <= 10; ++k)
            Put(store, 11, k, QStringLiteral("ソニー ") + QString::number(k));
        QStringList titles;
        for (int k = 1; k <= 10; ++k)
            titles << QStringLiteral("ソニー ") + QString::number(k);
        notices.OnCycle(NewItems(store, titles));
        QTRY_COMPARE(service->calls.size(), 2);
        const FakeNotifications::Call second = service->calls.at(1);
        QCOMPARE(second.replaces, service->LastGivenId());
        QCOMPARE(second.summary, QStringLiteral("注目ニュース 10 件"));
        const QStringList lines = second.body.split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.first(), QStringLiteral("11:10 ロイター ソニー 10"));
        QCOMPARE(lines.at(4), QStringLiteral("11:06 ロイター ソニー 6"));
        QCOMPARE(lines.last(), QStringLiteral("ほか 5 件"));
    }

    void actions() {
        QVERIFY(service->Register());
        Program::SettingsState settings;
        News::NewsStore store{settings};
        settings.NotifyAllNews = true;
        NewsNotices notices(store, settings, new DBusNotifier(Client()));
        QList<int> opened;
        int fronts = 0;
        notices.OpenStep = [&](int index) { opened << index; };
        notices.FrontStep = [&] { ++fronts; };
        Put(store, 9, 0, QStringLiteral("古い"));
        Put(store, 9, 1, QStringLiteral("新しい"));
        notices.OnCycle(NewItems(store, {QStringLiteral("古い"), QStringLiteral("新しい")}));
        QTRY_COMPARE(service->calls.size(), 1);
        QCOMPARE(service->calls.at(0).summary, QStringLiteral("新着ニュース 2 件"));
        const uint id = service->LastGivenId();
        QTRY_COMPARE(static_cast<DBusNotifier*>(notices.Sink())->LastId(), id);

        // Another program's notice is none of ours.
        service->Invoke(id + 7, QStringLiteral("open"));
        // A headline merged in front meanwhile: "開く" still finds the newest of the notice.
        Put(store, 9, 2, QStringLiteral("後から"));
        service->Invoke(id, QStringLiteral("open"));
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(store.Item(opened.first()).Title, QStringLiteral("新しい"));
        service->Invoke(id, QStringLiteral("default"));
        QTRY_COMPARE(fronts, 1);
        QCOMPARE(opened.size(), 1);
    }

    // A service that reads markup gets titles with "&" and "<" escaped, not taken as tags.
    void markupEscaped() {
        service->markup = true;
        QVERIFY(service->Register());
        auto* notifier = new DBusNotifier(Client());
        NewsNoticeSink sink(notifier, {});
        QTRY_VERIFY(notifier->Markup());
        sink.Show(QStringLiteral("注目ニュース 1 件"),
                  {QStringLiteral("09:00 ロイター <b>A&B</b>")});
        QTRY_COMPARE(service->calls.size(), 1);
        QCOMPARE(service->calls.first().body,
                 QStringLiteral("09:00 ロイター &lt;b&gt;A&amp;B&lt;/b&gt;"));
        QCOMPARE(service->calls.first().summary, QStringLiteral("注目ニュース 1 件"));
    }

    // The icon a notice names: the theme icon's name once the program is installed; run from
    // where it was built, a picture of the window's icon that the desktop can open.
    void iconInstalledOrDrawn() {
        QTemporaryDir dir;
        const QByteArray saved[] = {qgetenv("XDG_DATA_HOME"), qgetenv("XDG_DATA_DIRS"),
                                    qgetenv("XDG_CACHE_HOME")};
        qputenv("XDG_DATA_HOME", dir.filePath("home").toUtf8());
        qputenv("XDG_DATA_DIRS", dir.filePath("system").toUtf8());
        qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
        QPixmap drawn(32, 32);
        drawn.fill(Qt::red);
        QGuiApplication::setWindowIcon(QIcon(drawn));

        const QUrl url(NoticeIcon());
        QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
        QVERIFY(url.toLocalFile().startsWith(dir.filePath("cache")));
        const QImage picture(url.toLocalFile(), "PNG");
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(Qt::red));
        // Drawn once: a second notice names the same file.
        QCOMPARE(NoticeIcon(), url.toString());

        const QString installed =
            dir.filePath("system/icons/hicolor/scalable/apps/io.github.tickerwisp.Tickerwisp.svg");
        QVERIFY(QDir().mkpath(QFileInfo(installed).path()));
        QFile svg(installed);
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
        svg.close();
        QCOMPARE(NoticeIcon(), QStringLiteral("io.github.tickerwisp.Tickerwisp"));

        QGuiApplication::setWindowIcon(QIcon());
        const char* names[] = {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CACHE_HOME"};
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], saved[i]);
        }
    }

    // Without the service the tray icon's message carries the same notice.
    void fallbackToTray_data() {
        QTest::addColumn<bool>("busUp");
        QTest::newRow("no service on the bus") << true;
        QTest::newRow("no bus") << false;
    }
    void fallbackToTray() {
        QFETCH(bool, busUp);
        TrayRecord tray;
        const QDBusConnection connection =
            busUp ? Client()
                  : QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                                  QStringLiteral("nobus"));
        QCOMPARE(connection.isConnected(), busUp);
        NewsNoticeSink sink(new DBusNotifier(connection), tray.Function());
        sink.Show(QStringLiteral("注目ニュース 1 件"), {QStringLiteral("09:00 ロイター 見出し")});
        QTRY_COMPARE(tray.messages.size(), 1);
        QCOMPARE(tray.messages.first(), QStringLiteral("注目ニュース 1 件\n09:00 ロイター 見出し"));
        QCOMPARE(service->calls.size(), 0);
    }

    // A service that takes the call and never answers: the caller goes on at once, the event
    // loop keeps running, and after the time-out the tray speaks instead.
    void serviceThatNeverAnswers() {
        service->silent = true;
        QVERIFY(service->Register());
        TrayRecord tray;
        auto* notifier = new DBusNotifier(Client(), 400);
        NewsNoticeSink sink(notifier, tray.Function());
        int ticks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
        heartbeat.start(5);
        sink.Show(QStringLiteral("注目ニュース 1 件"), {QStringLiteral("line")});
        QCOMPARE(notifier->Pending(), 1);
        QTRY_COMPARE(service->calls.size(), 1);
        // The loop turns while the call is still open.
        const int before = ticks;
        QTRY_VERIFY(ticks > before + 3);
        QCOMPARE(notifier->Pending(), 1);
        QVERIFY(tray.messages.isEmpty());
        QTRY_COMPARE(tray.messages.size(), 1);
        QCOMPARE(notifier->Pending(), 0);
        QCOMPARE(notifier->LastId(), 0u);
    }

    // A service that answers after the time-out: the tray has told the news by then, so the
    // notice the service shows late is taken down, and the next notice does not replace it.
    void serviceThatAnswersLate() {
        service->answerAfterMs = 600;
        QVERIFY(service->Register());
        TrayRecord tray;
        auto* notifier = new DBusNotifier(Client(), 150);
        NewsNoticeSink sink(notifier, tray.Function());
        sink.Show(QStringLiteral("注目ニュース 1 件"), {QStringLiteral("line")});
        QTRY_COMPARE(tray.messages.size(), 1);
        QCOMPARE(notifier->Pending(), 0);
        QVERIFY(service->closed.isEmpty());
        QTRY_COMPARE(service->closed, QList<uint>{service->LastGivenId()});
        QCOMPARE(notifier->LastId(), 0u);
        QCOMPARE(tray.messages.size(), 1);
        // A service that answers in time again is used as before.
        service->answerAfterMs = 0;
        sink.Show(QStringLiteral("注目ニュース 1 件"), {QStringLiteral("next")});
        QTRY_COMPARE(notifier->LastId(), service->LastGivenId());
        QCOMPARE(service->calls.last().replaces, 0u);
        QCOMPARE(tray.messages.size(), 1);
    }

    // The window with a watch list on a patrol against the feed simulator: the second cycle's
    // notice names exactly the new headlines that hold "7203" or "ソニー", and "開く" opens the
    // newest of them.
    void patrolWithWatchList() {
        QVERIFY(service->Register());
        FeedsimProcess sim;
        // A fixed day: the simulator's news, and so the hits, are the same in every run.
        QVERIFY(
            sim.Start({QStringLiteral("--frozen"), QStringLiteral("--seed"), QStringLiteral("11"),
                       QStringLiteral("--start"), QStringLiteral("2024-03-15T09:00:00")}));
        WindowFixture fx(&NoPause);
        FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        Ports::SetClock(&clock);
        struct ClockBack {
            ~ClockBack() { Ports::SetClock(nullptr); }
        } clockBack;
        FormMain& form = *fx.form;
        Program::Session& session = *fx.session;
        session.settings.NewsHost = sim.Portal();
        session.settings.TdnetHost = sim.Tdnet();
        session.settings.BoardHost = sim.Portal();
        session.settings.WatchWord = QStringLiteral("7203|ソニー");
        TrayRecord tray;
        auto* notifier = new DBusNotifier(Client());
        form.Notices()->ReplaceSink(new NewsNoticeSink(notifier, tray.Function()));

        MainWindowPorts& ports = *form.WindowPorts();
        ports.SetButtonPressed(App::Command::Timer, true);
        session.patrol.TimerButtonPressed();
        QTRY_VERIFY_WITH_TIMEOUT(!session.patrol.CycleRunning(), 60000);
        QVERIFY(session.store.Count() > 0);
        QSet<QString> known;
        for (const News::NewsItem& item : session.store.Items())
            known.insert(item.Url + u'|' + item.Title);
        QTRY_COMPARE(notifier->Pending(), 0);
        const int callsBefore = int(service->calls.size());

        sim.Control(QStringLiteral("/_feedsim/advance?minutes=20"));
        session.patrol.TimerTour().stop();
        session.patrol.TimerTour_Timer();
        QTRY_VERIFY_WITH_TIMEOUT(!session.patrol.CycleRunning(), 60000);
        ports.SetButtonPressed(App::Command::Timer, false);
        session.patrol.TimerButtonReleased();

        QList<News::NewsItem> expected;
        int fresh = 0;
        for (const News::NewsItem& item : session.store.Items()) {
            if (known.contains(item.Url + u'|' + item.Title))
                continue;
            ++fresh;
            const QString text = item.Title + item.Category + item.Source;
            if (text.contains(QStringLiteral("7203")) || text.contains(QStringLiteral("ソニー")))
                expected << item;
        }
        QVERIFY2(fresh > expected.size(), "the cycle brought unwatched news too");
        QVERIFY2(expected.size() >= 2, qPrintable(QString::number(expected.size())));
        QTRY_COMPARE(service->calls.size(), callsBefore + 1);
        const FakeNotifications::Call notice = service->calls.last();
        QCOMPARE(notice.summary,
                 QStringLiteral("注目ニュース ") + QString::number(expected.size()) + " 件");
        QCOMPARE(notice.replaces, service->LastGivenId());
        const QStringList lines = notice.body.split(u'\n');
        QCOMPARE(lines.size(),
                 std::min<qsizetype>(expected.size(), 5) + (expected.size() > 5 ? 1 : 0));
        for (int k = 0; k < std::min<int>(int(expected.size()), 5); ++k)
            QVERIFY2(lines.at(k).endsWith(u' ' + expected.at(k).Source + u' ' +
                                          QString(expected.at(k).Title).replace(u'\n', u' ')),
                     qPrintable(lines.at(k)));
        // Watched rows are marked in the grid.
        const Present::GridModel& grid = session.table.Model();
        const int newestRow =
            session.store.Count() -
            session.store.FindNewsItem(expected.first().Posted, expected.first().Source,
                                       expected.first().Category, expected.first().Title,
                                       expected.first().Url);
        QCOMPARE(grid.BackColor(Present::GridRow{newestRow}, Present::GridCol{7}),
                 Present::WatchColor);

        if (const QByteArray dir = qgetenv("TW_SCREENSHOT_DIR"); !dir.isEmpty()) {
            form.show();
            QTest::qWait(200);
            form.resize(900, 560);
            QTest::qWait(200);
            const News::NewsItem& oldest = expected.last();
            const int oldestRow =
                session.store.Count() - session.store.FindNewsItem(oldest.Posted, oldest.Source,
                                                                   oldest.Category, oldest.Title,
                                                                   oldest.Url);
            session.table.Model().SetTopRow(std::max(1, std::min(oldestRow - 3, newestRow - 20)));
            QTest::qWait(200);
            const QString path = QDir(QString::fromLocal8Bit(dir)).filePath("watch_grid.png");
            QVERIFY(form.grab().save(path));
            qInfo("screenshot: %s", qPrintable(path));
        }
        qInfo("notice: %s | %s", qPrintable(notice.summary),
              qPrintable(QString(notice.body).replace(u'\n', QStringLiteral(" / "))));

        fx.opened.clear();
        service->Invoke(service->LastGivenId(), QStringLiteral("open"));
        QTRY_COMPARE(fx.opened.size(), 1);
        QCOMPARE(fx.opened.first(), expected.first().Url);
        const int index = session.store.FindNewsItem(
            expected.first().Posted, expected.first().Source, expected.first().Category,
            expected.first().Title, expected.first().Url);
        QVERIFY(session.store.Item(index).IsOpened);
        QCOMPARE(grid.Picture(Present::GridRow{session.store.Count() - index}, Present::GridCol{5}),
                 QStringLiteral("LOOK_OPEN"));
        QVERIFY(tray.messages.isEmpty());
    }
};

QTEST_MAIN(TestNotify)
#include "tst_notify.moc"
