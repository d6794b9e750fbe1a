// The windows as assistive technology and the keyboard see them: every control named and
// described, every command reachable, and Press / Toggle running what a click runs.

#include "WindowFixture.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/HeadlineTable.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "ui/FormMain.h"
#include "ui/FormOption.h"
#include "ui/GridView.h"
#include "ui/StatusPanels.h"
#include "ui/WindowPorts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using Present::GridCol;
using Present::GridRow;

namespace {

void NoPause(int, bool, bool) {}

// Five headlines, oldest first, two of them about the bank.
const QStringList kTitles{"日銀 金利据え置き", "円相場 反落", "日銀 総裁会見", "トヨタ 決算",
                          "ドル 続伸"};

struct Fixture : WindowFixture {
    Fixture() : WindowFixture(&NoPause) {
        News::NewsStore& store = session->store;
        for (int i = 0; i < kTitles.size(); ++i) {
            const double posted = Dates::ToOle(QDateTime(QDate::currentDate(), QTime(9, i)));
            int at = store.FindInsertPosition(posted);
            store.InsertNewsItem(at, posted, News::SourceNames().at(0), QStringLiteral("金融"),
                                 kTitles[i], QStringLiteral("http://127.0.0.1:9/a"), false,
                                 QString());
            store.MutableItem(at).IsNew = i == 3;
        }
        session->table.Fill();
    }
    // Shown, its start-up placement done, wide enough for every tool-bar button.
    void Show() {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTRY_VERIFY(form->PlacementSettled());
        form->resize(900, 480);
    }
    QToolButton* Button(App::Command command) const {
        return qobject_cast<QToolButton*>(form->TBar()->widgetForAction(form->Action(command)));
    }
};

int HiddenRows(const Present::GridModel& grid) {
    int hidden = 0;
    for (int row = 1; row < grid.Rows(); ++row)
        hidden += grid.RowHeight(row) == 0 ? 1 : 0;
    return hidden;
}

bool OffersAction(QAccessibleInterface* iface) {
    QAccessibleActionInterface* actions = iface->actionInterface();
    if (!actions)
        return false;
    QStringList names = actions->actionNames();
    names.removeAll(QAccessibleActionInterface::setFocusAction());
    return !names.isEmpty();
}

// Every control a user can focus or act on, hidden ones included (the tool bar's overflow
// button shows only when the window is narrow); a table's cells are its content.
void Walk(QAccessibleInterface* iface, const QString& path, QStringList& faults, int& controls) {
    if (!iface || !iface->isValid())
        return;
    const QString name = iface->text(QAccessible::Name);
    const QString here =
        path + QStringLiteral("/") +
        (name.isEmpty() ? (iface->object() ? iface->object()->objectName() + QStringLiteral("(") +
                                                 iface->object()->metaObject()->className() +
                                                 QStringLiteral(")")
                                           : QStringLiteral("?"))
                        : name);
    if (iface->state().focusable || OffersAction(iface)) {
        ++controls;
        if (name.trimmed().isEmpty())
            faults << here + QStringLiteral(": no name");
        // The toolkit gives a row of tabs no description of its own; each tab has one.
        else if (iface->text(QAccessible::Description).trimmed().isEmpty() &&
                 iface->role() != QAccessible::PageTabList)
            faults << here + QStringLiteral(": no description");
    }
    if (iface->role() == QAccessible::Table)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        Walk(iface->child(i), here, faults, controls);
}

void DoAction(QWidget* widget, const QString& action) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface && iface->actionInterface());
    iface->actionInterface()->doAction(action);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void everyControlNamed_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("atLeast"); // controls the walk must meet
        QTest::newRow("main window") << "main" << 18;
        QTest::newRow("options dialog") << "options" << 50;
    }
    void everyControlNamed() {
        QFETCH(QString, window);
        QFETCH(int, atLeast);
        Fixture f;
        f.Show();
        std::unique_ptr<FormOption> options;
        QWidget* top = f.form.get();
        if (window == "options") {
            options = std::make_unique<FormOption>(*f.session, f.form.get());
            options->show();
            QVERIFY(QTest::qWaitForWindowExposed(options.get()));
            top = options.get();
        }
        QStringList faults;
        int controls = 0;
        Walk(QAccessible::queryAccessibleInterface(top), window, faults, controls);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        qInfo("%s: %d controls", qPrintable(window), controls);
        QVERIFY2(controls >= atLeast, qPrintable(QString::number(controls)));
    }

    void namesOfTheMainPieces() {
        Fixture f;
        auto name = [](QObject* o) {
            return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
        };
        QCOMPARE(name(f.form->ComboSearch()), QStringLiteral("検索ボックス"));
        QCOMPARE(name(f.form->ComboSearch()->lineEdit()), QStringLiteral("検索ボックス"));
        QCOMPARE(name(f.form->GridNews()), QStringLiteral("ヘッドライン一覧"));
        QCOMPARE(name(f.Button(App::Command::Filter)), QStringLiteral("フィルタ"));
        QToolButton* filter = f.Button(App::Command::Filter);
        QCOMPARE(QAccessible::queryAccessibleInterface(filter)->text(QAccessible::Description),
                 filter->toolTip());
        // The status panels carry the tip the program sets as their description.
        f.form->WindowPorts()->SetPanelTip(App::Panel::New, QStringLiteral("新着あり！"));
        QAccessibleInterface* panel =
            QAccessible::queryAccessibleInterface(f.form->SBar()->panelWidget(App::Panel::New));
        QCOMPARE(panel->text(QAccessible::Name), QStringLiteral("新着"));
        QCOMPARE(panel->text(QAccessible::Description), QStringLiteral("新着あり！"));
    }

    // The filter button by each way a user has: every one rebuilds the table; the program's own
    // setting of the button rebuilds nothing.
    void filterEveryWay_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"AT toggle", "AT press", "Space key", "mouse"})
            QTest::newRow(way) << QString(way);
    }
    void filterEveryWay() {
        QFETCH(QString, way);
        Fixture f;
        f.Show();
        MainWindowPorts* ports = f.form->WindowPorts();
        const App::Command key = App::Command::Filter;
        QToolButton* button = f.Button(key);
        f.form->ComboSearch()->setEditText(QStringLiteral("日銀"));

        ports->SetButtonPressed(key, true);
        QVERIFY(button->isChecked());
        QCOMPARE(HiddenRows(f.session->table.Model()), 0);
        ports->SetButtonPressed(key, false);
        QVERIFY(!button->isChecked());

        auto use = [&] {
            if (way == "AT toggle") {
                DoAction(button, QAccessibleActionInterface::toggleAction());
            } else if (way == "AT press") {
                DoAction(button, QAccessibleActionInterface::pressAction());
            } else if (way == "Space key") {
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Space);
            } else {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        };
        use();
        QTRY_COMPARE(HiddenRows(f.session->table.Model()), 3);
        QVERIFY(ports->ButtonPressed(key));
        use();
        QTRY_COMPARE(HiddenRows(f.session->table.Model()), 0);
        QVERIFY(!ports->ButtonPressed(key));
    }

    void pressRunsAPlainCommand() {
        Fixture f;
        f.Show();
        DoAction(f.Button(App::Command::AllRead), QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(f.session->store.Item(0).IsOpened);
        for (const News::NewsItem& item : f.session->store.Items())
            QVERIFY(item.IsOpened && !item.IsNew);
    }

    // Tab from the grid walks every command, the search box and the new-headline panel (while
    // there is something new) and comes back to the grid.
    void tabReachesEverything() {
        Fixture f;
        f.Show();
        // As a cycle that found new headlines leaves it.
        f.form->WindowPorts()->SetPanelTip(App::Panel::New, QStringLiteral("新着あり！"));
        f.form->WindowPorts()->SetPanelEnabled(App::Panel::New, true);
        f.form->GridNews()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.form->GridNews()));
        QList<QWidget*> seen;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == f.form->GridNews())
                break;
            seen << now;
        }
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.form->GridNews()));
        for (QAction* action : f.form->TBar()->actions()) {
            QWidget* control = f.form->TBar()->widgetForAction(action);
            if (auto* button = qobject_cast<QToolButton*>(control))
                QVERIFY2(seen.contains(button), qPrintable(action->text()));
        }
        QVERIFY(seen.contains(f.form->ComboSearch()) ||
                seen.contains(f.form->ComboSearch()->lineEdit()));
        QWidget* panel = f.form->SBar()->panelWidget(App::Panel::New);
        QVERIFY(seen.contains(panel));

        // Space on the panel goes to the newest new headline, as a click does.
        panel->setFocus();
        QTest::keyClick(panel, Qt::Key_Space);
        const Present::GridModel& grid = f.session->table.Model();
        QCOMPARE(grid.Text(GridRow{grid.Row()}, GridCol{9}), QStringLiteral("トヨタ 決算"));
    }

    // The Menu key and Shift+F10 open the headline menu on the current row.
    void keyboardContextMenu() {
        Fixture f;
        f.Show();
        QList<QMenu*> shown;
        f.form->PopupMenuStep = [&](QMenu* menu, const QPoint&) { shown << menu; };
        GridView* view = f.form->GridNews();
        f.session->table.Model().SetCursor(GridRow{2}, GridCol{9});
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Menu);
        QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_F10); // F10 alone is not the menu
        QCOMPARE(shown, (QList<QMenu*>{f.form->Menu_Headline(), f.form->Menu_Headline()}));
        QCOMPARE(f.session->table.Model().Row(), 2);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
