// Earlier days in the main window: the calendar's days, an earlier day shown read-only but for
// the opened mark, the patrol going on underneath, the way back to today, the search across
// days, and the folder kept short at start-up.

#include "../fetch/support_feedsim.h"
#include "FileBytes.h"
#include "WindowFixture.h"
#include "app/AppData.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "text/Dates.h"
#include "ui/FormDaySearch.h"
#include "ui/FormDays.h"
#include "ui/WindowPorts.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>

using Present::GridCol;
using Present::GridRow;

namespace {

void NoPause(int, bool, bool) {}

const QDate kToday = QDate::currentDate();
const QDate kYesterday = kToday.addDays(-1);

News::NewsItem Item(const QDate& day, int hour, const QString& title, const QString& category) {
    News::NewsItem item;
    item.Posted = Dates::ToOle(QDateTime(day, QTime(hour, 0)));
    item.Source = QStringLiteral("ロイター");
    item.Category = category;
    item.Title = title;
    item.Url = QStringLiteral("http://127.0.0.1:9/") + day.toString(Qt::ISODate) + u'/' +
               QString::number(hour);
    return item;
}

// Yesterday's file: three headlines, newest first. Made when asked for: the date conversion
// is not ready before main().
QList<News::NewsItem> YesterdayItems() {
    return {Item(kYesterday, 15, "日銀 総裁会見", "金融"),
            Item(kYesterday, 11, "円相場 反発", "為替"),
            Item(kYesterday, 9, "日銀 金利据え置き", "金融")};
}

// The most recent weekday before today: its disclosure list has entries.
QDate LastWeekday() {
    QDate day = kYesterday;
    while (day.dayOfWeek() >= 6)
        day = day.addDays(-1);
    return day;
}

// The simulator's clock stands at ten this morning.
bool StartAtTenToday(FeedsimProcess& feedsim, const QStringList& more = {}) {
    return feedsim.Start(QStringList{"--frozen", "--start",
                                     kToday.toString(Qt::ISODate) + QStringLiteral("T10:00:00")} +
                         more);
}

struct Fixture : WindowFixture {
    Fixture() : WindowFixture(&NoPause) {
        WriteBytes(News::DayFilePathOf(kYesterday), News::EncodeDayFile(YesterdayItems()));
        // Today: two headlines, both new, in the store and its file.
        for (const News::NewsItem& item :
             {Item(kToday, 8, "今日の一本目", "株式"), Item(kToday, 7, "今日の二本目", "株式")}) {
            int at = session->store.FindInsertPosition(item.Posted);
            session->store.InsertNewsItem(at, item.Posted, item.Source, item.Category, item.Title,
                                          item.Url, false, QString());
        }
        News::SaveDayFile(session->store);
        session->table.Fill();
    }
    DayBrowser& Days() { return *form->Days(); }
    const Present::GridModel& Grid() { return session->table.Model(); }
    QString LastRowTitle() { return Grid().Text(GridRow{Grid().Rows() - 1}, GridCol{9}); }
    void ShowYesterday() {
        Days().ChooseDayStep = [](const QList<QDate>&, const QDate&) {
            return DayChoice{kYesterday, false};
        };
        Days().EarlierDayAction()->trigger();
    }
};

} // namespace

class TestDays : public QObject {
    Q_OBJECT
private slots:
    void calendarOffersTheStoredDays() {
        Fixture f;
        WriteBytes(News::DayFilePathOf(kToday.addDays(-5)), News::EncodeDayFile(YesterdayItems()));
        // Not day files: never offered.
        WriteBytes(News::DataFolder() + "/19990101.DAT.bad", "x");
        WriteBytes(News::DataFolder() + "/memo.DAT", "x");
        QList<QDate> offered;
        f.Days().ChooseDayStep = [&](const QList<QDate>& stored, const QDate&) {
            offered = stored;
            return DayChoice();
        };
        f.Days().EarlierDayAction()->trigger();
        QCOMPARE(offered, (QList<QDate>{kToday.addDays(-5), kYesterday, kToday}));
        // Closed without a choice: still today.
        QVERIFY(!f.Days().ShowsEarlierDay());

        FormDays calendar(offered, kToday, News::DataFolder());
        QCalendarWidget* c = calendar.Calendar();
        QCOMPARE(c->selectedDate(), kYesterday);
        QCOMPARE(c->dateTextFormat(kYesterday).fontWeight(), int(QFont::Bold));
        QVERIFY(c->dateTextFormat(kToday.addDays(-2)).fontWeight() != int(QFont::Bold));
        QVERIFY(calendar.OpenButton()->isEnabled());
        c->setSelectedDate(kToday.addDays(-2));
        QVERIFY(!calendar.OpenButton()->isEnabled());
        QVERIFY(!calendar.ChosenDay().isValid());
        // A day with no file within the service's month can be filled, not opened.
        QVERIFY(calendar.FillButton()->isEnabled());
        c->setSelectedDate(kToday.addDays(-5));
        QCOMPARE(calendar.ChosenDay(), kToday.addDays(-5));
        // Its file was written after the day ended: complete.
        QVERIFY(!calendar.FillButton()->isEnabled());
        c->setSelectedDate(kToday.addDays(-2));
        calendar.FillButton()->click();
        QCOMPARE(calendar.Choice().day, kToday.addDays(-2));
        QVERIFY(calendar.Choice().fill);
    }

