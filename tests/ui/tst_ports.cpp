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

// Every picture the windows ask for by key.
const QStringList kImageKeys{
    "LAMP_ON", "LAMP_OFF", "NORMAL", "NEW_0", "NEW_1", "STATUS_NEW_0", "STATUS_NEW_1", "LOOK_NEW",
    "LOOK_OPEN", "LOOK_CLOSE", "VIP", "APP",
    // source logos
    "ARGENT", "BLOOMBERG", "DIAMOND", "TRADERS_FX", "FISCO", "IFIS", "JB_PRESS", "JIJI", "MAINICHI",
    "MORNING_STAR", "NET_MONEY", "NEWSWEEK", "NIKKEI_TRENDY", "NRI", "PRESIDENT", "REUTER",
    "RESPONSE", "SEARCHINA", "MONEY_ZINE", "CHART_BOOK", "TEIKOKU", "TOYO_KEIZAI", "WOMAN", "WSJ",
    "YEN_SPA", "TDNET",
    // tool bar and drop-down entries
    "ウィンドウシェード", "タスクトレイ", "タイマー", "リロード", "トップページ", "指標",
    "決算発表日時", "ヘルプ", "環境設定", "全て既読", "フィルタ", "検索", "ウィンドウ：フル",
    "ウィンドウ：中間", "ウィンドウ：ミニ", "バージョン情報", "ニュースをCSV出力"};

// The pieces of a main window, put together the way the real one is.
struct Window {
    ImageRegistry images{ArtworkDir()};
    QMainWindow main;
    StatusPanels* panels = new StatusPanels(&images, &main);
    QToolBar* bar = new QToolBar(&main);
    QComboBox* search = new QComboBox(bar);
    CTray tray;
    QAction* timer = bar->addAction(QStringLiteral("タイマー"));
    QAction* reload = bar->addAction(QStringLiteral("リロード"));
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
        ports.AddAction(QStringLiteral("タイマー"), timer);
        ports.AddAction(QStringLiteral("リロード"), reload);
        ports.AddButton(QStringLiteral("フィルタ"), filter);
        ports.SetGridCallbacks([this](bool v) { gridShown = v; }, [this] { return gridShown; });
    }
};

} // namespace

class TestPorts : public QObject {
    Q_OBJECT
private slots:
    void everyKeyHasArtwork_data() {
        QTest::addColumn<QString>("key");
        for (const QString& key : kImageKeys)
            QTest::newRow(qPrintable(key)) << key;
    }
    void everyKeyHasArtwork() {
        QFETCH(QString, key);
        ImageRegistry images(ArtworkDir());
        QVERIFY2(images.Contains(key), qPrintable(key));
        const QPixmap one = images.Pixmap(key, QSize(16, 16), 1.0);
        QVERIFY2(!one.isNull(), qPrintable(images.FilePath(key)));
        QCOMPARE(one.size(), QSize(16, 16));
        const QPixmap two = images.Pixmap(key, QSize(16, 16), 2.0);
        QVERIFY(!two.isNull());
        QCOMPARE(two.size(), QSize(32, 32));
        QCOMPARE(two.deviceIndependentSize(), QSizeF(16, 16));
        // Something is drawn: the picture is not blank.
        const QImage image = two.toImage();
        bool painted = false;
        for (int y = 0; y < image.height() && !painted; ++y)
            for (int x = 0; x < image.width() && !painted; ++x)
                painted = qAlpha(image.pixel(x, y)) > 0;
        QVERIFY(painted);
        QVERIFY(!images.Icon(key).isNull());
    }

