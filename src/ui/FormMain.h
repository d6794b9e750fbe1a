#pragma once
// The main window: tool bar, search box, headline grid, status bar and tray, the start-up
// sequence and every command of the window.

#include "app/Ports.h"
#include "app/Settings.h"
#include "news/NewsItem.h"
#include "ui/ImageRegistry.h"

#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class AboutBox;
class CTray;
class clsGrid;
class GridView;
class MainWindowPorts;
class NewsNotices;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class ArticleViewer;
class DayBrowser;
class ScreenGridPort;
class StatusPanels;
class WidgetPrompt;

namespace News {
struct CycleResult;
class NewsStore;
class Patrol;
} // namespace News
namespace Present {
class HeadlineTable;
}
namespace Program {
class Session;
struct SettingsState;
} // namespace Program

class FormMain : public QMainWindow {
    Q_OBJECT
public:
    // The window works on the session's settings, store, table and patrol. openVersionPageAtStart:
    // the version page opens once the window is up (tests of the window switch it off).
    explicit FormMain(Program::Session& session, bool openVersionPageAtStart = true,
                      QWidget* parent = nullptr);
    ~FormMain() override;

    // Commands.
    void TBar_ButtonClick(App::Command command);
    void TBar_ButtonMenuClick(App::MenuCommand command);
    void ComboSearch_Click();
    // True when the key chose a preset word.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers shift);
    void GridNews_Click();
    void GridNews_KeyDown(int key, Qt::KeyboardModifiers shift);
    // pos in the grid's viewport; true when the menu was shown.
    bool GridNews_MouseDown(Qt::MouseButton button, const QPoint& pos);
    void GridNews_MouseMove(const QPoint& pos);
    void MenuHeadline_Click(App::HeadlineCommand command);
    void PictureLogo_Click();
    void SBar_PanelClick(App::Panel panel);
    void Tray_DblClick();
    void Form_Resize();
    void ToggleWindowShade();
    void SetWindowMode(App::MenuCommand mode);

    static void AddSearchHistory(QComboBox* box, bool moveToTop);
    static constexpr int HistoryLimit = 100;

    // Steps that show a window of their own; tests replace them.
    // The save dialog: filter in the dialog's own form; folder in/out. "" when cancelled.
    std::function<QString(const QString& filter, QString& folder)> SaveFileDialogStep;
    // The options dialog, centred over the main window's frame (left and width) at the given
    // top, all in twips.
    std::function<void(int mainLeftTw, int mainWidthTw, int topTw)> OptionsDialogStep;
    // Hands an address on; desktopOnly: the desktop's browser even when BrowserPath is set.
    // Opens an address: in the article viewer (or the external browser), or with desktopOnly
    // through the desktop's handler. Tests replace it.
    std::function<bool(const QString& url, bool desktopOnly)> OpenAddressStep;
    // Help: always the viewer, to the right of the window. Tests replace it.
    std::function<bool(const QString& url)> ShowHelpStep;
    std::function<void(QMenu* menu, const QPoint& globalPos)> PopupMenuStep;
    std::function<void()> AboutStep;

