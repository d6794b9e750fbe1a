#include "news/Sources.h"
#include "ui/Accessibility.h"
#include "ui/CTray.h"
#include "ui/ControlObj.h"
#include "ui/ImageRegistry.h"
#include "ui/StatusPanels.h"
#include "ui/WindowPorts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace Ports;

namespace {

QString ArtworkDir() {
    return QStringLiteral(TW_TEST_DATA "/../../resources");
}

// Every picture the windows ask for by key, besides the source logos.
QStringList ImageKeys() {
    QStringList keys{"LAMP_ON",      "LAMP_OFF", "NORMAL",    "NEW_0",      "NEW_1", "STATUS_NEW_0",
                     "STATUS_NEW_1", "LOOK_NEW", "LOOK_OPEN", "LOOK_CLOSE", "VIP",   "APP"};
    // The tool bar's and the drop-down's, as the table of names gives them.
    for (App::Command command : App::kCommands) {
        if (command != App::Command::SearchBox)
            keys << Accessibility::Of(command).icon;
    }
    for (App::MenuCommand command : App::kMenuCommands)
        keys << Accessibility::Of(command).icon;
    return keys;
}

// The pieces of a main window, put together the way the real one is.
struct Window {
    ImageRegistry images{ArtworkDir()};
    QMainWindow main;
    StatusPanels* panels = new StatusPanels(&images, &main);
    QToolBar* bar = new QToolBar(&main);
    QComboBox* search = new QComboBox(bar);
    CTray tray;
    QAction* timer = bar->addAction(QStringLiteral("timer"));
    QAction* reload = bar->addAction(QStringLiteral("reload"));
    QToolButton* filter = new QToolButton(bar);
    bool gridShown = true;
    MainWindowPorts ports{&main, panels, &tray, search, &images};

    Window() {
        panels->AddStandardPanels();
        main.setStatusBar(panels);
        main.addToolBar(bar);
        timer->setCheckable(true);
        filter->setCheckable(true);
        bar->addWidget(filter);
        search->setEditable(true);
        bar->addWidget(search);
        ports.AddAction(App::Command::Timer, timer);
        ports.AddAction(App::Command::Reload, reload);
        ports.AddButton(App::Command::Filter, filter);
        ports.SetGridCallbacks([this](bool v) { gridShown = v; }, [this] { return gridShown; });
    }
};

} // namespace

class TestPorts : public QObject {
    Q_OBJECT
private slots:
    void everyKeyHasArtwork_data() {
        QTest::addColumn<QString>("key");
        for (const QString& key : ImageKeys() + News::SourceLogoKeys())
            QTest::newRow(qPrintable(key)) << key;
    }
    // Sharpness at higher scales is the icon test's; here every key must have a drawn picture.
    void everyKeyHasArtwork() {
        QFETCH(QString, key);
        ImageRegistry images(ArtworkDir());
        QVERIFY(!images.Icon(key).isNull());
        const QImage image = images.Pixmap(key, QSize(16, 16), 1.0).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        bool painted = false;
        for (int i = 0; i < 16 * 16 && !painted; ++i)
            painted = qAlpha(image.pixel(i % 16, i / 16)) > 0;
        QVERIFY2(painted, qPrintable(images.FilePath(key)));
    }

    void unknownKeyIsNull() {
        ImageRegistry images(ArtworkDir());
        QVERIFY(images.Pixmap("NO_SUCH", QSize(16, 16), 1.0).isNull());
        QVERIFY(images.Icon("NO_SUCH").isNull());
        QVERIFY(!images.NaturalSize("NO_SUCH").isValid());
    }

