#include "WindowFixture.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/HeadlineSearch.h"
#include "present/HeadlineTable.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "ui/FormGeometry.h"
#include "ui/FormMain.h"
#include "ui/GridView.h"
#include "ui/LaunchUrl.h"
#include "ui/StatusPanels.h"
#include "ui/WindowPorts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cmath>
#include <functional>

using namespace Ports;
using FormGeometry::TwipsRect;

using Present::GridCol;
using Present::GridRow;

namespace {

QList<int> g_pauses;
FormMain* g_reenter = nullptr;
std::function<void()> g_duringPause;
void RecordPause(int ms, bool, bool) {
    g_pauses << ms;
    if (g_duringPause)
        g_duringPause();
    // A second click arriving while the first one waits.
    if (g_reenter)
        g_reenter->GridNews_Click();
}

const QList<std::tuple<QString, QString, QString, bool>> kFive{
    {"日銀 金利据え置き", "金融", "http://127.0.0.1:9/a1", false},
    {"円相場 反落", "", "http://127.0.0.1:9/a2", true},
    {"日銀 総裁会見", "金融", "", false},
    {"トヨタ 決算", "決算(東証:7203)", "http://127.0.0.1:9/a4", true},
    {"ドル 続伸", "為替", "http://127.0.0.1:9/a5", false}};

// The window with every pause recorded.
struct Fixture : WindowFixture {
    Fixture() : WindowFixture(&RecordPause) { g_pauses.clear(); }
    ~Fixture() {
        g_reenter = nullptr;
        g_duringPause = nullptr;
    }

    // kFive below, oldest first; minutes after 9:00 today.
    void AddHeadlines(bool anyNew = true) {
        News::NewsStore& store = session->store;
        int minute = 0;
        for (const auto& [title, category, url, isNew] : kFive) {
            const double posted = Dates::ToOle(QDateTime(QDate::currentDate(), QTime(9, minute++)));
            int position = store.FindInsertPosition(posted);
            store.InsertNewsItem(position, posted, News::SourceNames().at(0), category, title, url,
                                 false, QString());
            store.MutableItem(position).IsNew = isNew && anyNew;
        }
        session->table.Fill();
    }

    // A headline put into the store the way a cycle merges it: the table is not rebuilt.
    void MergeHeadline(QTime at, const QString& title) {
        News::NewsStore& store = session->store;
        const double posted = Dates::ToOle(QDateTime(QDate::currentDate(), at));
        int position = store.FindInsertPosition(posted);
        store.InsertNewsItem(position, posted, News::SourceNames().at(1), QString(), title,
                             QStringLiteral("http://127.0.0.1:9/m") + at.toString(), false,
                             QString());
    }

