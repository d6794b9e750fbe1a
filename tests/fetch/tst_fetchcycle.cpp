// The fetch cycle and the patrol against the loopback feed simulator, with the clock, chance
// and pauses in the test's hands.

#include "support_feedsim.h"
#include "support_ports.h"

#include "app/AppData.h"
#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "parsers/Yahoo.h"
#include "present/CycleAnnounce.h"
#include "present/Session.h"
#include "text/Common.h"
#include "web/clsWEB.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

struct PauseRecord {
    int ms;
    bool yieldFirst;
    bool sleep;
};
QList<PauseRecord> g_pauses;
std::function<void()> g_onPause;

void RecordPause(int ms, bool yieldFirst, bool sleep) {
    g_pauses.append({ms, yieldFirst, sleep});
    if (g_onPause)
        g_onPause();
}

class RecordingWindow : public Ports::HeadlessMainWindow {
public:
    QStringList messages;
    QList<bool> topmostCalls;
    int sounds = 0;
    void SetPanelText(App::Panel panel, const QString& text) override {
        if (panel == App::Panel::Message)
            messages << text;
        HeadlessMainWindow::SetPanelText(panel, text);
    }
    void SetTopmost(bool on) override {
        topmostCalls << on;
        HeadlessMainWindow::SetTopmost(on);
    }
    void PlaySound(const QString&) override { ++sounds; }
};

// Locked for every cycle and, but for the reload, for the whole patrol.
const QList<App::Command> StoreKeys = {App::Command::Options, App::Command::AllRead,
                                       App::Command::Reload};
// Locked with them only when the options ask for it.
const QList<App::Command> SearchKeys = {App::Command::Filter, App::Command::Search,
                                        App::Command::SearchBox};

// Each headline with what a re-fetch must keep or replace.
QStringList Snapshot(const QList<News::NewsItem>& items) {
    QStringList lines;
    for (const News::NewsItem& item : items)
        lines << item.Source + u'|' + item.Title + u'|' + item.Url + u'|' +
                     (item.IsOpened ? u'1' : u'0');
    return lines;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Label(App::Command command) {
    return "command " + QByteArray::number(int(command));
}

} // namespace