    // Panels answer by name; one the bar lacks is ignored, not created.
    void panelsByKey() {
        StatusPanels viewerBar(nullptr);
        viewerBar.AddPanel(App::Panel::Message, true);
        viewerBar.setText(App::Panel::New, "x");
        QCOMPARE(viewerBar.Panels(), (QList<App::Panel>{App::Panel::Message}));
        QVERIFY(!viewerBar.panelWidget(App::Panel::New));
        QCOMPARE(viewerBar.text(App::Panel::New), QString());

        Window w;
        QCOMPARE(w.panels->Panels(),
                 (QList<App::Panel>{App::Panel::Message, App::Panel::New, App::Panel::Net}));
        w.ports.SetPanelTip(App::Panel::New, "新着あり！");
        QCOMPARE(w.ports.PanelTip(App::Panel::Message), QString());
        const App::Panel key = App::Panel::New;
        const QLabel* picture = w.panels->panelWidget(key)->findChild<QLabel*>();
        QVERIFY(picture);
        for (const auto& [imageKey, drawn] :
             {std::pair<QString, bool>{"STATUS_NEW_1", true}, {"STATUS_NEW_2", false}}) {
            w.ports.SetPanelPicture(key, imageKey);
            QCOMPARE(!picture->pixmap().isNull(), drawn);
        }
        w.ports.SetPanelEnabled(key, false);
        QVERIFY(!w.panels->panelEnabled(key));
        QVERIFY(w.panels->panelEnabled(App::Panel::Message));
    }