    // Shown, its start-up placement done, then at the size the tests count with.
    void ShowWindow() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY(form->PlacementSettled());
        form->resize(640, 480);
    }
};

} // namespace

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void searchSelectsHighestMatch_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("title"); // "" = nothing found
        auto row = [](const char* name, const char* word, const char* title) {
            QTest::newRow(name) << QString(word) << QString(title);
        };
        row("two hits, the upper wins", "日銀", "日銀 金利据え置き");
        row("no hit", "半導体", "");
        row("typed, then Enter", "トヨタ\n", "トヨタ 決算");
    }
    void searchSelectsHighestMatch() {
        QFETCH(QString, word);
        QFETCH(QString, title);
        Fixture f;
        f.AddHeadlines();
        Present::GridModel& grid = f.session->table.Model();
        grid.SetCursor(GridRow{5}, GridCol{9});
        if (word.endsWith(u'\n')) {
            f.ShowWindow();
            f.form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
            QLineEdit* edit = f.form->ComboSearch()->lineEdit();
            edit->setFocus();
            edit->setText(word.chopped(1));
            // Where the keyboard really is: the box, which passes keys on to its edit.
            QVERIFY(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(f.form->ComboSearch()->itemText(0), word.chopped(1));
        } else {
            f.form->ComboSearch()->setEditText(word);
            f.form->TBar_ButtonClick(App::Command::Search);
        }
        if (title.isEmpty()) {
            QCOMPARE(grid.Row(), 5);
            QCOMPARE(f.form->SBar()->text(App::Panel::Message),
                     QStringLiteral("該当記事がありませんでした。"));
            return;
        }
        QCOMPARE(grid.Text(GridRow{grid.Row()}, GridCol{9}), title);
        // The view's cursor is on the same row.
        QCOMPARE(f.form->GridNews()->currentIndex().row(), f.form->GridNews()->ViewRow(grid.Row()));
        QCOMPARE(grid.BackColor(GridRow{grid.Row()}, GridCol{9}), Present::HitColor);
    }

    // 検索 during a cycle: headlines have merged into the store under the table, some of them
    // between the rows it shows. The marks and the cursor go to the rows of the matching
    // headlines, and the table the cycle rebuilds at its end keeps the marks and the filter.
    void searchWhileACycleMergesUnderTheTable() {
        Fixture f;
        f.AddHeadlines();
        f.MergeHeadline(QTime(8, 30), QStringLiteral("日銀 臨時会合"));
        f.MergeHeadline(QTime(9, 1, 30), QStringLiteral("指標 発表"));
        Present::GridModel& grid = f.session->table.Model();
        QCOMPARE(grid.Rows(), 6);
        grid.SetCursor(GridRow{5}, GridCol{9});
        f.form->ComboSearch()->setEditText(QStringLiteral("日銀"));
        f.form->WindowPorts()->SetButtonPressed(App::Command::Filter, true);
        f.form->TBar_ButtonClick(App::Command::Search);

        auto expectMarks = [&] {
            for (int row = 1; row < grid.Rows(); ++row) {
                const QString title = grid.Text(GridRow{row}, GridCol{9});
                const bool hit = title.contains(QStringLiteral("日銀"));
                QVERIFY2((grid.BackColor(GridRow{row}, GridCol{9}) == Present::HitColor) == hit,
                         qPrintable(title));
                QVERIFY2((grid.RowHeight(row) == 0) == !hit, qPrintable(title));
            }
        };
        // Filtering rebuilt the table from the store as it stands between two merges.
        QCOMPARE(grid.Rows(), 8);
        QCOMPARE(grid.Text(GridRow{grid.Row()}, GridCol{9}), QStringLiteral("日銀 臨時会合"));
        expectMarks();

        // Without the filter the search leaves the rows as they are; the marks go by headline.
        f.form->WindowPorts()->SetButtonPressed(App::Command::Filter, false);
        f.form->TBar_ButtonClick(App::Command::Filter);
        f.MergeHeadline(QTime(8, 45), QStringLiteral("日銀 追加"));
        f.MergeHeadline(QTime(9, 3, 30), QStringLiteral("半導体"));
        grid.SetCursor(GridRow{5}, GridCol{9});
        f.form->TBar_ButtonClick(App::Command::Search);
        QCOMPARE(grid.Rows(), 8);
        QCOMPARE(grid.Text(GridRow{grid.Row()}, GridCol{9}), QStringLiteral("日銀 臨時会合"));
        for (int row = 1; row < grid.Rows(); ++row) {
            const QString title = grid.Text(GridRow{row}, GridCol{9});
            QVERIFY2((grid.BackColor(GridRow{row}, GridCol{9}) == Present::HitColor) ==
                         title.contains(QStringLiteral("日銀")),
                     qPrintable(title));
        }
        // The cycle ends and rebuilds the table: the marks and the filter stay.
        f.form->WindowPorts()->SetButtonPressed(App::Command::Filter, true);
        f.session->table.Fill();
        QCOMPARE(grid.Rows(), 10);
        expectMarks();
    }

    void searchHistory_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("firstEntries");
        QTest::newRow("repeated word kept once, on top")
            << QStringList{"a", "b", "a"} << 2 << QStringList{"a", "b"};
        QStringList hundred;
        for (int i = 0; i < 100; ++i)
            hundred << QStringLiteral("w%1").arg(i);
        QTest::newRow("100th pushes the oldest out") << hundred << 99 << QStringList{"w99", "w98"};
        QTest::newRow("empty text is not recorded")
            << QStringList{"x", ""} << 1 << QStringList{"x"};
    }
    void searchHistory() {
        QFETCH(QStringList, typed);
        QFETCH(int, count);
        QFETCH(QStringList, firstEntries);
        Fixture f;
        QComboBox* box = f.form->ComboSearch();
        for (const QString& word : typed) {
            box->setEditText(word);
            f.form->ComboSearch_Click();
        }
        QCOMPARE(box->count(), count);
        for (int i = 0; i < firstEntries.size(); ++i)
            QCOMPARE(box->itemText(i), firstEntries[i]);
        QCOMPARE(box->currentText(), typed.last());
        if (count == 99)
            QCOMPARE(box->findText(QStringLiteral("w0")), -1);
    }

    // The preset a key chooses (-1: none); the window applies it in the next test.
    void presetKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("preset");
        const int alt = Qt::AltModifier;
        QTest::newRow("Alt+1") << int(Qt::Key_1) << alt << 0;
        QTest::newRow("Alt+keypad 9") << int(Qt::Key_9) << int(alt | Qt::KeypadModifier) << 8;
        QTest::newRow("Alt+0") << int(Qt::Key_0) << alt << 9;
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << alt << 10;
        QTest::newRow("Alt+E") << int(Qt::Key_E) << alt << 12;
        QTest::newRow("Alt+R") << int(Qt::Key_R) << alt << -1;
        QTest::newRow("1 alone") << int(Qt::Key_1) << 0 << -1;
        QTest::newRow("Ctrl+Alt+1") << int(Qt::Key_1) << int(alt | Qt::ControlModifier) << -1;
    }
    void presetKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QTEST(FormGeometry::PresetIndexForKey(key, Qt::KeyboardModifiers(modifiers)), "preset");
    }

    void presetKeyWhileGridHasFocus() {
        Fixture f;
        f.session->settings.SearchWords[9] = QStringLiteral("日銀");
        f.ShowWindow();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.form->GridNews()->setFocus();
        QTest::keyClick(f.form->GridNews(), Qt::Key_0, Qt::AltModifier);
        QCOMPARE(f.form->ComboSearch()->currentText(), QStringLiteral("日銀"));
    }

    void allReadMarksAndSaves() {
        Fixture f;
        f.AddHeadlines();
        f.form->TBar_ButtonClick(App::Command::AllRead);
        const QList<News::NewsItem> items = f.session->store.Items();
        for (const News::NewsItem& item : items)
            QVERIFY(item.IsOpened && !item.IsNew);
        for (int row = 1; row <= 5; ++row)
            QCOMPARE(f.session->table.Model().Picture(GridRow{row}, GridCol{5}),
                     QStringLiteral("LOOK_OPEN"));
        QFile file(News::DayFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto saved = News::DecodeDayFile(file.readAll());
        QVERIFY(saved && saved->size() == 5);
        for (const News::NewsItem& item : *saved)
            QVERIFY(item.IsOpened && !item.IsNew);
    }

    void csvExport_data() {
        QTest::addColumn<bool>("withNews");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("message"); // %1 = the path
        QTest::addColumn<bool>("written");
        QTest::newRow("written") << true << false << "%1 にニュースデータを出力しました。" << true;
        QTest::newRow("empty store")
            << false << false << "ニュースが一つもないので出力できません。" << false;
        QTest::newRow("cancelled") << true << true << "" << false;
    }
    void csvExport() {
        QFETCH(bool, withNews);
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        QFETCH(bool, written);
        Fixture f;
        if (withNews)
            f.AddHeadlines();
        const QString path = f.dir.filePath(QStringLiteral("out.csv"));
        QString folderSeen;
        f.form->SaveFileDialogStep = [&](const QString&, QString& folder) {
            folderSeen = folder;
            return cancel ? QString() : path;
        };
        f.form->TBar_ButtonMenuClick(App::MenuCommand::ExportCsv);
        QCOMPARE(folderSeen, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(QFile::exists(path), written);
        if (message.isEmpty()) {
            QVERIFY(f.prompt.boxes.isEmpty());
            return;
        }
        QCOMPARE(f.prompt.boxes.size(), 1);
        QCOMPARE(f.prompt.boxes[0].text, message.arg(path));
        QCOMPARE(f.prompt.boxes[0].icon, MsgIcon::Information);
    }

    void shadeTwiceRestoresHeight() {
        Fixture f;
        f.ShowWindow();
        const int before = f.form->height();
        f.form->TBar_ButtonClick(App::Command::Shade);
        QTRY_COMPARE(f.form->height(), f.form->TBar()->height());
        f.form->TBar_ButtonClick(App::Command::Shade);
        QTRY_COMPARE(f.form->height(), before);
        QVERIFY(f.form->SBar()->isVisible());

        f.form->showMaximized();
        QTRY_VERIFY(f.form->isMaximized() && f.form->height() > before);
        const int maximized = f.form->height();
        f.form->TBar_ButtonClick(App::Command::Shade);
        QTest::qWait(20);
        QCOMPARE(f.form->height(), maximized);
    }

    // The save dialog starts in a folder, never with the folder's name typed in as a file name.
    void dialogFolders() {
        QTemporaryDir dir;
        const QString root = dir.path();
        QFile file(root + QStringLiteral("/plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(FormGeometry::ExistingFolder(root), root + u'/');
        QCOMPARE(FormGeometry::ExistingFolder(root + QStringLiteral("/Documents")),
                 root + QStringLiteral("/Documents/"));
        QVERIFY(QFileInfo(root + QStringLiteral("/Documents")).isDir());
        QCOMPARE(FormGeometry::ExistingFolder(root + QStringLiteral("/plain/sub")), root + u'/');
        QCOMPARE(FormGeometry::ExistingFolder(QString()), QString());
    }

    // Divisions that do not come out even are cut toward zero.
    void windowModes() {
        auto rect = [](App::MenuCommand mode) {
            return FormGeometry::WindowModeRect(mode, 1366 * 15.0, 767 * 15.0)
                .value_or(TwipsRect{});
        };
        QCOMPARE(rect(App::MenuCommand::WindowFull), (TwipsRect{0, 0, 10245, 11505}));
        QCOMPARE(rect(App::MenuCommand::WindowMiddle), (TwipsRect{2049, 1438, 8196, 8628}));
        QCOMPARE(rect(App::MenuCommand::WindowMini), (TwipsRect{0, 0, 6830, 2876}));
        QVERIFY(!FormGeometry::WindowModeRect(App::MenuCommand::About, 1366 * 15.0, 767 * 15.0));
    }

    void windowModeMovesTheWindow() {
        Fixture f;
        f.ShowWindow();
        f.form->TBar_ButtonMenuClick(App::MenuCommand::WindowMini);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const double tpp = f.form->TwipsPerPixelX();
        const auto rect = FormGeometry::WindowModeRect(App::MenuCommand::WindowMini,
                                                       screen.width() * tpp, screen.height() * tpp);
        QTRY_COMPARE(f.form->frameGeometry().width(), int(std::lround(rect->width / tpp)));
        QCOMPARE(f.form->frameGeometry().topLeft(), QPoint(0, 0));
    }

    void newPanelClick_data() {
        QTest::addColumn<bool>("anyNew");
        QTest::newRow("new headlines") << true;
        QTest::newRow("none new") << false;
    }
    void newPanelClick() {
        QFETCH(bool, anyNew);
        Fixture f;
        f.AddHeadlines(anyNew);
        Present::GridModel& grid = f.session->table.Model();
        grid.SetCursor(GridRow{5}, GridCol{3});
        f.form->WindowPorts()->SetPanelTip(App::Panel::New, QStringLiteral("新着あり！"));
        f.form->SBar_PanelClick(App::Panel::New);
        if (!anyNew) {
            QCOMPARE(grid.Row(), 5);
            QCOMPARE(grid.Col(), 3);
            QCOMPARE(f.form->SBar()->tip(App::Panel::New), QStringLiteral("新着あり！"));
            return;
        }
        // The lowest new store index is the newest new headline: "トヨタ 決算".
        QCOMPARE(grid.Text(GridRow{grid.Row()}, GridCol{9}), QStringLiteral("トヨタ 決算"));
        QCOMPARE(grid.Col(), 9);
        QCOMPARE(f.form->SBar()->tip(App::Panel::New), News::NoNewsTip);
        QVERIFY(!f.form->SBar()->panelEnabled(App::Panel::New));
    }

    void rightClick_data() {
        QTest::addColumn<int>("row"); // -1: below the last row
        QTest::addColumn<bool>("menu");
        QTest::addColumn<bool>("webEntries");
        QTest::newRow("outside the cells") << -1 << false << false;
        QTest::newRow("row with a category") << 1 << true << true;
        QTest::newRow("row without a category") << 2 << true << false;
    }
    void rightClick() {
        QFETCH(int, row);
        QFETCH(bool, menu);
        QFETCH(bool, webEntries);
        Fixture f;
        f.AddHeadlines();
        f.ShowWindow();
        int popups = 0;
        f.form->PopupMenuStep = [&](QMenu*, const QPoint&) { ++popups; };
        GridView* view = f.form->GridNews();
        const QPoint pos = row < 0 ? QPoint(5, view->viewport()->height() - 3)
                                   : view->visualRect(view->IndexOf(row, 9)).center();
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, pos);
        QCOMPARE(popups, menu ? 1 : 0);
        if (!menu)
            return;
        const Present::GridModel& grid = f.session->table.Model();
        QCOMPARE(grid.Row(), row);
        QCOMPARE(grid.Col(), 1);
        QCOMPARE(grid.ColSel(), grid.Cols() - 1);
        QCOMPARE(f.form->MenuHeadline()[2]->isVisible(), webEntries);
        QVERIFY(f.form->MenuHeadline()[0]->isVisible());
    }

    void openHeadline() {
        Fixture f;
        f.AddHeadlines();
        Present::GridModel& grid = f.session->table.Model();
        g_reenter = f.form.get();
        grid.SetCursor(GridRow{1}, GridCol{9});
        f.form->GridNews_Click();
        g_reenter = nullptr;
        // One wait, one address: the click that arrived during the wait was ignored.
        QCOMPARE(g_pauses, QList<int>{500});
        QCOMPARE(f.opened, QStringList{"http://127.0.0.1:9/a1"});
        QVERIFY(f.session->store.Item(4).IsOpened);
        QCOMPARE(grid.Picture(GridRow{1}, GridCol{5}), QStringLiteral("LOOK_OPEN"));

        // A headline without an address says why it does not open.
        grid.SetCursor(GridRow{3}, GridCol{9});
        f.form->GridNews_Click();
        QCOMPARE(f.opened.size(), 1);
        QCOMPARE(f.prompt.boxes.size(), 1);
        QCOMPARE(f.prompt.boxes[0].text,
                 QStringLiteral(
                     "Yahoo!ファイナンスVIP倶楽部専用ニュースは、登録しないと閲覧できません。"));

        // Not the title column: nothing.
        grid.SetCursor(GridRow{4}, GridCol{7});
        f.form->GridNews_Click();
        QCOMPARE(f.opened.size(), 1);

        // Search with Google on the row of "トヨタ 決算", from the menu entry itself.
        grid.SetCursor(GridRow{4}, GridCol{1});
        f.form->MenuHeadline()[2]->trigger();
        QCOMPARE(f.opened.last(), Launch::GoogleSearchAddress(QStringLiteral("決算(東証:7203)")));
        QVERIFY(f.opened.last().contains(QStringLiteral("&q=%E6%B1%BA%E7%AE%97&num=50")));
    }

    void encodeUrl() {
        const std::pair<QString, const char*> rows[] = {
            {"A+B 株", "A%2BB+%E6%A0%AA"},
            {"@AZaz09*-._", "@AZaz09*-._"},    // kept as is
            {"?[`{~\t", "%3F%5B%60%7B%7E%09"}, // ASCII around the kept ranges
            {QString(QChar(0x80)) + QChar(0x7FF) + QChar(0x800) + QChar(0xFFFF),
             "%C2%80%DF%BF%E0%A0%80%EF%BF%BF"},    // two and three bytes, both ends
            {QString(QChar(0xD800)), "%ED%A0%80"}, // a lone surrogate
            {QString::fromUtf16(u"\U0001F600"), "%ED%A0%BD%ED%B8%80"}, // a pair, unit by unit
        };
        for (const auto& [text, encoded] : rows)
            QCOMPARE(Launch::EncodeUrlUtf8(text), QString(encoded));
    }

    // 環境設定 sits centred over the window by the dialog's own width.
    void optionsDialogCentred() {
        Fixture f;
        f.ShowWindow();
        f.form->move(60, 20);
        QTRY_COMPARE(f.form->frameGeometry().topLeft(), QPoint(60, 20));
        QRect dialog;
        std::function<void()> closeWhenShown = [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                dialog = modal->frameGeometry();
                modal->close();
                return;
            }
            QTimer::singleShot(10, closeWhenShown);
        };
        QTimer::singleShot(0, closeWhenShown);
        f.form->TBar_ButtonClick(App::Command::Options);
        QVERIFY(dialog.isValid());
        QVERIFY2(
            std::abs(dialog.center().x() - f.form->frameGeometry().center().x()) <= 1,
            qPrintable(
                QStringLiteral("dialog %1 px wide at %2").arg(dialog.width()).arg(dialog.x())));
    }

    // F5, Ctrl+, Ctrl+F, Ctrl+Q, Enter on a row and Esc in the search box, pressed where a user
    // presses them; the tooltips name them.
    void shortcuts_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("F5 reloads") << "F5";
        QTest::newRow("F5 does nothing while reloading is locked") << "F5 locked";
        QTest::newRow("Ctrl+, opens the options") << "Ctrl+,";
        QTest::newRow("Ctrl+F goes to the search box") << "Ctrl+F";
        QTest::newRow("Esc empties the search box") << "Esc";
        QTest::newRow("Enter opens the row's headline") << "Enter";
        QTest::newRow("Shift+Enter only moves up") << "Shift+Enter";
        QTest::newRow("Ctrl+Q closes and saves") << "Ctrl+Q";
    }
    void shortcuts() {
        QFETCH(QString, key);
        Fixture f;
        f.session->settings.NewsHost = QStringLiteral("http://127.0.0.1:9");
        f.AddHeadlines();
        QVERIFY(News::SaveDayFile(f.session->store));
        int optionsShown = 0;
        f.form->OptionsDialogStep = [&](int, int, int) { ++optionsShown; };
        f.ShowWindow();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        Present::GridModel& grid = f.session->table.Model();
        grid.SetCursor(GridRow{4}, GridCol{1});
        f.form->GridNews()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), f.form->GridNews());
        QComboBox* box = f.form->ComboSearch();
        QSignalSpy unloaded(f.form.get(), &FormMain::Unloaded);
        g_pauses.clear();

        auto press = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m);
        };
        if (key == "F5" || key == "F5 locked") {
            const bool locked = key == "F5 locked";
            f.form->WindowPorts()->SetButtonEnabled(App::Command::Reload, !locked);
            press(Qt::Key_F5);
            // Every list was asked for, each followed by its pause.
            QCOMPARE(g_pauses.size(), locked ? 0 : 26);
        } else if (key == "Ctrl+,") {
            press(Qt::Key_Comma, Qt::ControlModifier);
            QCOMPARE(optionsShown, 1);
        } else if (key == "Ctrl+F") {
            press(Qt::Key_F, Qt::ControlModifier);
            QVERIFY(QApplication::focusWidget() == box ||
                    QApplication::focusWidget() == box->lineEdit());
        } else if (key == "Esc") {
            box->setEditText(QStringLiteral("日銀"));
            box->lineEdit()->setFocus();
            QTRY_VERIFY(box->lineEdit()->hasFocus());
            press(Qt::Key_Escape);
            QCOMPARE(box->currentText(), QString());
        } else if (key == "Enter" || key == "Shift+Enter") {
            const bool shifted = key == "Shift+Enter";
            press(Qt::Key_Return, shifted ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(f.opened, shifted ? QStringList()
                                       : QStringList{QStringLiteral("http://127.0.0.1:9/a4")});
            QCOMPARE(grid.Row(), shifted ? 3 : 4);
        } else if (key == "Ctrl+Q") {
            QVERIFY(!QFile::exists(Common::AppDataFolder() + QStringLiteral("/SYSTEM.INI")));
            press(Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(unloaded.size(), 1);
            QVERIFY(QFile::exists(Common::AppDataFolder() + QStringLiteral("/SYSTEM.INI")));
        }
        if (key != "Ctrl+Q")
            QCOMPARE(unloaded.size(), 0);

        QVERIFY(f.form->Action(App::Command::Reload)->toolTip().endsWith(QStringLiteral("（F5）")));
        QVERIFY(f.form->Action(App::Command::Options)
                    ->toolTip()
                    .endsWith(QStringLiteral("（Ctrl+,）")));
        QVERIFY(box->toolTip().contains(QStringLiteral("Ctrl+F")));
        QVERIFY(box->toolTip().contains(QStringLiteral("Esc")));
    }

    // A re-fetch that cannot be finished (the lists cannot be reached, or the window is closed
    // meanwhile) leaves the day file byte for byte and the table as they were.
    void refetchThatDoesNotFinishKeepsTheDay_data() {
        QTest::addColumn<bool>("close");
        QTest::newRow("lists unreachable") << false;
        QTest::newRow("closed meanwhile") << true;
    }
    void refetchThatDoesNotFinishKeepsTheDay() {
        QFETCH(bool, close);
        Fixture f;
        f.session->settings.NewsHost = QStringLiteral("http://127.0.0.1:9");
        f.AddHeadlines();
        f.session->store.MutableItem(2).IsOpened = true;
        f.session->table.Fill();
        QVERIFY(News::SaveDayFile(f.session->store));
        QFile day(News::DayFilePath());
        QVERIFY(day.open(QIODevice::ReadOnly));
        const QByteArray before = day.readAll();
        day.close();
        const Present::GridModel& grid = f.session->table.Model();
        auto rows = [&] {
            QStringList shown;
            for (int row = 1; row < grid.Rows(); ++row)
                shown << grid.Text(GridRow{row}, GridCol{9}) +
                             grid.Picture(GridRow{row}, GridCol{5});
            return shown;
        };
        const QStringList rowsBefore = rows();
        f.form->OptionsDialogStep = [&](int, int, int) { f.form->RequestNewsReload(); };
        QSignalSpy unloaded(f.form.get(), &FormMain::Unloaded);
        if (close) {
            f.ShowWindow();
            g_duringPause = [&] {
                if (g_pauses.size() == 3)
                    f.form->close();
            };
        }
        f.form->TBar_ButtonClick(App::Command::Options);
        QVERIFY(day.open(QIODevice::ReadOnly));
        QCOMPARE(day.readAll(), before);
        day.close();
        QCOMPARE(rows(), rowsBefore);
        QVERIFY(f.session->store.Item(2).IsOpened);
        if (close) {
            // The close asked for meanwhile goes ahead once the cycle is over.
            QTRY_COMPARE(unloaded.size(), 1);
            QVERIFY(g_pauses.size() < 26);
        } else {
            QVERIFY(f.form->WindowPorts()->GridVisible());
            QVERIFY(f.form->SBar()->text(App::Panel::Message).contains(QStringLiteral("26 件")));
        }
    }

    // A feed renamed in the options: the headlines it brought today go by the new name, for
    // the filter and in the day file; another source that happens to bear the old name keeps it.
    void renamedFeedTakesItsHeadlinesAlong() {
        Fixture f;
        f.AddHeadlines();
        const QString url = QStringLiteral("http://127.0.0.1:9/feed.xml");
        f.session->settings.Feeds = {{QStringLiteral("フィードA"), url, true}};
        News::NewsStore& store = f.session->store;
        for (int i = 0; i < 3; ++i) {
            const double posted = Dates::ToOle(QDateTime(QDate::currentDate(), QTime(10, i)));
            int position = store.FindInsertPosition(posted);
            store.InsertNewsItem(position, posted, QStringLiteral("フィードA"), QString(),
                                 QStringLiteral("記事%1").arg(i),
                                 QStringLiteral("http://127.0.0.1:9/a%1").arg(i), false, QString());
            // The last one came from a list of that name, not from the feed.
            if (i < 2)
                store.MutableItem(position).Reserved2 = url;
        }
        QVERIFY(News::SaveDayFile(store));
        f.form->ComboSearch()->setEditText(QStringLiteral("ロイター英語"));
        f.form->WindowPorts()->SetButtonPressed(App::Command::Filter, true);
        f.form->OptionsDialogStep = [&](int, int, int) {
            f.session->settings.Feeds[0].Name = QStringLiteral("ロイター英語");
        };
        f.form->TBar_ButtonClick(App::Command::Options);

        const Present::GridModel& grid = f.session->table.Model();
        QStringList shown;
        for (int row = 1; row < grid.Rows(); ++row) {
            if (grid.RowHeight(row) > 0)
                shown << grid.Text(GridRow{row}, GridCol{9});
        }
        QCOMPARE(shown, (QStringList{QStringLiteral("記事0"), QStringLiteral("記事1")}));
        QFile day(News::DayFilePath());
        QVERIFY(day.open(QIODevice::ReadOnly));
        const auto saved = News::DecodeDayFile(day.readAll());
        QVERIFY(saved);
        QStringList sources;
        for (const News::NewsItem& item : *saved) {
            if (item.Title.startsWith(QStringLiteral("記事")))
                sources << item.Title + u' ' + item.Source;
        }
        QCOMPARE(sources, (QStringList{QStringLiteral("記事2 フィードA"),
                                       QStringLiteral("記事1 ロイター英語"),
                                       QStringLiteral("記事0 ロイター英語")}));
    }

    void reloadWithNothingNew() {
        Fixture f;
        // A closed port: every list fails at once.
        f.session->settings.NewsHost = QStringLiteral("http://127.0.0.1:9");
        f.AddHeadlines();
        QVERIFY(News::SaveDayFile(f.session->store));
        f.form->TBar_ButtonClick(App::Command::Reload);
        // No update since the newest stored headline, and why: nothing could be read.
        const int sources = int(News::SourceNames().size());
        QCOMPARE(
            f.form->SBar()->text(App::Panel::Message),
            Common::Trim(Dates::DateTimeText(f.session->store.Item(0).Posted)) +
                QStringLiteral(" 以降、更新はありませんでした。　") +
                QStringLiteral("%1 件中 %1 件の取得に失敗しました（接続できません）").arg(sources));
        QVERIFY(f.form->WindowPorts()->ButtonEnabled(App::Command::Reload));
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