    // The pieces, for the commands' callers and for tests.
    QToolBar* TBar() const { return tbar_; }
    QComboBox* ComboSearch() const { return comboSearch_; }
    GridView* GridNews() const { return gridNews_; }
    StatusPanels* SBar() const { return sbar_; }
    CTray* Tray() const { return tray_; }
    QMenu* Menu_Headline() const { return menuHeadline_; }
    QList<QAction*> MenuHeadline() const { return menuItems_; }
    QAction* Action(App::Command command) const;
    QAction* Action(App::MenuCommand command) const;
    clsGrid* GridObj() const { return gridObj_; }
    MainWindowPorts* WindowPorts() const { return ports_.get(); }
    // The desktop notifications about new headlines.
    NewsNotices* Notices() const { return notices_; }
    // Opens the headline at a store index as a click on its row does, and marks it opened.
    void OpenStoredHeadline(int storeIndex);
    News::Patrol& Patrol() const { return patrol_; }
    // Earlier days shown in the table and the search across days.
    DayBrowser* Days() const { return days_; }
    Program::Session& Session() const { return session_; }
    // "ニュース再取得" in the options dialog: the options command fetches everything anew.
    void RequestNewsReload() { reloadRequested_ = true; }
    // A close asked for while a cycle or a day's fill ran goes ahead once neither runs.
    void CloseIfPending();
    quint8 ViewerShown() const { return viewerShown_; }
    int ShadeMemory() const { return shadeMemory_; }
    QString UiFontName() const { return uiFontName_; }
    // The placement read at start-up is complete: the window's frame is known, or known to be
    // absent, and the saved outer size has been applied.
    bool PlacementSettled() const { return !frameFixPending_; }
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

signals:
    // The window has closed and saved: the program ends here and nowhere else.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildToolBar();
    // F5, Ctrl+, Ctrl+F, Ctrl+Q and Esc in the search box, shown in the tooltips.
    void InstallShortcuts();
    // Enter on a row: the row's headline opens as a click on its title does.
    void OpenCurrentRow();
    void BuildNotices();
    void Form_Load();
    void ApplyLoadedSettings();
    // The screens and their scale, for placing a window with ApplyWindowPlacement.
    Program::PlacementInput PlacementOnScreens() const;
    void SaveWindowSettings();
    bool OpenArticle(const QString& url);
    // A headline's article in the viewer, captioned with its title on one line.
    void OpenHeadlineArticle(const News::NewsItem& item);
    void CommandSearch();
    void CommandAllRead();
    void CommandOptions();
    // Today's news fetched anew; the old day stays until the new one is whole.
    void RefetchNews();
    void CommandReload();
    void CommandTray();
    void CommandExportCsv();
    void AfterCycle();
    // The empty table and the sources that failed, said once a cycle is over.
    void ShowCycleOutcome(const News::CycleResult& result);
    // A tool-bar command; its caption, icon and tip come from the table of control names.
    QAction* AddCommandAction(App::Command command, bool checkable);
    QRect FrameInTwips() const;
    // The frame of the normal (not maximised) window, which is what the settings keep.
    QRect NormalFrameInTwips() const;
    QMargins FrameMargins() const;
    void RememberNormalFrame();
    void FixFrameSize();
    void SetFrameFromTwips(int leftTw, int topTw, int widthTw, int heightTw);

    ImageRegistry images_;
    QToolBar* tbar_ = nullptr;
    QComboBox* comboSearch_ = nullptr;
    QWidget* placeholder_ = nullptr;
    QLabel* pictureLogo_ = nullptr;
    QToolButton* dropDown_ = nullptr;
    GridView* gridNews_ = nullptr;
    StatusPanels* sbar_ = nullptr;
    CTray* tray_ = nullptr;
    NewsNotices* notices_ = nullptr;
    QMenu* menuHeadline_ = nullptr;
    QList<QAction*> menuItems_;
    std::map<App::Command, QAction*> actions_;
    std::map<App::MenuCommand, QAction*> menuActions_;
    clsGrid* gridObj_ = nullptr;
    Program::Session& session_;
    Program::SettingsState& settings_;
    News::NewsStore& store_;
    Present::HeadlineTable& table_;
    News::Patrol& patrol_;
    const bool openVersionPageAtStart_;
    bool reloadRequested_ = false;
    std::unique_ptr<MainWindowPorts> ports_;
    ArticleViewer* articleViewer_ = nullptr;
    DayBrowser* days_ = nullptr;
    std::unique_ptr<WidgetPrompt> prompt_;
    std::unique_ptr<ScreenGridPort> gridPort_;

    QList<QRect> monitors_;
    QString uiFontName_;
    QString csvFolder_;
    quint8 viewerShown_ = 0;
    int shadeMemory_ = 0;
    bool opening_ = false;
    bool closePending_ = false;
    bool minimisedForTray_ = false;
    bool frameFixPending_ = false;
    QSize pendingOuterPx_;
    QTimer frameFixTimer_;
    int frameFixTries_ = 0;
    static constexpr int FrameFixTries = 50; // of 20 ms
    bool maximizeAfterFrameFix_ = false;
    std::optional<QMargins> normalFrame_;
};