    void unknownKeyIsNull_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("dir");
        QTest::newRow("unknown key") << "NO_SUCH" << ArtworkDir();
        QTest::newRow("case matters") << "lamp_on" << ArtworkDir();
        QTest::newRow("missing folder") << "LAMP_ON"
                                        << "/nonexistent/artwork";
    }
    void unknownKeyIsNull() {
        QFETCH(QString, key);
        QFETCH(QString, dir);
        ImageRegistry images(dir);
        if (images.Root() == QLatin1String(":/") && dir.startsWith(QLatin1String("/nonexistent")))
            QSKIP("artwork is compiled in; the folder is not used");
        QVERIFY(images.Pixmap(key, QSize(16, 16), 1.0).isNull());
        QVERIFY(images.Icon(key).isNull());
        QVERIFY(!images.NaturalSize(key).isValid());
    }

    void panelsByKey() {
        Window w;
        MainWindowPort& port = w.ports;
        port.SetPanelText(QStringLiteral("メッセージ"),
                          QStringLiteral("3 件の新着ニュースがあります！！"));
        port.SetPanelTip(QStringLiteral("新着"), QStringLiteral("新着あり！"));
        port.SetPanelText(QStringLiteral("ビジー：ネット"), QStringLiteral("点灯"));
        QCOMPARE(port.PanelText(QStringLiteral("メッセージ")),
                 QStringLiteral("3 件の新着ニュースがあります！！"));
        QCOMPARE(port.PanelTip(QStringLiteral("新着")), QStringLiteral("新着あり！"));
        QCOMPARE(port.PanelText(QStringLiteral("ビジー：ネット")), QStringLiteral("点灯"));
        // Keys do not share state.
        QCOMPARE(port.PanelText(QStringLiteral("新着")), QString());
        QCOMPARE(port.PanelTip(QStringLiteral("メッセージ")), QString());
        // Unknown panels are ignored, not created.
        port.SetPanelText(QStringLiteral("なし"), QStringLiteral("x"));
        QCOMPARE(port.PanelText(QStringLiteral("なし")), QString());
        QVERIFY(!w.panels->HasPanel(QStringLiteral("なし")));
        QCOMPARE(w.panels->PanelKeys(), (QStringList{"メッセージ", "新着", "ビジー：ネット"}));
    }

    void panelPictureAndEnabled_data() {
        QTest::addColumn<QString>("imageKey");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("lit lamp") << "LAMP_ON" << true;
        QTest::newRow("indicator phase 1") << "STATUS_NEW_1" << true;
        QTest::newRow("unknown picture") << "STATUS_NEW_2" << false;
        QTest::newRow("cleared") << "" << false;
    }
    void panelPictureAndEnabled() {
        QFETCH(QString, imageKey);
        QFETCH(bool, drawn);
        Window w;
        const QString key = QStringLiteral("新着");
        w.panels->setPicture(key, QStringLiteral("STATUS_NEW_0"));
        w.ports.SetPanelPicture(key, imageKey);
        QCOMPARE(w.panels->picture(key), imageKey);
        const QLabel* picture = w.panels->panelWidget(key)->findChild<QLabel*>();
        QVERIFY(picture);
        QCOMPARE(!picture->pixmap().isNull(), drawn);

        w.ports.SetPanelEnabled(key, false);
        QVERIFY(!w.panels->panelEnabled(key));
        QVERIFY(w.panels->panelEnabled(QStringLiteral("メッセージ")));
        w.ports.SetPanelEnabled(key, true);
        QVERIFY(w.panels->panelEnabled(key));
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
        w.ports.SetPanelText(QStringLiteral("ビジー：ネット"), QStringLiteral("消灯"));
        w.panels->setPanelEnabled(QStringLiteral("ビジー：ネット"), enabled);
        QSignalSpy spy(w.panels, &StatusPanels::clicked);
        QWidget* frame = w.panels->panelWidget(QStringLiteral("ビジー：ネット"));
        // On the text label: the click must reach the panel once, not once per child.
        QLabel* text = frame->findChildren<QLabel*>().last();
        QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
        QTest::mouseClick(frame, Qt::RightButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("ビジー：ネット"));
    }

    void buttonsByKey_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("checkable");
        QTest::newRow("check action") << "タイマー" << true;
        QTest::newRow("check button") << "フィルタ" << true;
        QTest::newRow("plain action") << "リロード" << false;
        QTest::newRow("search box") << "ComboSearch" << false;
    }
    void buttonsByKey() {
        QFETCH(QString, key);
        QFETCH(bool, checkable);
        Window w;
        QSignalSpy triggered(w.timer, &QAction::triggered);
        MainWindowPort& port = w.ports;
        QVERIFY(port.ButtonEnabled(key));
        port.SetButtonEnabled(key, false);
        QVERIFY(!port.ButtonEnabled(key));
        port.SetButtonEnabled(key, true);
        QVERIFY(port.ButtonEnabled(key));

        QVERIFY(!port.ButtonPressed(key));
        port.SetButtonPressed(key, true);
        QCOMPARE(port.ButtonPressed(key), checkable);
        port.SetButtonPressed(key, false);
        QVERIFY(!port.ButtonPressed(key));
        // Setting the state is not a click.
        QCOMPARE(triggered.count(), 0);
    }

    void captionTopmostAndGrid() {
        Window w;
        w.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main));
        w.ports.SetCaption(QStringLiteral("Tickerwisp - Market NEWS Viewer - Ver.1.0.0"));
        QCOMPARE(w.main.windowTitle(),
                 QStringLiteral("Tickerwisp - Market NEWS Viewer - Ver.1.0.0"));

        w.ports.SetTopmost(true);
        QVERIFY(w.ports.Topmost());
        // Brought to the front, never left above every other window.
        QVERIFY(!w.main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.main.isVisible());
        w.ports.SetTopmost(false);
        QVERIFY(!w.ports.Topmost());
        QVERIFY(w.main.isVisible());

        w.ports.HideWindow();
        QVERIFY(!w.main.isVisible());
        w.ports.SetTopmost(true);
        // A hidden window stays hidden.
        QVERIFY(!w.main.isVisible());
        w.ports.ShowWindow();
        QVERIFY(w.main.isVisible());

        w.ports.SetGridVisible(false);
        QVERIFY(!w.gridShown);
        QVERIFY(!w.ports.GridVisible());
        w.ports.SetGridVisible(true);
        QVERIFY(w.ports.GridVisible());
    }

    void trayAndSearchThroughPort() {
        Window w;
        w.search->addItem(QStringLiteral("履歴"));
        w.ports.SetSearchText(QStringLiteral("(日銀 * 利上げ) + 円安"));
        QCOMPARE(w.ports.SearchText(), QStringLiteral("(日銀 * 利上げ) + 円安"));
        QCOMPARE(w.search->count(), 1); // writing the text adds no history entry
        w.ports.SetTrayIcon(1);
        QCOMPARE(w.tray.IconIndex(), 1);
        QVERIFY(!w.tray.Icon().isNull());
        w.ports.SetTrayTip(QStringLiteral("Tickerwisp[新着あり]"));
        QCOMPARE(w.tray.ToolTipText(), QStringLiteral("Tickerwisp[新着あり]"));
        w.ports.RemoveTrayIcon();
        QVERIFY(!w.tray.Visible());
    }

    void messageBoxMapping_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("qtIcon");
        QTest::newRow("none") << int(MsgIcon::None) << int(QMessageBox::NoIcon);
        QTest::newRow("critical") << int(MsgIcon::Critical) << int(QMessageBox::Critical);
        QTest::newRow("question") << int(MsgIcon::Question) << int(QMessageBox::Question);
        QTest::newRow("exclamation") << int(MsgIcon::Exclamation) << int(QMessageBox::Warning);
        QTest::newRow("information") << int(MsgIcon::Information) << int(QMessageBox::Information);
    }
    void messageBoxMapping() {
        QFETCH(int, icon);
        QFETCH(int, qtIcon);
        QCOMPARE(int(WidgetPrompt::ToQtIcon(static_cast<MsgIcon>(icon))), qtIcon);
    }

    void messageBoxAnswers_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("answer");
        const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes,
                  no = QMessageBox::No, closed = QMessageBox::NoButton;
        QTest::newRow("ok") << int(MsgButtons::Ok) << ok << int(MsgAnswer::Ok);
        QTest::newRow("ok closed") << int(MsgButtons::Ok) << closed << int(MsgAnswer::Ok);
        QTest::newRow("okcancel cancel")
            << int(MsgButtons::OkCancel) << cancel << int(MsgAnswer::Cancel);
        QTest::newRow("okcancel closed")
            << int(MsgButtons::OkCancel) << closed << int(MsgAnswer::Cancel);
        QTest::newRow("yesno yes") << int(MsgButtons::YesNo) << yes << int(MsgAnswer::Yes);
        QTest::newRow("yesno no") << int(MsgButtons::YesNo) << no << int(MsgAnswer::No);
        QTest::newRow("yesno closed") << int(MsgButtons::YesNo) << closed << int(MsgAnswer::No);
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
        QString seenTitle, seenText;
        QMessageBox::StandardButtons seenButtons;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            seenButtons = box->standardButtons();
            box->button(QMessageBox::No)->click();
        });
        const MsgAnswer answer =
            prompt.MessageBox(QStringLiteral("保存しますか？"), QStringLiteral("確認"),
                              MsgIcon::Question, MsgButtons::YesNo);
        QCOMPARE(seenTitle, QStringLiteral("確認"));
        QCOMPARE(seenText, QStringLiteral("保存しますか？"));
        QCOMPARE(seenIcon, QMessageBox::Question);
        QCOMPARE(seenButtons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(answer, MsgAnswer::No);
    }

    void inputBox_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::newRow("accepted") << true << "7203";
        QTest::newRow("cancelled") << false << "7203";
    }
    void inputBox() {
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        WidgetPrompt prompt;
        QString seenDefault;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seenDefault = dialog->textValue();
            dialog->setTextValue(typed);
            accept ? dialog->accept() : dialog->reject();
        });
        const auto result = prompt.InputBox(QStringLiteral("銘柄コード"), QStringLiteral("掲示板"),
                                            QStringLiteral("0000"));
        QCOMPARE(seenDefault, QStringLiteral("0000"));
        QCOMPARE(result.has_value(), accept);
        if (accept)
            QCOMPARE(*result, typed);
    }

    void uiFontByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("changes");
        QTest::newRow("Label") << "LabelTitle" << true;
        QTest::newRow("bare pattern word") << "Grid" << true;
        QTest::newRow("DTPicker") << "DTPicker1" << true;
        QTest::newRow("SBar") << "SBar" << true;
        QTest::newRow("Frame") << "FrameProxy" << true;
        QTest::newRow("tool bar") << "TBar" << false;
        QTest::newRow("timer name") << "TimerTour" << false;
        QTest::newRow("lower case") << "labelTitle" << false;
        QTest::newRow("pattern not at start") << "MyLabel" << false;
        QTest::newRow("no name") << "" << false;
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
        QCOMPARE(now.pointSize(), 13);
        QVERIFY(now.bold());
        QVERIFY(now.italic());
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
        QTest::newRow("both") << QStringList{"Meiryo UI", "MeiryoKe_UIGothic"}
                              << "MeiryoKe_UIGothic";
        QTest::newRow("Meiryo UI only")
            << QStringList{"Noto Sans CJK JP", "Meiryo UI"} << "Meiryo UI";
        QTest::newRow("neither") << QStringList{"Noto Sans CJK JP", "DejaVu Sans"} << "";
        QTest::newRow("none installed") << QStringList{} << "";
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