class TestFetchCycle : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FeedsimProcess sim_;
    FixedClock clock_;
    FixedRandom random_;
    RecordingWindow* window_ = nullptr;
    std::unique_ptr<Program::Session> session_;
    News::CycleResult lastPatrolCycle_;

    QStringList Requests() { return sim_.RequestedPaths(); }
    News::NewsStore& Store() { return session_->store; }
    Program::SettingsState& Settings() { return session_->settings; }
    News::Patrol& Patrol() { return session_->patrol; }
    // A cycle with the patrol as it stands (off unless a test started it).
    News::CycleResult Cycle(News::CycleMode mode = News::CycleMode::Download) {
        return Patrol().RunCycle(mode);
    }
    // The user presses the timer button: the patrol starts with a cycle of its own.
    News::CycleResult PatrolCycle() {
        window_->SetButtonPressed(App::Command::Timer, true);
        lastPatrolCycle_ = News::CycleResult();
        Patrol().TimerButtonPressed();
        return lastPatrolCycle_;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        InstallFetchPorts(dir_, clock_, random_, &RecordPause);
        QVERIFY(sim_.Start(
            QStringLiteral("--start 2024-01-05T10:00:00 --frozen --seed 7").split(u' ')));
    }

    void init() {
        delete window_;
        window_ = new RecordingWindow;
        Ports::SetMainWindow(window_);
        clock_.now = QDateTime(QDate(2024, 1, 5), QTime(10, 0, 3));
        random_.value = 0.5;
        g_pauses.clear();
        g_onPause = nullptr;
        // A new program run: its own settings, store, table and patrol, wired as the window
        // wires them.
        session_ = std::make_unique<Program::Session>();
        connect(&Patrol(), &News::Patrol::CycleReported, this,
                [this](const News::CycleResult& result) {
                    Present::AnnounceCycle(result, session_->table, session_->settings);
                });
        connect(&Patrol(), &News::Patrol::CycleFinished, this,
                [this](const News::CycleResult& result) { lastPatrolCycle_ = result; });
        QFile::remove(News::DayFilePath());
        Settings().NewsHost = sim_.Portal();
        Settings().TdnetHost = sim_.Tdnet();
        sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
    }

    void cleanupTestCase() {
        ReleaseFetchPorts();
        session_.reset();
        delete window_;
    }

    void manualCycleReadsTodaysPortalListsOnly() {
        const News::CycleResult result = Cycle();
        QVERIFY(result.ran && result.grew && !result.patrol);
        QCOMPARE(result.newCount, Store().Count());
        QVERIFY(result.failed.isEmpty());
        const QStringList paths = Requests();
        QSet<QString> codes;
        for (const QString& p : paths) {
            QVERIFY2(p.startsWith(QStringLiteral("/cp/")) &&
                         p.contains(QStringLiteral("date=20240105")),
                     qPrintable(p));
            codes.insert(p.section(u'?', 0, 0));
        }
        QCOMPARE(codes.size(), 26);
        QVERIFY(Store().Count() > 0);
        QVERIFY(QFile::exists(News::DayFilePath()));
        // One pause of 1 to 3 s after each source, sleeping kind, events first.
        QCOMPARE(g_pauses.size(), 26);
        for (const PauseRecord& p : g_pauses) {
            QCOMPARE(p.ms, 2000); // 1000 + 0.5 * 2001, whole part
            QVERIFY(p.yieldFirst && p.sleep);
        }
        const QString message = window_->messages.last();
        QCOMPARE(message, QString::number(Store().Count()) +
                              QStringLiteral(" 件の新着ニュースがあります！！"));
        QCOMPARE(window_->PanelTip(App::Panel::New), QStringLiteral("新着あり！"));
        QCOMPARE(window_->topmostCalls, (QList<bool>{true, false}));
        QCOMPARE(window_->sounds, 1);
        QCOMPARE(window_->TrayIcon(), 1);
        QCOMPARE(window_->TrayTip(), QStringLiteral("Tickerwisp[新着あり]"));
        QCOMPARE(window_->PanelText(App::Panel::Net), QStringLiteral("消灯"));
    }

    void patrolCycleAddsYesterdayThenTheDisclosureList() {
        random_.value = 0.9; // no alignment pause: 90 is not below 85
        const News::CycleResult result = PatrolCycle();
        QVERIFY(result.ran && result.grew && result.patrol);
        QSet<QString> today, yesterday;
        int disclosure = 0;
        for (const QString& p : Requests()) {
            if (p.startsWith(QStringLiteral("/inbs/")))
                ++disclosure;
            else if (p.contains(QStringLiteral("date=20240105")))
                today.insert(p.section(u'?', 0, 0));
            else if (p.contains(QStringLiteral("date=20240104")))
                yesterday.insert(p.section(u'?', 0, 0));
            else
                QFAIL(qPrintable(p));
        }
        QCOMPARE(today.size(), 26);
        QCOMPARE(yesterday.size(), 26);
        QVERIFY(disclosure >= 1);
        // The disclosure list's pause is its own: 1.5 to 4 s.
        QCOMPARE(g_pauses.last().ms, 1500 + int(0.9 * 2501));
        const QList<News::NewsItem> items = Store().Items();
        QVERIFY(std::any_of(items.begin(), items.end(), [&](const News::NewsItem& item) {
            return item.Source == News::TdnetSourceName && item.Url.startsWith(sim_.Tdnet());
        }));
    }

    void knownHeadlineEndsTheSourceAfterOnePage() {
        QVERIFY(Cycle().grew);
        sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
        QVERIFY(!Cycle().grew);
        const QStringList paths = Requests();
        QCOMPARE(paths.size(), 26); // first pages only, every one of them repeats known news
        for (const QString& p : paths)
            QVERIFY2(!p.contains(QStringLiteral("p=")), qPrintable(p));
    }

    void storeIsReplacedByTheDayFileAndGrowthIsCounted() {
        QVERIFY(Cycle().grew);
        const int full = Store().Count();
        // Drop the three newest from the file: the next cycle loads the file and finds them.
        auto& store = Store();
        store.ReplaceAll(store.Items().mid(3));
        QVERIFY(News::SaveDayFile(store));
        store.Clear();
        window_->messages.clear();
        QCOMPARE(Cycle().newCount, 3);
        QCOMPARE(store.Count(), full);
        QCOMPARE(window_->messages.last(), QStringLiteral("3 件の新着ニュースがあります！！"));
    }

    // The store is what the program last wrote to the day file: a cycle reads the file again
    // only when someone else has put another one in its place.
    void dayFileIsReadAgainOnlyWhenSomeoneElseWroteIt() {
        QVERIFY(Cycle().grew);
        const QList<News::NewsItem> written = Store().Items();
        const QString memo = QStringLiteral("メモ");
        Store().MutableItem(0).Mark = memo; // in memory only
        QCOMPARE(Cycle().newCount, 0);
        QCOMPARE(Store().Item(0).Mark, memo);

        const QString path = News::DayFilePath();
        QFile other(path + QStringLiteral(".other"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(News::EncodeDayFile(written.mid(3)));
        other.close();
        QFile::remove(path);
        QVERIFY(QFile::rename(other.fileName(), path));
        QCOMPARE(Cycle().newCount, 3);
        for (const News::NewsItem& item : Store().Items())
            QVERIFY(item.Mark != memo);
    }

    void noNewsKeepsTheDayFileAndSaysWhen() {
        clock_.now = QDateTime(QDate(2024, 1, 5), QTime(9, 5, 0));
        QVERIFY(Cycle().grew);
        QVERIFY(QFile::remove(News::DayFilePath()));
        QVERIFY(!Cycle().grew);
        QCOMPARE(window_->messages.last(),
                 QStringLiteral("[2024/01/05 9:5] … 更新はありませんでした。"));
        QCOMPARE(window_->PanelTip(App::Panel::New), News::NoNewsTip);
        // Nothing grew and the table was shown: the day file is not written again.
        QVERIFY(!QFile::exists(News::DayFilePath()));
    }

    void firstCycleWritesEvenWithoutNews() {
        QVERIFY(Cycle().grew);
        // As after a restart with the store in memory but no file on disk: the start-up
        // cycle downloads nothing, finds nothing new, and still writes the day file once.
        QVERIFY(QFile::remove(News::DayFilePath()));
        sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
        Patrol().Reset();
        const News::CycleResult result = Cycle(News::CycleMode::StartUp);
        QVERIFY(result.ran && !result.grew && result.firstTable);
        QVERIFY(Requests().isEmpty());
        QVERIFY(Patrol().TableShown());
        QVERIFY(QFile::exists(News::DayFilePath()));
    }

    void emptyStoreIsNeverWritten() {
        Settings().NewsHost = QStringLiteral("http://127.0.0.1:1");
        const News::CycleResult result = Cycle();
        QVERIFY(result.ran && !result.grew && !result.storeHasItems);
        // Every list failed, and the cycle says which and why.
        QCOMPARE(result.failed.size(), 26);
        QCOMPARE(result.failed.first().name, News::SourceNames().first());
        for (const News::FailedSource& failed : result.failed)
            QCOMPARE(failed.reason, QStringLiteral("接続できません"));
        QVERIFY(!QFile::exists(News::DayFilePath()));
        QVERIFY(!Patrol().TableShown());
    }

    void disclosureAlignment_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("chance");
        QTest::addColumn<int>("expectedWait"); // 0: no alignment pause
        QTest::addColumn<bool>("sleeps");
        // 10:00:03: 7 s to the mark plus RandomBetween(1000, 5000).
        QTest::newRow("10:00:03 drawn") << QTime(10, 0, 3) << 0.5 << 3000 + 7000 << true;
        QTest::newRow("10:00:03 not drawn") << QTime(10, 0, 3) << 0.85 << 0 << true;
        QTest::newRow("12:00 lunch") << QTime(12, 0, 3) << 0.0 << 0 << true;
        QTest::newRow("10:04:55 pumped") << QTime(10, 4, 55) << 0.5 << 3000 + 15000 << false;
        QTest::newRow("8:57 before") << QTime(8, 57, 55) << 0.0 << 0 << true;
        QTest::newRow("15:09:55") << QTime(15, 9, 55) << 0.0 << 1000 + 15000 << false;
    }
    void disclosureAlignment() {
        QFETCH(QTime, time);
        QFETCH(double, chance);
        QFETCH(int, expectedWait);
        QFETCH(bool, sleeps);
        clock_.now = QDateTime(QDate(2024, 1, 5), time);
        random_.value = chance;
        QVERIFY(PatrolCycle().ran);
        // Pauses: 52 portal sources, [alignment], the disclosure source.
        const int portal = 52;
        if (expectedWait == 0) {
            QCOMPARE(g_pauses.size(), portal + 1);
        } else {
            QCOMPARE(g_pauses.size(), portal + 2);
            QCOMPARE(g_pauses.at(portal).ms, expectedWait);
            QCOMPARE(g_pauses.at(portal).sleep, sleeps);
            QVERIFY(g_pauses.at(portal).yieldFirst);
        }
    }

    // The lock is held by the cycle that took it, whatever the patrol does meanwhile. The
    // search stays open unless the options lock it too.
    void commandsStayLockedWhileAManualCycleRuns_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("lockSearch");
        for (bool lockSearch : {false, true}) {
            const char* lock = lockSearch ? ", search locked" : "";
            QTest::addRow("patrol timer's first tick, patrol off%s", lock) << "tick" << lockSearch;
            QTest::addRow("patrol released between its cycles%s", lock) << "release" << lockSearch;
            QTest::addRow("patrol started (quick start)%s", lock) << "quickstart" << lockSearch;
        }
    }
    void commandsStayLockedWhileAManualCycleRuns() {
        QFETCH(QString, meanwhile);
        QFETCH(bool, lockSearch);
        Settings().LockSearchInPatrol = lockSearch;
        const App::Command timer = App::Command::Timer;
        News::Patrol& patrol = Patrol();
        if (meanwhile == QStringLiteral("release")) {
            // The patrol waits for its next cycle while the user asks for a reload.
            window_->SetButtonPressed(timer, true);
            patrol.StartPatrol();
            patrol.TimerTour().start(60000);
        }
        auto expectLocked = [&] {
            for (App::Command key : StoreKeys)
                QVERIFY2(!window_->ButtonEnabled(key), Label(key).constData());
            for (App::Command key : SearchKeys)
                QVERIFY2(window_->ButtonEnabled(key) != lockSearch, Label(key).constData());
        };
        int pauses = 0;
        g_onPause = [&] {
            if (++pauses == 1) {
                expectLocked();
                QCOMPARE(window_->ButtonEnabled(timer), meanwhile == QStringLiteral("release"));
                // A second cycle asked for meanwhile does nothing.
                QVERIFY(!Cycle().ran);
                if (meanwhile == QStringLiteral("tick")) {
                    patrol.TimerTour_Timer();
                } else if (meanwhile == QStringLiteral("release")) {
                    window_->SetButtonPressed(timer, false);
                    patrol.TimerButtonReleased();
                } else {
                    window_->SetButtonPressed(timer, true);
                    patrol.StartPatrol();
                }
            } else if (pauses == 2) {
                expectLocked();
                if (meanwhile == QStringLiteral("tick"))
                    QVERIFY(!window_->ButtonEnabled(timer));
            }
        };
        QVERIFY(Cycle().ran);
        QVERIFY(pauses >= 2);
        const bool patrolOn = meanwhile == QStringLiteral("quickstart");
        for (App::Command key : {App::Command::Options, App::Command::AllRead})
            QVERIFY2(window_->ButtonEnabled(key) != patrolOn, Label(key).constData());
        for (App::Command key : SearchKeys)
            QVERIFY2(window_->ButtonEnabled(key) != (patrolOn && lockSearch),
                     Label(key).constData());
        QVERIFY(window_->ButtonEnabled(App::Command::Reload));
        QVERIFY(window_->ButtonEnabled(timer));
        if (patrolOn) {
            window_->SetButtonPressed(timer, false);
            patrol.StopPatrol();
        }
    }

    void patrolButtonStates_data() {
        QTest::addColumn<bool>("lockSearch");
        QTest::newRow("search open") << false;
        QTest::newRow("search locked in patrol") << true;
    }
    void patrolButtonStates() {
        QFETCH(bool, lockSearch);
        Settings().LockSearchInPatrol = lockSearch;
        News::Patrol& patrol = Patrol();
        auto pressed = [&] { return window_->ButtonPressed(App::Command::Timer); };
        // Start: the store-changing commands go grey, a cycle runs, the timer is re-armed.
        window_->SetButtonPressed(App::Command::Timer, true);
        patrol.TimerButtonPressed();
        QVERIFY(pressed());
        QVERIFY(patrol.TimerTour().isActive());
        QVERIFY(patrol.TimerTour().interval() <= 65535 &&
                patrol.TimerTour().interval() >= 65535 - 3000);
        for (App::Command key : {App::Command::Options, App::Command::AllRead})
            QVERIFY2(!window_->ButtonEnabled(key), Label(key).constData());
        // Between two cycles the search is the user's, unless the options say otherwise.
        for (App::Command key : SearchKeys)
            QVERIFY2(window_->ButtonEnabled(key) != lockSearch, Label(key).constData());
        QVERIFY(window_->ButtonEnabled(App::Command::Reload));
        QVERIFY(window_->ButtonEnabled(App::Command::Timer));
        // Stop between cycles: everything back at once.
        window_->SetButtonPressed(App::Command::Timer, false);
        patrol.TimerButtonReleased();
        QVERIFY(!patrol.TimerTour().isActive());
        QVERIFY(!patrol.PatrolOn());
        for (App::Command key : StoreKeys + SearchKeys)
            QVERIFY2(window_->ButtonEnabled(key), Label(key).constData());
        QVERIFY(window_->ButtonEnabled(App::Command::Timer));

        // Stop during a cycle: the button waits, greyed, until the cycle has finished.
        bool released = false;
        g_onPause = [&] {
            if (released)
                return;
            released = true;
            window_->SetButtonPressed(App::Command::Timer, false);
            patrol.TimerButtonReleased();
            QVERIFY(!window_->ButtonEnabled(App::Command::Timer));
            QVERIFY(!window_->ButtonEnabled(App::Command::AllRead));
            QCOMPARE(window_->ButtonEnabled(App::Command::Search), !lockSearch);
        };
        window_->SetButtonPressed(App::Command::Timer, true);
        patrol.TimerButtonPressed();
        QVERIFY(released);
        QVERIFY(!patrol.TimerTour().isActive());
        QVERIFY(window_->ButtonEnabled(App::Command::Timer));
        QVERIFY(window_->ButtonEnabled(App::Command::AllRead));
        QVERIFY(window_->ButtonEnabled(App::Command::Search));
    }

    // A re-fetch starts from an empty store and reads every feed whole; the old day (its
    // headlines, read marks and day file) gives way only to a re-fetch that read every source
    // and ran to its end.
    void refetchReplacesTheDayOnlyWhenWhole_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("every source read") << "whole";
        QTest::newRow("no list can be reached") << "unreachable";
        QTest::newRow("one feed fails") << "feedfails";
        QTest::newRow("closed halfway") << "closed";
    }
    void refetchReplacesTheDayOnlyWhenWhole() {
        QFETCH(QString, how);
        const QString feedUrl = sim_.Portal() + QStringLiteral("/feeds/rss2/reu.xml");
        Settings().Feeds = {{QStringLiteral("フィードA"), feedUrl, true}};
        QVERIFY(Cycle().grew);
        // The day as the user has it: a headline read, and one that no source gives any more.
        int position = -1;
        QVERIFY(Store().InsertNewsItem(position, Store().Item(Store().UBound()).Posted,
                                       QStringLiteral("古い"), QString(),
                                       QStringLiteral("もう載っていない見出し"),
                                       QStringLiteral("http://old.test/1"), false, QString()));
        Store().MutableItem(3).IsOpened = true;
        QVERIFY(News::SaveDayFile(Store()));
        const QStringList before = Snapshot(Store().Items());
        const QByteArray fileBefore = FileBytes(News::DayFilePath());

        if (how == QStringLiteral("unreachable"))
            Settings().NewsHost = QStringLiteral("http://127.0.0.1:1");
        else if (how == QStringLiteral("feedfails"))
            Settings().Feeds[0].Url = feedUrl + QStringLiteral("?fault=500");
        int pauses = 0;
        if (how == QStringLiteral("closed"))
            g_onPause = [&] {
                if (++pauses == 5)
                    Patrol().RequestCycleEnd();
            };
        window_->sounds = 0;
        const News::CycleResult result = Patrol().Refetch();
        QVERIFY(result.ran);
        const bool whole = how == QStringLiteral("whole");
        QCOMPARE(result.refetchKeptOld, !whole);
        if (!whole) {
            QCOMPARE(Snapshot(Store().Items()), before);
            QCOMPARE(FileBytes(News::DayFilePath()), fileBefore);
            QCOMPARE(window_->sounds, 0);
            return;
        }
        // A fresh day: all from the sources, feeds included, nothing read yet.
        QCOMPARE(result.feedsNotModified, 0);
        QCOMPARE(result.newCount, Store().Count());
        const QList<News::NewsItem> items = Store().Items();
        QVERIFY(std::none_of(items.begin(), items.end(), [](const News::NewsItem& item) {
            return item.IsOpened || item.Source == QStringLiteral("古い");
        }));
        QVERIFY(std::any_of(items.begin(), items.end(), [](const News::NewsItem& item) {
            return item.Source == QStringLiteral("フィードA");
        }));
        const auto saved = News::DecodeDayFile(FileBytes(News::DayFilePath()));
        QVERIFY(saved);
        QCOMPARE(Snapshot(*saved), Snapshot(items));
    }

    void blinkAndQuickStart() {
        News::Patrol& patrol = Patrol();
        Settings().QuickStart = false;
        window_->SetPanelTip(App::Panel::New, QStringLiteral("新着あり！"));
        QStringList pictures;
        for (int i = 0; i < 64; ++i) {
            patrol.TimerOnOff_Timer();
            pictures << window_->PanelPicture(App::Panel::New);
        }
        QCOMPARE(pictures.at(0), QStringLiteral("STATUS_NEW_0"));
        QCOMPARE(pictures.at(31), QStringLiteral("STATUS_NEW_0"));
        QCOMPARE(pictures.at(32), QStringLiteral("STATUS_NEW_1"));
        QCOMPARE(pictures.at(63), QStringLiteral("STATUS_NEW_1"));
        QVERIFY(patrol.QuickStartDone());
        QVERIFY(!window_->ButtonPressed(App::Command::Timer));
        // Quiet indicator: no blinking.
        News::ResetNewIndicator();
        patrol.TimerOnOff_Timer();
        QCOMPARE(window_->PanelPicture(App::Panel::New), QStringLiteral("STATUS_NEW_0"));
        QVERIFY(!window_->PanelEnabled(App::Panel::New));
    }

    // A patrol at 16:00, when the day's disclosures fill several pages, against the service's
    // current layout and against the older one: every page is read once, in order, and both
    // stores hold the same disclosures.
    void patrolReadsEveryPageInBothLayouts() {
        QHash<QString, QList<News::NewsItem>> read;
        for (const QString layout : {"today", "classic"}) {
            FeedsimProcess sim;
            QVERIFY(sim.Start(QStringLiteral("--start 2024-01-05T16:00:00 --frozen --seed 7 "
                                             "--tdnet-layout ")
                                  .split(u' ', Qt::SkipEmptyParts)
                              << layout));
            Settings().NewsHost = sim.Portal();
            Settings().TdnetHost = sim.Tdnet();
            Store().Clear();
            QFile::remove(News::DayFilePath());
            clock_.now = QDateTime(QDate(2024, 1, 5), QTime(16, 0, 3));
            random_.value = 0.9;
            QVERIFY(PatrolCycle().grew);

            const QStringList pages = sim.RequestedPaths().filter(QStringLiteral("/inbs/"));
            QVERIFY2(pages.size() >= 3, qPrintable(pages.join(u' ')));
            for (int i = 0; i < pages.size(); ++i)
                QCOMPARE(pages.at(i), QStringLiteral("/inbs/I_list_%1_20240105.html")
                                          .arg(i + 1, 3, 10, QLatin1Char('0')));
            for (const News::NewsItem& item : Store().Items()) {
                if (!item.Url.startsWith(sim.Tdnet()))
                    continue;
                QCOMPARE(item.Source, News::TdnetSourceName);
                read[layout] << item;
                read[layout].last().Url = item.Url.mid(sim.Tdnet().size());
            }
            if (layout == QLatin1String("today")) {
                // The pager's count of the day's disclosures, and a page per hundred of them.
                const QString first = QString::fromUtf8(
                    FeedsimProcess::Fetch(sim.Tdnet() + "/inbs/I_list_001_20240105.html?enc=utf8"));
                const auto total = QRegularExpression(QStringLiteral("全(\\d+)件")).match(first);
                QVERIFY(total.hasMatch());
                QCOMPARE(read[layout].size(), total.captured(1).toInt());
                QCOMPARE(pages.size(), (read[layout].size() + 99) / 100);
            }
        }

        const QList<News::NewsItem>&today = read.value("today"), &classic = read.value("classic");
        QCOMPARE(classic.size(), today.size());
        // The older layout knows no codes with letters: the simulator lists those companies
        // under numeric codes there, and the current layout's XBRL link is always "業".
        static const QRegularExpression letterCode(QStringLiteral(":\\d+[A-Z]\\w*\\)$"));
        int letters = 0;
        for (int i = 0; i < today.size(); ++i) {
            const News::NewsItem &a = today.at(i), &b = classic.at(i);
            QCOMPARE(std::tie(a.Posted, a.Title, a.Url), std::tie(b.Posted, b.Title, b.Url));
            QCOMPARE(a.Mark, b.Mark.isEmpty() ? QString() : QStringLiteral("業"));
            if (letterCode.match(a.Category).hasMatch()) {
                ++letters;
                QCOMPARE(a.StockCode, 0);
                QVERIFY(b.StockCode > 0);
            } else {
                QCOMPARE(std::tie(a.Category, a.StockCode), std::tie(b.Category, b.StockCode));
            }
        }
        QVERIFY(letters > 0);
    }

    // A patrol over the 26 lists, three feeds in three formats and encodings, one failing
    // feed, and the disclosure list: every feed item is stored once, in list order after both
    // days' lists and before the disclosure list, and unchanged feeds are answered 304.
    void patrolWithFeeds() {
        const QString base = sim_.Portal() + QStringLiteral("/feeds/");
        Settings().Feeds = {{QStringLiteral("フィードA"), base + "rss2/reu.xml", true},
                            {QStringLiteral("フィードB"), base + "rss1/mai.xml?enc=eucjp", true},
                            {QStringLiteral("止めた"), base + "rss2/toyo.xml", false},
                            {QStringLiteral("壊れた"), base + "atom/dzh.xml?fault=500", true},
                            {QStringLiteral("フィードC"), base + "atom/jijf.xml?enc=sjis", true}};
        random_.value = 0.9; // no alignment pause
        QList<QStringList> order;
        QHash<QString, int> stored;
        for (int cycle = 0; cycle < 3; ++cycle) {
            sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
            g_pauses.clear();
            const News::CycleResult result = cycle == 0 ? PatrolCycle() : Cycle();
            QVERIFY(result.ran);
            QCOMPARE(result.feedsNotModified, cycle == 0 ? 0 : 3);
            QCOMPARE(result.failed.size(), 1);
            QCOMPARE(result.failed.first().name, QStringLiteral("壊れた"));
            QCOMPARE(result.failed.first().reason, QStringLiteral("サーバーの応答 500"));
            const QStringList feeds = Requests().filter(QStringLiteral("/feeds/"));
            QCOMPARE(feeds.size(), 4); // the disabled feed is never asked for
            QVERIFY(!feeds.join(u' ').contains(QStringLiteral("toyo")));
            // Each feed pauses as a list does: 52 lists, 4 feeds, the disclosure list.
            QCOMPARE(g_pauses.size(), 52 + 4 + 1);
            QCOMPARE(g_pauses.at(52).ms, 1000 + int(0.9 * 2001));
            stored.clear();
            for (const News::NewsItem& item : Store().Items()) {
                if (item.Reserved2.isEmpty())
                    continue;
                QVERIFY(item.Source.startsWith(QStringLiteral("フィード")));
                QVERIFY(item.Mark.isEmpty() && !item.IsVip);
                QVERIFY2(++stored[item.Reserved2 + u' ' + item.Url] == 1, qPrintable(item.Url));
            }
            if (cycle == 0)
                QVERIFY2(stored.size() >= 3 * 10, qPrintable(QString::number(stored.size())));
            else
                QVERIFY(!result.grew);
        }
        // The three formats carry the same headlines of their sources, links made absolute.
        for (auto it = stored.begin(); it != stored.end(); ++it)
            QVERIFY2(it.key().section(u' ', 1).startsWith(QStringLiteral("http://")),
                     qPrintable(it.key()));
    }

    // A stored feed item keeps its date, title and marks when the feed later gives another
    // date, also after a restart that reads it back from the day file.
    void feedItemIsNotAddedTwice() {
        const QString feedUrl = sim_.Portal() + QStringLiteral("/feeds/rss2/reu.xml");
        Settings().Feeds = {{QStringLiteral("フィードA"), feedUrl, true}};
        Settings().NewsHost = QStringLiteral("http://127.0.0.1:1"); // the lists fail at once
        QVERIFY(Cycle().grew);
        const int count = Store().Count();
        QVERIFY(count > 0);
        News::NewsItem& first = Store().MutableItem(0);
        const QString url = first.Url;
        first.Posted -= 0.25; // as if the feed had given another date then
        first.IsOpened = true;
        QVERIFY(News::SaveDayFile(Store()));

        // A new run: the store comes from the day file, the feed is read whole again.
        const QString feeds = Store().Item(0).Reserved2;
        session_ = std::make_unique<Program::Session>();
        Settings().NewsHost = QStringLiteral("http://127.0.0.1:1");
        Settings().Feeds = {{QStringLiteral("フィードA"), feedUrl, true}};
        QCOMPARE(feeds, feedUrl);
        const News::CycleResult again = Cycle();
        QCOMPARE(again.feedsNotModified, 0);
        QVERIFY(!again.grew);
        QCOMPARE(Store().Count(), count);
        int found = 0;
        for (const News::NewsItem& item : Store().Items()) {
            if (item.Url != url)
                continue;
            ++found;
            QVERIFY(item.IsOpened);
        }
        QCOMPARE(found, 1);
    }

    // The options dialog's feed test: count and newest title, or the reason, nothing stored.
    void probeFeed() {
        clsWEB web;
        const QString base = sim_.Portal() + QStringLiteral("/feeds/");
        const News::FeedProbe ok = News::ProbeFeed(web, base + "atom/jijf.xml?n=7&enc=iso2022jp");
        QVERIFY2(ok.ok, qPrintable(ok.reason));
        QCOMPARE(ok.itemCount, 7);
        QVERIFY(!ok.newestTitle.isEmpty());
        const News::FeedProbe rss = News::ProbeFeed(web, base + "rss2/jijf.xml?n=7");
        QCOMPARE(rss.newestTitle, ok.newestTitle);
        const News::FeedProbe page = News::ProbeFeed(web, sim_.Portal() + "/cp/reu?date=20240105");
        QVERIFY(!page.ok);
        QCOMPARE(page.reason, QStringLiteral("RSS や Atom のフィードではありません"));
        const News::FeedProbe down = News::ProbeFeed(web, QStringLiteral("http://127.0.0.1:1/x"));
        QCOMPARE(down.reason, QStringLiteral("接続できません"));
        QCOMPARE(Store().Count(), 0);
    }

    // The request paths above show the addresses; these are the edges they do not reach.
    void addressEdgesAndTheTopOfTheRandomRange() {
        QVERIFY(News::IsTdnetAddress(Settings(), sim_.Tdnet() + QStringLiteral("/inbs/x.html")));
        QVERIFY(!News::IsTdnetAddress(Settings(), sim_.Portal() + QStringLiteral("/inbs/x.html")));
        QVERIFY(!News::IsTdnetAddress(Settings(), sim_.Tdnet()));
        random_.value = 0.999999;
        QCOMPARE(News::RandomBetween(0, 3000), 3000);
    }
};

QTEST_GUILESS_MAIN(TestFetchCycle)
#include "tst_fetchcycle.moc"