    void fillAMissedDayThenShowIt() {
        FeedsimProcess feedsim;
        QVERIFY(StartAtTenToday(feedsim));
        Fixture f;
        f.session->settings.TdnetHost = feedsim.Tdnet();
        // The most recent weekday before today has disclosures.
        const QDate day = LastWeekday();
        QFile::remove(News::DayFilePathOf(day));
        f.Days().ChooseDayStep = [&](const QList<QDate>&, const QDate&) {
            return DayChoice{day, true};
        };
        f.Days().EarlierDayAction()->trigger();
        const auto saved = News::DecodeDayFile(ReadBytes(News::DayFilePathOf(day)));
        QVERIFY(saved && !saved->isEmpty());
        QVERIFY(f.Days().ShowsEarlierDay());
        QCOMPARE(f.Days().DayShown(), day);
        QCOMPARE(f.Grid().Rows(), saved->size() + 1);
        QCOMPARE(f.LastRowTitle(), saved->first().Title);
        QVERIFY2(f.form->WindowPorts()
                     ->PanelText(App::Panel::Message)
                     .endsWith(QString::number(saved->size()) + QStringLiteral(" 件補いました。")),
                 qPrintable(f.form->WindowPorts()->PanelText(App::Panel::Message)));
        // Today's two headlines are still all today holds.
        QCOMPARE(f.session->store.Count(), 2);
        // Filled after the day ended: nothing more to fill.
        QVERIFY(!f.Days().FillDay(day));
    }

    // A fill stopped with the status bar's 中止, or by closing the window, while the day's second
    // list page hangs: the first page was merged in memory, but the day's file keeps the bytes
    // it had, so the day is still offered for filling; a close waits for the fill to stop.
    void stoppedFillLeavesTheDayAsItWas_data() {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("中止") << false;
        QTest::newRow("the window closed") << true;
    }
    void stoppedFillLeavesTheDayAsItWas() {
        QFETCH(bool, byClosing);
        const QDate day = LastWeekday();
        const QString page2 = QStringLiteral("/inbs/I_list_002_") +
                              day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".html");
        FeedsimProcess feedsim;
        QVERIFY(StartAtTenToday(feedsim, {"--fault", page2 + QStringLiteral("=hang")}));
        Fixture f;
        f.session->settings.TdnetHost = feedsim.Tdnet();
        // What a patrol left of that day in the morning.
        const QString path = News::DayFilePathOf(day);
        WriteBytes(path, News::EncodeDayFile({Item(day, 9, "朝の開示", "開示")}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(day, QTime(9, 30)), QFileDevice::FileModificationTime));
        file.close();
        const QByteArray before = ReadBytes(path);
        QSignalSpy unloaded(f.form.get(), &FormMain::Unloaded);