    void panelClickReportsKey_data() {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("enabled") << true;
        QTest::newRow("disabled") << false;
    }
    void panelClickReportsKey() {
        QFETCH(bool, enabled);
        Window w;
        w.main.resize(400, 300);
        w.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main));
        w.ports.SetPanelText(App::Panel::Net, QStringLiteral("消灯"));
        w.panels->setPanelEnabled(App::Panel::Net, enabled);
        QSignalSpy spy(w.panels, &StatusPanels::clicked);
        QWidget* frame = w.panels->panelWidget(App::Panel::Net);
        // On the text label: the click must reach the panel once, not once per child.
        QLabel* text = frame->findChildren<QLabel*>().last();
        QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
        QTest::mouseClick(frame, Qt::RightButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<App::Panel>(), App::Panel::Net);
    }

    void buttonsByKey_data() {
        QTest::addColumn<App::Command>("key");
        QTest::addColumn<bool>("checkable");
        QTest::newRow("check action") << App::Command::Timer << true;
        QTest::newRow("check button") << App::Command::Filter << true;
        QTest::newRow("plain action") << App::Command::Reload << false;
        QTest::newRow("search box") << App::Command::SearchBox << false;
    }
    void buttonsByKey() {
        QFETCH(App::Command, key);
        QFETCH(bool, checkable);
        Window w;
        MainWindowPort& port = w.ports;
        QVERIFY(port.ButtonEnabled(key) && !port.ButtonPressed(key));
        port.SetButtonEnabled(key, false);
        port.SetButtonPressed(key, true);
        QCOMPARE(std::pair(port.ButtonEnabled(key), port.ButtonPressed(key)),
                 std::pair(false, checkable));
    }

    void topmostAndSearchText() {
        Window w;
        w.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main));
        w.ports.SetTopmost(true);
        // Brought to the front, never left above every other window.
        QVERIFY(!w.main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.main.isVisible());
        w.ports.HideWindow();
        w.ports.SetTopmost(true);
        QVERIFY(!w.main.isVisible()); // a hidden window stays hidden
        w.ports.ShowWindow();
        QVERIFY(w.main.isVisible());
        w.search->addItem(QStringLiteral("履歴"));
        w.ports.SetSearchText(QStringLiteral("日銀"));
        QCOMPARE(w.search->count(), 1); // writing the text adds no history entry
    }

    void messageBoxAnswers_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("answer");
        const int ok = QMessageBox::Ok, yes = QMessageBox::Yes, closed = QMessageBox::NoButton;
        QTest::newRow("ok closed") << int(MsgButtons::Ok) << closed << int(MsgAnswer::Ok);
        QTest::newRow("okcancel closed")
            << int(MsgButtons::OkCancel) << closed << int(MsgAnswer::Cancel);
        QTest::newRow("yesno yes") << int(MsgButtons::YesNo) << yes << int(MsgAnswer::Yes);
        QTest::newRow("yesno stray ok") << int(MsgButtons::YesNo) << ok << int(MsgAnswer::No);
        QTest::newRow("ync closed")
            << int(MsgButtons::YesNoCancel) << closed << int(MsgAnswer::Cancel);
    }
    void messageBoxAnswers() {
        QFETCH(int, buttons);
        QFETCH(int, clicked);
        QFETCH(int, answer);
        const auto set = static_cast<MsgButtons>(buttons);
        QCOMPARE(int(WidgetPrompt::ToAnswer(clicked, set)), answer);
    }

    void messageBoxShowsTitleAndButtons() {
        // Answer the modal box from inside its own event loop.
        WidgetPrompt prompt;
        QStringList seen; // title, text, icon, buttons
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() << box->text() << QString::number(box->icon())
                     << QString::number(box->standardButtons());
                box->button(QMessageBox::No)->click();
            }
        });
        QCOMPARE(prompt.MessageBox("保存しますか？", "確認", MsgIcon::Question, MsgButtons::YesNo),
                 MsgAnswer::No);
        QCOMPARE(seen,
                 (QStringList{"確認", "保存しますか？", QString::number(QMessageBox::Question),
                              QString::number(QMessageBox::Yes | QMessageBox::No)}));
    }

    void inputBox_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }
    void inputBox() {
        QFETCH(bool, accept);
        WidgetPrompt prompt;
        QString seenDefault;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                seenDefault = dialog->textValue();
                dialog->setTextValue("7203");
                accept ? dialog->accept() : dialog->reject();
            }
        });
        const auto result = prompt.InputBox("銘柄コード", "掲示板", "0000");
        QCOMPARE(seenDefault, QStringLiteral("0000"));
        QCOMPARE(result.value_or("<none>"), QString(accept ? "7203" : "<none>"));
    }

    void uiFontByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("changes");
        QTest::newRow("Label") << "LabelTitle" << true;
        QTest::newRow("bare pattern word") << "Grid" << true;
        QTest::newRow("tool bar") << "TBar" << false;
        QTest::newRow("lower case") << "labelTitle" << false;
        QTest::newRow("pattern not at start") << "MyLabel" << false;
    }
    void uiFontByName() {
        QFETCH(QString, name);
        QFETCH(bool, changes);
        QWidget window;
        auto* control = new QWidget(&window);
        control->setObjectName(name);
        QFont designed(QStringLiteral("DejaVu Serif"), 13);
        designed.setBold(true);
        designed.setItalic(true);
        control->setFont(designed);
        ControlObj::ApplyUiFont(&window, QStringLiteral("Meiryo UI"));
        const QFont now = control->font();
        QCOMPARE(now.family(), changes ? QStringLiteral("Meiryo UI") : designed.family());
        QCOMPARE(std::tuple(now.pointSize(), now.bold(), now.italic()), std::tuple(13, true, true));
    }

    void emptyUiFontChangesNothing() {
        QWidget window;
        auto* label = new QLabel(&window);
        label->setObjectName(QStringLiteral("LabelX"));
        const QFont before = label->font();
        ControlObj::ApplyUiFont(&window, QString());
        QCOMPARE(label->font(), before);
        QVERIFY(!label->testAttribute(Qt::WA_SetFont));
    }

    void chooseUiFont_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Meiryo UI only")
            << QStringList{"Noto Sans CJK JP", "Meiryo UI"} << "Meiryo UI";
        QTest::newRow("both: the narrower wins")
            << QStringList{"Meiryo UI", "MeiryoKe_UIGothic"} << "MeiryoKe_UIGothic";
        QTest::newRow("case differs") << QStringList{"meiryo ui", "MEIRYOKE_UIGOTHIC"} << "";
        QTest::newRow("prefix only") << QStringList{"Meiryo", "Meiryo UI Bold"} << "";
    }
    void chooseUiFont() {
        QFETCH(QStringList, installed);
        QFETCH(QString, chosen);
        QCOMPARE(ControlObj::ChooseUiFontName(installed), chosen);
    }
};

QTEST_MAIN(TestPorts)
#include "tst_ports.moc"
