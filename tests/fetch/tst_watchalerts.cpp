// The alerts of a cycle that brought watched headlines, against the feed simulator: which new
// headlines the cycle reports, and when the window comes forward and which sound plays.

#include "support_feedsim.h"
#include "support_ports.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "present/CycleAnnounce.h"
#include "present/Session.h"
#include "text/Common.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

void NoPause(int, bool, bool) {}

class AlertWindow : public Ports::HeadlessMainWindow {
public:
    QList<bool> topmostCalls;
    QStringList sounds;
    int shows = 0;
    void SetTopmost(bool on) override {
        topmostCalls << on;
        HeadlessMainWindow::SetTopmost(on);
    }
    void PlaySound(const QString& file) override { sounds << file; }
    void ShowWindow() override {
        ++shows;
        HeadlessMainWindow::ShowWindow();
    }
};

bool Watched(const News::NewsItem& item) {
    const QString text = item.Title + item.Category + item.Source;
    return text.contains(QStringLiteral("7203")) || text.contains(QStringLiteral("ソニー"));
}

} // namespace

class TestWatchAlerts : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    FeedsimProcess sim_;
    FixedClock clock_{QDateTime(QDate(2024, 1, 5), QTime(10, 0, 3))};
    FixedRandom random_;

    // A fresh day against the simulator, its cycles announced as the main window announces them.
    std::unique_ptr<Program::Session> AnnouncingSession() {
        QFile::remove(News::DayFilePath());
        auto session = std::make_unique<Program::Session>();
        Program::Session* s = session.get();
        connect(&s->patrol, &News::Patrol::CycleReported, this,
                [s](const News::CycleResult& result) {
                    Present::AnnounceCycle(result, s->table, s->settings);
                });
        s->settings.NewsHost = sim_.Portal();
        s->settings.TdnetHost = sim_.Tdnet();
        return session;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        InstallFetchPorts(dir_, clock_, random_, &NoPause);
        QVERIFY(sim_.Start(
            QStringLiteral("--start 2024-01-05T08:00:00 --frozen --seed 7").split(u' ')));
    }
    void cleanupTestCase() { ReleaseFetchPorts(); }

    void alerts_data() {
        QTest::addColumn<QString>("watch");
        QTest::addColumn<QString>("options"); // r raise only watch, s sound only watch, w sound
        QTest::addColumn<bool>("raised");
        QTest::addColumn<QString>("sound"); // "" none
        const QString hits = QStringLiteral("7203|ソニー"), none = QStringLiteral("該当しない語");
        QTest::newRow("options off") << hits << "" << true << "alert.wav";
        QTest::newRow("options off, nothing watched") << none << "" << true << "alert.wav";
        QTest::newRow("own sound for watched") << hits << "w" << true << "watch.wav";
        QTest::newRow("own sound, nothing watched") << none << "w" << true << "alert.wav";
        QTest::newRow("raise only watch, watched") << hits << "r" << true << "alert.wav";
        QTest::newRow("raise only watch, nothing watched") << none << "r" << false << "alert.wav";
        QTest::newRow("sound only watch, watched") << hits << "sw" << true << "watch.wav";
        QTest::newRow("sound only watch, nothing watched") << none << "s" << true << "";
        QTest::newRow("no watch list, both on") << ""
                                                << "rs" << false << "";
    }
    void alerts() {
        QFETCH(QString, watch);
        QFETCH(QString, options);
        AlertWindow window;
        Ports::SetMainWindow(&window);
        const auto owned = AnnouncingSession();
        Program::Session& session = *owned;
        session.settings.SoundFile = QStringLiteral("alert.wav");
        session.settings.WatchWord = watch;
        session.settings.RaiseOnlyWatch = options.contains(u'r');
        session.settings.SoundOnlyWatch = options.contains(u's');
        session.settings.WatchSound = options.contains(u'w') ? QStringLiteral("watch.wav") : "";
        QVERIFY(session.patrol.RunCycle(News::CycleMode::Download).grew);
        QSet<QString> known;
        for (const News::NewsItem& item : session.store.Items())
            known.insert(item.Url + u'|' + item.Title);

        sim_.Control(QStringLiteral("/_feedsim/advance?minutes=60"));
        window.topmostCalls.clear();
        window.sounds.clear();
        const News::CycleResult result = session.patrol.RunCycle(News::CycleMode::Download);
        QVERIFY(result.grew);

        // The cycle names exactly the headlines it added, newest first.
        QCOMPARE(result.newIndexes.size(), result.newCount);
        int watched = 0;
        for (qsizetype k = 0; k < result.newIndexes.size(); ++k) {
            const int index = result.newIndexes[k];
            const News::NewsItem& item = session.store.Item(index);
            QVERIFY(!known.contains(item.Url + u'|' + item.Title));
            if (k > 0)
                QVERIFY(index > result.newIndexes[k - 1]);
            watched += Watched(item) ? 1 : 0;
        }
        if (watch.startsWith(QStringLiteral("7203")))
            QVERIFY2(watched > 0, "the hour brought no watched headline");

        QFETCH(bool, raised);
        QCOMPARE(window.topmostCalls, raised ? (QList<bool>{true, false}) : QList<bool>{});
        QFETCH(QString, sound);
        QCOMPARE(window.sounds, sound.isEmpty() ? QStringList{} : QStringList{sound});
        Ports::SetMainWindow(nullptr);
    }

    // A window kept in the tray on new headlines comes out only for watched ones when the
    // window is to be raised only for them.
    void fromTrayFollowsRaiseOnlyWatch_data() {
        QTest::addColumn<QString>("watch");
        QTest::addColumn<int>("shows");
        QTest::newRow("watched") << "7203|ソニー" << 1;
        QTest::newRow("nothing watched") << "該当しない語" << 0;
    }
    void fromTrayFollowsRaiseOnlyWatch() {
        QFETCH(QString, watch);
        AlertWindow window;
        Ports::SetMainWindow(&window);
        const auto owned = AnnouncingSession();
        Program::Session& session = *owned;
        session.settings.FromTray = true;
        session.settings.RaiseOnlyWatch = true;
        session.settings.WatchWord = watch;
        QVERIFY(session.patrol.RunCycle(News::CycleMode::Download).grew);
        sim_.Control(QStringLiteral("/_feedsim/advance?minutes=60"));
        window.shows = 0;
        QVERIFY(session.patrol.RunCycle(News::CycleMode::Download).grew);
        QTEST(window.shows, "shows");
        Ports::SetMainWindow(nullptr);
    }
};

QTEST_MAIN(TestWatchAlerts)
#include "tst_watchalerts.moc"