        bool buttonShown = false;
        QTimer stopper;
        stopper.setInterval(20);
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            if (!feedsim.RequestedPaths().contains(page2))
                return;
            stopper.stop();
            buttonShown = !f.Days().CancelFillButton()->isHidden();
            if (byClosing)
                f.form->close();
            else
                f.Days().CancelFillButton()->click();
        });
        stopper.start();
        QVERIFY(!f.Days().FillDay(day));
        QVERIFY(!stopper.isActive());
        QVERIFY(buttonShown);
        QVERIFY(f.Days().CancelFillButton()->isHidden());
        QVERIFY(!f.Days().Filling());
        QCOMPARE(ReadBytes(path), before);
        QVERIFY(News::CanFillDay(News::DataFolder(), day, kToday));
        QVERIFY(!f.Days().ShowsEarlierDay());
        QCOMPARE(f.form->WindowPorts()->PanelText(App::Panel::Message),
                 Dates::ShortDate(day) + QStringLiteral(" の適時開示情報の取得を中止しました。"));
        if (byClosing)
            QTRY_COMPARE(unloaded.count(), 1);
        else
            QCOMPARE(unloaded.count(), 0);
    }

    void earlierDayIsReadOnlyButForTheOpenedMark() {
        Fixture f;
        f.ShowYesterday();
        QVERIFY(f.Days().ShowsEarlierDay());
        QCOMPARE(f.Grid().Rows(), 4);
        QCOMPARE(f.LastRowTitle(), QStringLiteral("日銀 総裁会見"));
        const QString note =
            QStringLiteral("［") + Dates::ShortDate(kYesterday) + QStringLiteral(" を表示中］");
        QVERIFY2(f.form->windowTitle().startsWith(note), qPrintable(f.form->windowTitle()));
        QVERIFY(!f.Days().DayLabel()->isHidden());
        QVERIFY(f.Days().DayLabel()->text().contains(Dates::ShortDate(kYesterday)));
        QVERIFY(!f.Days().TodayButton()->isHidden());

        const QByteArray yesterdayBytes = ReadBytes(News::DayFilePathOf(kYesterday));
        const QByteArray todayBytes = ReadBytes(News::DayFilePath());
        // Mark all read: refused for the day shown, and today's store untouched too.
        f.form->TBar_ButtonClick(App::Command::AllRead);
        QCOMPARE(ReadBytes(News::DayFilePathOf(kYesterday)), yesterdayBytes);
        QCOMPARE(ReadBytes(News::DayFilePath()), todayBytes);
        QVERIFY(f.session->store.Item(0).IsNew);
        QCOMPARE(f.form->WindowPorts()->PanelText(App::Panel::Message),
                 QStringLiteral("過去の日付の表示中は既読にできません。"));

        // Opening the oldest row opens yesterday's article and marks it in yesterday's file.
        Present::GridModel& grid = f.session->table.Model();
        grid.SetCursor(GridRow{1}, GridCol{9});
        f.form->GridNews_Click();
        QCOMPARE(f.opened, QStringList{YesterdayItems()[2].Url});
        const auto saved = News::DecodeDayFile(ReadBytes(News::DayFilePathOf(kYesterday)));
        QVERIFY(saved && saved->size() == 3);
        QVERIFY(saved->at(2).IsOpened);
        QVERIFY(!saved->at(0).IsOpened && !saved->at(1).IsOpened);
        QCOMPARE(grid.Picture(GridRow{1}, GridCol{5}), QStringLiteral("LOOK_OPEN"));
        QCOMPARE(ReadBytes(News::DayFilePath()), todayBytes);
        QCOMPARE(f.session->store.Count(), 2);
    }

    void filterAndExportWorkOnTheDayShown() {
        Fixture f;
        f.ShowYesterday();
        f.form->WindowPorts()->SetSearchText(QStringLiteral("日銀"));
        f.form->Action(App::Command::Filter)->trigger();
        // The row of "円相場 反発" is hidden; the two of 日銀 show.
        QStringList shown;
        for (int row = 1; row < f.Grid().Rows(); ++row) {
            if (f.Grid().RowHeight(row) > 0)
                shown << f.Grid().Text(GridRow{row}, GridCol{9});
        }
        QCOMPARE(shown, (QStringList{"日銀 金利据え置き", "日銀 総裁会見"}));

        const QString path = f.dir.filePath(QStringLiteral("yesterday.csv"));
        f.form->SaveFileDialogStep = [&](const QString&, QString&) { return path; };
        f.form->TBar_ButtonMenuClick(App::MenuCommand::ExportCsv);
        const QList<QByteArray> lines = ReadBytes(path).split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the empty rest after the last line end
        QVERIFY(
            lines[0].startsWith("0," + Dates::DateTimeText(YesterdayItems()[0].Posted).toUtf8()));
        QVERIFY(lines[2].contains("日銀 金利据え置き"));
    }

    void patrolGoesOnWhileAnEarlierDayIsShown() {
        FeedsimProcess feedsim;
        QVERIFY(StartAtTenToday(feedsim));
        Fixture f;
        f.session->settings.NewsHost = feedsim.Portal();
        f.session->settings.TdnetHost = feedsim.Tdnet();
        f.ShowYesterday();
        const QByteArray yesterdayBytes = ReadBytes(News::DayFilePathOf(kYesterday));

        const News::CycleResult result = f.session->patrol.RunCycle(News::CycleMode::Download);
        News::UpdateTitle(f.session->store);
        QVERIFY(result.grew);
        const int today = f.session->store.Count();
        QVERIFY(today > 2);
        // The alert went out, the day shown stayed, and nothing of today went into its file.
        QVERIFY2(f.form->WindowPorts()
                     ->PanelText(App::Panel::Message)
                     .endsWith(QStringLiteral("件の新着ニュースがあります！！")),
                 qPrintable(f.form->WindowPorts()->PanelText(App::Panel::Message)));
        QCOMPARE(f.Grid().Rows(), 4);
        QCOMPARE(f.LastRowTitle(), QStringLiteral("日銀 総裁会見"));
        QVERIFY(f.form->windowTitle().startsWith(QStringLiteral("［")));
        QCOMPARE(ReadBytes(News::DayFilePathOf(kYesterday)), yesterdayBytes);
        const auto saved = News::DecodeDayFile(ReadBytes(News::DayFilePath()));
        QVERIFY(saved);
        QCOMPARE(saved->size(), today);

        f.Days().TodayButton()->click();
        QVERIFY(!f.Days().ShowsEarlierDay());
        QCOMPARE(f.Grid().Rows(), today + 1);
        QCOMPARE(f.LastRowTitle(), f.session->store.Item(0).Title);
        QVERIFY(f.Days().TodayButton()->isHidden());
        QVERIFY(f.form->windowTitle().startsWith(QStringLiteral("Tickerwisp")));
    }

    void searchAcrossDaysOpensAHit() {
        Fixture f;
        // Another day, and one cut short that the search passes over with a note.
        const QDate older = kToday.addDays(-3);
        WriteBytes(News::DayFilePathOf(older),
                   News::EncodeDayFile({Item(older, 10, "日銀 短観", "金融")}));
        WriteBytes(News::DayFilePathOf(kToday.addDays(-2)),
                   News::EncodeDayFile(YesterdayItems()).chopped(1));
        f.form->WindowPorts()->SetSearchText(QStringLiteral("日銀 & 金融"));
        f.Days().DaySearchAction()->trigger();
        FormDaySearch* window = f.Days().SearchWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->ExpressionEdit()->text(), QStringLiteral("日銀 & 金融"));
        QSignalSpy done(window, &FormDaySearch::SearchFinished);
        window->SearchButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 10000);
        QTableWidget* hits = window->HitTable();
        QCOMPARE(hits->rowCount(), 3);
        QCOMPARE(hits->item(0, 4)->text(), QStringLiteral("日銀 総裁会見"));
        QCOMPARE(hits->item(0, 0)->text(), Dates::ShortDate(kYesterday));
        QCOMPARE(hits->item(0, 1)->text(), QStringLiteral("15:00"));
        QCOMPARE(hits->item(2, 4)->text(), QStringLiteral("日銀 短観"));
        QVERIFY(window->ResultLabel()->text().contains(
            kToday.addDays(-2).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".DAT")));
        QVERIFY(window->CsvButton()->isEnabled());
        window->OpenHit(2);
        QCOMPARE(f.opened, QStringList{Item(older, 10, "", "").Url});

        // A day stored since is searched the next time the window is asked for.
        const QDate oldest = kToday.addDays(-4);
        WriteBytes(News::DayFilePathOf(oldest),
                   News::EncodeDayFile({Item(oldest, 10, "日銀 支店長会議", "金融")}));
        f.Days().DaySearchAction()->trigger();
        QCOMPARE(f.Days().SearchWindow(), window);
        window->SearchButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 10000);
        QCOMPARE(hits->rowCount(), 4);
        QCOMPARE(hits->item(3, 4)->text(), QStringLiteral("日銀 支店長会議"));
    }

    void oldDayFilesGoAtStartUp() {
        QTemporaryDir dir;
        Common::SetAppDataFolder(dir.path());
        QVERIFY(QDir().mkpath(News::DataFolder()));
        for (int ago : {0, 1, 2, 5, 40})
            WriteBytes(News::DayFilePathOf(kToday.addDays(-ago)),
                       News::EncodeDayFile({Item(kToday.addDays(-ago), 9, "x", "")}));
        WriteBytes(dir.filePath("SYSTEM.INI"), "[OPTION]\r\nKEEP DAYS=3\r\n");
        Common::SetPauseHook(&NoPause);
        {
            Program::Session session;
            FormMain form(session, false);
            QCOMPARE(session.settings.KeepDays, 3);
            QCOMPARE(News::StoredDays(News::DataFolder()),
                     (QList<QDate>{kToday.addDays(-2), kToday.addDays(-1), kToday}));
        }
        Common::SetPauseHook(nullptr);
    }
};

QTEST_MAIN(TestDays)
#include "tst_days.moc"
