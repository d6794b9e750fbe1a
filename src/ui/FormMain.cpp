#include "ui/FormMain.h"

#include "app/AppData.h"
#include "app/Settings.h"
#include "app/SettingsState.h"
#include "app/Trace.h"
#include "app/Version.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/CycleAnnounce.h"
#include "present/FailureReport.h"
#include "present/HeadlineSearch.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "ui/AboutBox.h"
#include "ui/Accessibility.h"
#include "ui/ArticleViewer.h"
#include "ui/CTray.h"
#include "ui/ControlObj.h"
#include "ui/FormDays.h"
#include "ui/FormGeometry.h"
#include "ui/FormOption.h"
#include "ui/GridView.h"
#include "ui/LaunchUrl.h"
#include "ui/NewsNotices.h"
#include "ui/ShellLaunch.h"
#include "ui/Shortcuts.h"
#include "ui/StatusPanels.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPorts.h"
#include "ui/clsGrid.h"
#include "web/clsWEB.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

namespace Program {}

using Present::GridCol;
using Present::GridRow;

namespace {

using App::Command;
using App::HeadlineCommand;
using App::MenuCommand;
using App::Panel;

template <typename Key> QAction* Find(const std::map<Key, QAction*>& map, Key key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}

constexpr int TitleCol = 9;
constexpr int LogoCol = 6;

int Px(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

int Tw(double pixels, double twipsPerPixel) {
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}

QScreen* PrimaryScreen() {
    return QGuiApplication::primaryScreen();
}

} // namespace

FormMain::FormMain(Program::Session& session, bool openVersionPageAtStart, QWidget* parent)
    : QMainWindow(parent), session_(session), settings_(session.settings), store_(session.store),
      table_(session.table), patrol_(session.patrol),
      openVersionPageAtStart_(openVersionPageAtStart) {
    articleViewer_ = new ArticleViewer(this, settings_, session_.viewerWeb, this);
    OpenAddressStep = [this](const QString& url, bool desktopOnly) {
        if (desktopOnly)
            return ShellLaunch::LaunchApplication_by_File(
                this, QStringLiteral("Explorer"), QStringLiteral("\"") + url + QStringLiteral("\""),
                QString(), true);
        QString message;
        const bool opened = articleViewer_->OpenArticle(url, &message);
        if (!opened && !message.isEmpty())
            ports_->SetPanelText(Panel::Message, message);
        return opened;
    };
    OptionsDialogStep = [this](int mainLeftTw, int mainWidthTw, int topTw) {
        FormOption dialog(session_, this, uiFontName_);
        dialog.SaveAll = [this] { SaveWindowSettings(); };
        dialog.ApplyGridFont = [this](const QFont& f) {
            Present::GridFont font;
            font.Name = f.family();
            font.Size = static_cast<float>(f.pointSizeF());
            font.Bold = f.bold();
            font.Italic = f.italic();
            table_.Model().SetFont(font);
        };
        dialog.PlaySound = [this](const QString& file) { ports_->PlaySound(file); };
        dialog.UseFeedReader(session_.pageWeb.Proxy);
        // The dialog is placed like the main window: kept on the screens.
        dialog.adjustSize();
        Program::PlacementInput in = PlacementOnScreens();
        // Not shown yet, the dialog has no frame: it gets the one the main window has.
        const QSize frame = dialog.size() + (frameGeometry().size() - size());
        in.width = Tw(frame.width(), in.twipsPerPixelX);
        in.height = Tw(frame.height(), in.twipsPerPixelY);
        // Centred by the dialog's own width, known only now that it is laid out.
        in.newLeft = mainLeftTw + (mainWidthTw - in.width) / 2;
        in.newTop = topTw;
        const Program::PlacementResult placed = Program::ApplyWindowPlacement(in);
        if (placed.move)
            dialog.move(qRound(placed.left / in.twipsPerPixelX),
                        qRound(placed.top / in.twipsPerPixelY));
        dialog.exec();
        if (dialog.ReloadRequested())
            RequestNewsReload();
    };
    ShowHelpStep = [this](const QString& url) {
        QString message;
        const bool shown = articleViewer_->ShowInViewer(url, 1, &message);
        if (!shown && !message.isEmpty())
            ports_->SetPanelText(Panel::Message, message);
        return shown;
    };
    SaveFileDialogStep = [this](const QString& filter, QString& folder) {
        // The dialog reads a folder that does not exist as a file name to type in.
        QFileDialog dialog(this, Accessibility::Of(MenuCommand::ExportCsv).name,
                           FormGeometry::ExistingFolder(folder), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // Added before the dialog asks about replacing a file, so it asks about the right one.
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        const QString path = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                                 ? dialog.selectedFiles().constFirst()
                                 : QString();
        if (!path.isEmpty())
            folder = QFileInfo(path).absolutePath();
        return path;
    };
    PopupMenuStep = [](QMenu* menu, const QPoint& globalPos) { menu->exec(globalPos); };
    AboutStep = [this] {
        AboutBox box(this);
        box.exec();
    };
    csvFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    frameFixTimer_.setInterval(20);
    connect(&frameFixTimer_, &QTimer::timeout, this, &FormMain::FixFrameSize);

    BuildControls();
    Form_Load();
}

FormMain::~FormMain() {
    patrol_.Stop();
    disconnect(&patrol_, nullptr, this, nullptr);
    if (&Ports::MainWindow() == ports_.get())
        Ports::SetMainWindow(nullptr);
    if (&Ports::Prompt() == prompt_.get())
        Ports::SetPrompt(nullptr);
    if (&Present::Grid() == gridPort_.get())
        Present::SetGridPort(nullptr);
}

double FormMain::TwipsPerPixelX() const {
    const QScreen* s = PrimaryScreen();
    return Program::TwipsPerPixel(s ? s->logicalDotsPerInchX() : 96.0);
}

double FormMain::TwipsPerPixelY() const {
    const QScreen* s = PrimaryScreen();
    return Program::TwipsPerPixel(s ? s->logicalDotsPerInchY() : 96.0);
}

// --- controls ---

QAction* FormMain::Action(App::Command command) const {
    return Find(actions_, command);
}

QAction* FormMain::Action(App::MenuCommand command) const {
    return Find(menuActions_, command);
}

QAction* FormMain::AddCommandAction(Command command, bool checkable) {
    const Accessibility::Names names = Accessibility::Of(command);
    QAction* action = tbar_->addAction(images_.Icon(names.icon), names.text);
    action->setData(QVariant::fromValue(command));
    action->setToolTip(names.description);
    action->setCheckable(checkable);
    actions_[command] = action;
    Accessibility::ConnectCommand(action, this, [this, command] { TBar_ButtonClick(command); });
    return action;
}

void FormMain::BuildToolBar() {
    tbar_ = new QToolBar(this);
    tbar_->setObjectName(QStringLiteral("TBar"));
    tbar_->setMovable(false);
    tbar_->setFloatable(false);
    tbar_->setIconSize(QSize(18, 18));
    tbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, tbar_);

    AddCommandAction(Command::Shade, false);
    AddCommandAction(Command::Tray, false);
    tbar_->addSeparator();
    AddCommandAction(Command::Timer, true);
    AddCommandAction(Command::Reload, false);
    tbar_->addSeparator();
    AddCommandAction(Command::TopPage, false);
    AddCommandAction(Command::Market, false);
    AddCommandAction(Command::Earnings, false);
    AddCommandAction(Command::Help, false);
    AddCommandAction(Command::Options, false);
    tbar_->addSeparator();
    AddCommandAction(Command::AllRead, false);
    AddCommandAction(Command::Filter, true);
    AddCommandAction(Command::Search, false);
    days_ = new DayBrowser(*this, session_, images_);
    days_->AddToToolBar(tbar_);

    // The drop-down button with the window sizes and the rarer commands.
    auto* menu = new QMenu(this);
    for (MenuCommand command : App::kMenuCommands) {
        if (command == MenuCommand::About)
            menu->addSeparator();
        const Accessibility::Names names = Accessibility::Of(command);
        QAction* entry = menu->addAction(images_.Icon(names.icon), names.text);
        entry->setData(QVariant::fromValue(command));
        entry->setToolTip(names.description);
        menuActions_[command] = entry;
        connect(entry, &QAction::triggered, this,
                [this, command] { TBar_ButtonMenuClick(command); });
    }
    menu->setToolTipsVisible(true);
    dropDown_ = new QToolButton(tbar_);
    dropDown_->setObjectName(QStringLiteral("ButtonMenu"));
    dropDown_->setIcon(images_.Icon(Accessibility::Of(MenuCommand::WindowMiddle).icon));
    dropDown_->setPopupMode(QToolButton::InstantPopup);
    dropDown_->setMenu(menu);
    tbar_->addWidget(dropDown_);

    // An empty slot that marks where the search box begins.
    placeholder_ = new QWidget(tbar_);
    placeholder_->setObjectName(QStringLiteral("プレイスホルダー"));
    placeholder_->setFixedWidth(4);
    tbar_->addWidget(placeholder_);

    // The box starts 6 pixels right of the slot and ends 4 pixels short of the window's edge.
    auto* searchHost = new QWidget(tbar_);
    auto* searchLayout = new QHBoxLayout(searchHost);
    searchLayout->setContentsMargins(6, 0, 4, 0);
    searchLayout->setSpacing(4);
    comboSearch_ = new QComboBox(searchHost);
    comboSearch_->setObjectName(QStringLiteral("ComboSearch"));
    comboSearch_->setEditable(true);
    comboSearch_->setInsertPolicy(QComboBox::NoInsert);
    comboSearch_->setMinimumWidth(1);
    comboSearch_->setMinimumContentsLength(4);
    comboSearch_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    comboSearch_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Accessibility::Name(comboSearch_, Command::SearchBox);
    Accessibility::Name(comboSearch_->lineEdit(), Command::SearchBox);
    Accessibility::Name(comboSearch_->view(), QStringLiteral("ComboSearchList"),
                        Accessibility::Tip::None);
    connect(comboSearch_, &QComboBox::activated, this, [this](int) { ComboSearch_Click(); });
    // The box keeps the keyboard focus and hands keys to its line edit directly, past any event
    // filter on the edit: Enter is caught where the edit itself reports it.
    connect(comboSearch_->lineEdit(), &QLineEdit::returnPressed, this,
            &FormMain::ComboSearch_Click);
    searchLayout->addWidget(comboSearch_, 1);

    pictureLogo_ = new QLabel(searchHost);
    pictureLogo_->setObjectName(QStringLiteral("PictureLogo"));
    pictureLogo_->setPixmap(images_.Pixmap(QStringLiteral("APP"), QSize(20, 20)));
    Accessibility::Name(pictureLogo_, QStringLiteral("PictureLogo"));
    pictureLogo_->setCursor(Qt::PointingHandCursor);
    pictureLogo_->installEventFilter(this);
    searchLayout->addWidget(pictureLogo_);

    searchHost->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    tbar_->addWidget(searchHost);
    Accessibility::PrepareToolBar(tbar_);
}

void FormMain::BuildControls() {
    setObjectName(QStringLiteral("FormMain"));
    BuildToolBar();

    gridNews_ = new GridView(this);
    gridNews_->setObjectName(QStringLiteral("GridNews"));
    gridNews_->SetGridModel(&table_.Model());
    gridNews_->SetImageProvider([this](const QString& key) { return images_.Pixmap(key); });
    // The grid may shrink to nothing, so the window can be shaded down to its tool bar.
    gridNews_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    gridNews_->setMouseTracking(true);
    gridNews_->viewport()->installEventFilter(this);
    gridNews_->installEventFilter(this);
    Accessibility::Name(gridNews_, QStringLiteral("GridNews"), Accessibility::Tip::None);
    gridNews_->SetEmptyHint(QStringLiteral("リロード で今日のニュースを取得します"));
    Accessibility::ForwardKeyboardContextMenu(
        gridNews_, [this](const QPoint& pos) { GridNews_MouseDown(Qt::RightButton, pos); });
    setCentralWidget(gridNews_);

    gridObj_ = new clsGrid(this);
    gridObj_->SetObject(gridNews_);
    // After clsGrid has seen the key.
    connect(gridNews_, &GridView::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers shift) { GridNews_KeyDown(key, shift); });

    sbar_ = new StatusPanels(&images_, this);
    sbar_->setObjectName(QStringLiteral("SBar"));
    Accessibility::Name(sbar_, QStringLiteral("SBar"));
    sbar_->AddStandardPanels();
    setStatusBar(sbar_);
    days_->AddToStatusBar(sbar_);
    connect(sbar_, &StatusPanels::clicked, this, &FormMain::SBar_PanelClick);

    menuHeadline_ = new QMenu(QStringLiteral("ヘッドライン"), this);
    menuHeadline_->setObjectName(QStringLiteral("Menu_Headline"));
    for (HeadlineCommand command : App::kHeadlineCommands) {
        if (command == HeadlineCommand::GoogleSearch)
            menuItems_ << menuHeadline_->addSeparator();
        QAction* entry = menuHeadline_->addAction(Accessibility::Of(command).text);
        entry->setData(QVariant::fromValue(command));
        connect(entry, &QAction::triggered, this, [this, command] { MenuHeadline_Click(command); });
        menuItems_ << entry;
    }
    menuHeadline_->setDefaultAction(menuItems_[0]);

    // Preset words on Alt keys, whichever control has the focus.
    for (int key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6, Qt::Key_7,
                    Qt::Key_8, Qt::Key_9, Qt::Key_0, Qt::Key_Q, Qt::Key_W, Qt::Key_E}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, key] { Form_KeyDown(key, Qt::AltModifier); });
    }

    InstallShortcuts();

    tray_ = new CTray(this);
    connect(tray_, &CTray::DblClick, this, &FormMain::Tray_DblClick);
    tray_->SetMenu(new TrayMenu(
        Action(Command::Timer), Action(Command::Reload),
        [this] {
            if (tray_->Visible() || minimisedForTray_ || !isVisible())
                Tray_DblClick();
            else
                ports_->ShowWindow();
            raise();
            activateWindow();
        },
        [this] { close(); }, this));

    ports_ = std::make_unique<MainWindowPorts>(this, sbar_, tray_, comboSearch_, &images_);
    for (const auto& [command, action] : actions_)
        ports_->AddAction(command, action);
    ports_->SetGridCallbacks([this](bool visible) { gridNews_->setVisible(visible); },
                             [this] { return !gridNews_->isHidden(); });
    prompt_ = std::make_unique<WidgetPrompt>(this);
    gridPort_ = std::make_unique<ScreenGridPort>();
    Ports::SetMainWindow(ports_.get());
    Ports::SetPrompt(prompt_.get());
    Present::SetGridPort(gridPort_.get());

    BuildNotices();

    // The cycle reports; this window decides what the user sees and hears of it.
    connect(&patrol_, &News::Patrol::CycleReported, this, [this](const News::CycleResult& result) {
        Present::AnnounceCycle(result, table_, settings_);
        notices_->OnCycle(result);
    });
    connect(&patrol_, &News::Patrol::CycleFinished, this, [this](const News::CycleResult& result) {
        ShowCycleOutcome(result);
        AfterCycle();
    });
}

void FormMain::InstallShortcuts() {
    // The commands' own keys: a command that is locked (greyed) does not run by its key either.
    const std::pair<Command, QKeySequence> commandKeys[] = {
        {Command::Reload, Shortcuts::Reload()}, {Command::Options, Shortcuts::Options()}};
    for (const auto& [command, key] : commandKeys) {
        QAction* action = Action(command);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        const QString keys = Shortcuts::KeyText(key);
        action->setToolTip(Shortcuts::WithKey(action->toolTip(), keys));
        if (QWidget* button = tbar_->widgetForAction(action))
            Shortcuts::AddKeysToTip(button, keys);
    }

    auto* focusSearch = new QShortcut(Shortcuts::FocusSearch(), this);
    focusSearch->setContext(Qt::WindowShortcut);
    connect(focusSearch, &QShortcut::activated, this, [this] {
        comboSearch_->setFocus(Qt::ShortcutFocusReason);
        comboSearch_->lineEdit()->selectAll();
    });
    auto* clearSearch = new QShortcut(Shortcuts::ClearSearch(), comboSearch_);
    clearSearch->setContext(Qt::WidgetWithChildrenShortcut);
    connect(clearSearch, &QShortcut::activated, this, [this] {
        // With the history open, Esc only closes it.
        if (comboSearch_->view()->isVisible())
            comboSearch_->hidePopup();
        else
            comboSearch_->setEditText(QString());
    });
    const QString searchKeys = Shortcuts::KeyText(Shortcuts::FocusSearch()) + QStringLiteral("、") +
                               Shortcuts::KeyText(Shortcuts::ClearSearch()) +
                               QStringLiteral(" で消去");
    Shortcuts::AddKeysToTip(comboSearch_, searchKeys);
    Shortcuts::AddKeysToTip(comboSearch_->lineEdit(), searchKeys);

    // Ends the program as the close box does, with the same saving.
    auto* quit = new QShortcut(Shortcuts::Quit(), this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
}

// --- start-up ---

void FormMain::Form_Load() {
#ifndef TW_TRACE_ON
    session_.trace.Enabled = false;
#endif
    // This window's start is the program's start.
    patrol_.Reset();

    Common::EnsureDataFolder();
    QFile::remove(Common::AppDataFolder() + QStringLiteral("/Debug.LOG"));
    Common::TraceLine(QStringLiteral("OS Version : ") + QSysInfo::prettyProductName());

    uiFontName_ = ControlObj::ChooseUiFontName(QFontDatabase::families());
    ControlObj::ApplyUiFont(this, uiFontName_);

    monitors_.clear();
    for (const QScreen* screen : QGuiApplication::screens())
        monitors_ << screen->geometry();

    Program::LoadSettings(settings_);
    ApplyLoadedSettings();
    News::RemoveOldDayFiles(News::DataFolder(), Ports::Clock().Today(), settings_.KeepDays);

    store_.Clear();
    table_.Init();
    patrol_.Arm();
    News::UpdateTitle(store_);

    News::ResetNewIndicator();
    News::SetNetLamp(false);

    // Today's stored headlines, without a download.
    ShowCycleOutcome(patrol_.RunCycle(News::CycleMode::StartUp));
    viewerShown_ = 1;
    articleViewer_->SetUiFontName(uiFontName_);
    // The version page greets a new version once, unless the user asked for it at every start.
    const QString version = Program::FullVersionText();
    if (openVersionPageAtStart_ &&
        (settings_.ShowVersionAtStart || settings_.LastVersion != version)) {
        // Kept when the window closes and saves the settings.
        settings_.LastVersion = version;
        // From the event loop, once the window is up: the browser engine takes a moment to
        // start, and the headlines should not wait for it.
        QTimer::singleShot(0, this, [this] {
            const QString versionPage = Launch::TopPageAddress(settings_);
            if (!versionPage.isEmpty())
                OpenArticle(versionPage);
        });
    }
}

Program::PlacementInput FormMain::PlacementOnScreens() const {
    const QScreen* screen = PrimaryScreen();
    const QSize screenPx = screen ? screen->geometry().size() : QSize(1024, 768);
    Program::PlacementInput in;
    in.monitors = monitors_;
    in.screenWidthPx = screenPx.width();
    in.screenHeightPx = screenPx.height();
    in.twipsPerPixelX = TwipsPerPixelX();
    in.twipsPerPixelY = TwipsPerPixelY();
    return in;
}

void FormMain::ApplyLoadedSettings() {
    const Program::SettingsState& s = settings_;
    Program::PlacementInput in = PlacementOnScreens();
    const Program::FormMainValues values = Program::FormMainWithDefaults(
        s, in.screenWidthPx, in.screenHeightPx, in.twipsPerPixelX, in.twipsPerPixelY);
    in.state = isMaximized()   ? Program::WindowState::Maximized
               : isMinimized() ? Program::WindowState::Minimized
                               : Program::WindowState::Normal;
    const QRect frame = FrameInTwips();
    in.left = frame.x();
    in.top = frame.y();
    in.width = frame.width();
    in.height = frame.height();
    in.newLeft = values.left;
    in.newTop = values.top;
    in.newWidth = values.width;
    in.newHeight = values.height;
    const Program::PlacementResult placed = Program::ApplyWindowPlacement(in);
    if (placed.move)
        SetFrameFromTwips(placed.left, placed.top, placed.width, placed.height);
    if (placed.maximize || s.FormMaximized) {
        // Shown normal first, so that the window manager learns the size it restores to, and
        // maximised once the frame is known.
        if (frameFixPending_)
            maximizeAfterFrameFix_ = true;
        else
            setWindowState(windowState() | Qt::WindowMaximized);
    }

    Present::GridFont font;
    font.Name = s.FontName;
    font.Size = s.FontSize;
    font.Bold = s.FontBold;
    font.Italic = s.FontItalic;
    table_.Model().SetFont(font);

    clsWEB& viewer = session_.viewerWeb;
    viewer.Proxy = s.ProxyUse ? s.ProxyAddress + QStringLiteral(":") + s.ProxyPort : QString();
    session_.pageWeb.Proxy = viewer.Proxy;

    comboSearch_->clear();
    if (const auto history = Program::LoadSearchHistory(QString(), false)) {
        comboSearch_->addItems(history->items);
        const int selected = Program::SelectedHistoryIndex(*history);
        if (selected >= 0)
            comboSearch_->setCurrentIndex(selected);
        comboSearch_->setEditText(history->current);
        comboSearch_->lineEdit()->selectAll();
    }
}

QRect FormMain::FrameInTwips() const {
    const QRect f = frameGeometry();
    const double tppX = TwipsPerPixelX(), tppY = TwipsPerPixelY();
    return QRect(Tw(f.x(), tppX), Tw(f.y(), tppY), Tw(f.width(), tppX), Tw(f.height(), tppY));
}

QRect FormMain::NormalFrameInTwips() const {
    if (!isMaximized() && !isMinimized() && !isFullScreen())
        return FrameInTwips();
    // The size it restores to, with the frame it had in that state (a maximised window often
    // loses its borders).
    const QRect normal = normalGeometry();
    if (!normal.isValid())
        return FrameInTwips();
    const QMargins frame = normalFrame_.value_or(FrameMargins());
    const QRect f = normal.marginsAdded(frame);
    const double tppX = TwipsPerPixelX(), tppY = TwipsPerPixelY();
    return QRect(Tw(f.x(), tppX), Tw(f.y(), tppY), Tw(f.width(), tppX), Tw(f.height(), tppY));
}

QMargins FormMain::FrameMargins() const {
    const QRect f = frameGeometry(), g = geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

void FormMain::SetFrameFromTwips(int leftTw, int topTw, int widthTw, int heightTw) {
    const double tppX = TwipsPerPixelX(), tppY = TwipsPerPixelY();
    const QSize outer(Px(widthTw, tppX), Px(heightTw, tppY));
    // The frame's own size is known only once the window is on the screen; until then it is
    // taken as none and corrected after the first show.
    const QSize extra = frameGeometry().size() - size();
    move(Px(leftTw, tppX), Px(topTw, tppY));
    resize(std::max(1, outer.width() - extra.width()),
           std::max(1, outer.height() - extra.height()));
    if (!isVisible()) {
        pendingOuterPx_ = outer;
        frameFixPending_ = true;
    }
}

void FormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!frameFixPending_ || frameFixTimer_.isActive())
        return;
    // A window manager adds its frame some time after the window is mapped; until then the
    // outer size cannot be told apart from the inner one.
    frameFixTries_ = 0;
    frameFixTimer_.start();
}

void FormMain::FixFrameSize() {
    const QMargins frame = FrameMargins();
    const bool known = !frame.isNull();
    if (!known && ++frameFixTries_ < FrameFixTries)
        return;
    frameFixTimer_.stop();
    // Without any frame (no window manager) the inner size is the outer one.
    if (known && (isMaximized() || isMinimized()))
        return; // done when the window is restored (changeEvent)
    frameFixPending_ = false;
    if (known && pendingOuterPx_.isValid())
        resize(std::max(1, pendingOuterPx_.width() - frame.left() - frame.right()),
               std::max(1, pendingOuterPx_.height() - frame.top() - frame.bottom()));
    if (maximizeAfterFrameFix_) {
        maximizeAfterFrameFix_ = false;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

// --- dispatch ---

void FormMain::TBar_ButtonClick(Command command) {
    switch (command) {
    case Command::Shade:
        if (!isMaximized())
            ToggleWindowShade();
        break;
    case Command::Tray:
        CommandTray();
        break;
    case Command::Timer:
        if (ports_->ButtonPressed(Command::Timer))
            patrol_.TimerButtonPressed();
        else
            patrol_.TimerButtonReleased();
        AfterCycle();
        break;
    case Command::Reload:
        CommandReload();
        break;
    case Command::TopPage:
        OpenArticle(Launch::TopPageAddress(settings_));
        viewerShown_ = 1;
        break;
    case Command::Market:
        OpenArticle(Launch::MarketAddress(settings_));
        viewerShown_ = 1;
        break;
    case Command::Earnings:
        OpenAddressStep(Launch::EarningsScheduleAddress(), true);
        break;
    case Command::Help:
        ShowHelpStep(Launch::HelpAddress(settings_));
        viewerShown_ = 1;
        break;
    case Command::Options:
        CommandOptions();
        break;
    case Command::AllRead:
        CommandAllRead();
        break;
    case Command::Filter:
        table_.Fill();
        break;
    case Command::Search:
        CommandSearch();
        break;
    case Command::SearchBox:
        // Not a button: the box searches through ComboSearch_Click.
        break;
    }
}

void FormMain::TBar_ButtonMenuClick(MenuCommand command) {
    switch (command) {
    case MenuCommand::WindowFull:
    case MenuCommand::WindowMiddle:
    case MenuCommand::WindowMini:
        SetWindowMode(command);
        break;
    case MenuCommand::About:
        AboutStep();
        break;
    case MenuCommand::ExportCsv:
        CommandExportCsv();
        break;
    }
}

void FormMain::ComboSearch_Click() {
    TBar_ButtonClick(Command::Search);
}

bool FormMain::Form_KeyDown(int key, Qt::KeyboardModifiers shift) {
    const int preset = FormGeometry::PresetIndexForKey(key, shift);
    if (preset < 0)
        return false;
    ports_->SetSearchText(settings_.SearchWords.value(preset));
    return true;
}

bool FormMain::OpenArticle(const QString& url) {
    return OpenAddressStep(url, false);
}

// --- commands ---

void FormMain::AddSearchHistory(QComboBox* box, bool moveToTop) {
    const QString text = box->currentText();
    if (text.isEmpty())
        return;
    if (moveToTop) {
        const int at = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (at >= 0)
            box->removeItem(at);
    }
    box->insertItem(0, text);
    while (box->count() >= HistoryLimit)
        box->removeItem(box->count() - 1);
    // Removing the current entry may have changed the text.
    box->setCurrentIndex(0);
    box->setEditText(text);
}

void FormMain::CommandSearch() {
    AddSearchHistory(comboSearch_, true);
    const News::NewsStore& store = table_.ShownStore();
    if (!store.HasNewsItems()) {
        table_.Fill();
        return;
    }
    if (!ports_->GridVisible())
        return;
    // By the table's own indices: during a cycle the store may hold more than the rows show.
    table_.Search(0, 1, true, true);
    const int hit = table_.Search(table_.UBound(), -1, false, true);
    if (hit < 0)
        return;
    Present::GridModel& grid = table_.Model();
    grid.SetCursor(GridRow{FormGeometry::RowOfStoreIndex(table_.UBound(), hit)},
                   GridCol{grid.Col()});
    if (ports_->ButtonPressed(Command::Filter))
        table_.Fill();
}

void FormMain::CommandAllRead() {
    News::NewsStore& store = store_;
    if (!store.HasNewsItems())
        return;
    // An earlier day is shown as it was kept.
    if (table_.ShowsOtherStore()) {
        ports_->SetPanelText(Panel::Message,
                             QStringLiteral("過去の日付の表示中は既読にできません。"));
        return;
    }
    Present::GridModel& grid = table_.Model();
    for (int i = 0; i < store.Count() && i + 1 <= grid.Rows() - 1; ++i) {
        News::NewsItem& item = store.MutableItem(i);
        item.IsOpened = true;
        item.IsNew = false;
        grid.SetText(GridRow{i + 1}, GridCol{5}, QString());
    }
    table_.Fill();
    News::SaveDayFile(store_);
}

void FormMain::CommandOptions() {
    patrol_.ReleaseTimerButton();
    const QString vipBefore = Program::ReadIni(QStringLiteral("OPTION"), QStringLiteral("DISP VIP"),
                                               QStringLiteral("TRUE"));
    reloadRequested_ = false;

    // Centred over the window, 80 pixels below its top; the dialog keeps itself on the screen.
    const QRect frame = FrameInTwips();
    const int topTw = frame.y() + Tw(80, TwipsPerPixelY());
    const QList<Program::FeedSource> feedsBefore = settings_.Feeds;
    if (OptionsDialogStep)
        OptionsDialogStep(frame.x(), frame.width(), topTw);

    // A renamed feed's headlines of today take its new name, in the table and in the day file.
    if (News::RenameFeedHeadlines(store_, feedsBefore, settings_.Feeds) > 0)
        News::SaveDayFile(store_);
    table_.Fill();
    Form_Resize();

    const QString vipAfter = Program::ReadIni(QStringLiteral("OPTION"), QStringLiteral("DISP VIP"),
                                              QStringLiteral("TRUE"));
    // Compared as the values they stand for: "TRUE" and "True" are the same setting.
    const bool vipChanged =
        Program::ParseBool(vipBefore).value_or(true) != Program::ParseBool(vipAfter).value_or(true);
    if (vipChanged || reloadRequested_)
        RefetchNews();
}

// Why a re-fetch left the old day in place.
static QString RefetchKeptText(const News::CycleResult& result) {
    const QString kept = QStringLiteral("以前のニュースをそのまま表示しています。");
    if (!result.failed.isEmpty())
        return QStringLiteral("ニュースを取得し直せませんでした（") +
               QString::number(result.failed.size()) + QStringLiteral(" 件の取得に失敗）。") + kept;
    return QStringLiteral("取得できたニュースがありませんでした。") + kept;
}

void FormMain::RefetchNews() {
    setEnabled(false);
    ports_->SetGridVisible(false);
    const News::CycleResult result = patrol_.Refetch();
    setEnabled(true);
    News::UpdateTitle(store_);
    if (result.refetchKeptOld) {
        // The old table was not rebuilt; it only has to come back.
        ports_->SetGridVisible(true);
        ports_->SetPanelText(Panel::Message, RefetchKeptText(result));
        ports_->SetPanelTip(Panel::Message, Present::ReportFailures(result).tip);
    } else {
        ShowCycleOutcome(result);
    }
    AfterCycle();
}

void FormMain::CommandReload() {
    const News::CycleResult result = patrol_.RunCycle(News::CycleMode::Download);
    const bool grew = result.grew;
    News::UpdateTitle(store_);
    const News::NewsStore& store = store_;
    if (grew) {
        ports_->SetPanelText(Panel::Message, QString());
    } else if (store.HasNewsItems()) {
        ports_->SetPanelText(Panel::Message,
                             Common::Trim(Dates::DateTimeText(store.Item(0).Posted)) +
                                 QStringLiteral(" 以降、更新はありませんでした。"));
    }
    ShowCycleOutcome(result);
    AfterCycle();
}

void FormMain::CommandTray() {
    if (ports_->PanelTip(Panel::New) == News::NoNewsTip) {
        ports_->SetTrayIcon(0);
        ports_->SetTrayTip(QStringLiteral("Tickerwisp[巡回中]"));
    } else {
        ports_->SetTrayIcon(1);
        ports_->SetTrayTip(QStringLiteral("Tickerwisp[新着あり]"));
    }
    if (CTray::TrayAvailable() && tray_->AddIcon(this)) {
        hide();
    } else {
        // No notification area: minimise, and let the restore do what the tray's click does.
        minimisedForTray_ = true;
        showMinimized();
    }
}

void FormMain::CommandExportCsv() {
    QString path = SaveFileDialogStep(QStringLiteral("CSVファイル (*.csv)"), csvFolder_);
    if (path.isEmpty())
        return;
    // A name typed without an extension is meant as a CSV file.
    if (QFileInfo(path).suffix().isEmpty())
        path += path.endsWith(QLatin1Char('.')) ? QStringLiteral("csv") : QStringLiteral(".csv");
    const News::NewsStore& shown = table_.ShownStore();
    if (News::ExportCsv(shown, path)) {
        Ports::Prompt().MessageBox(path + QStringLiteral(" にニュースデータを出力しました。"),
                                   QString(), Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
    } else if (!shown.HasNewsItems()) {
        Ports::Prompt().MessageBox(QStringLiteral("ニュースが一つもないので出力できません。"),
                                   QString(), Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
    } else {
        Ports::Prompt().MessageBox(path + QStringLiteral(" に書き込めませんでした。"), QString(),
                                   Ports::MsgIcon::Exclamation, Ports::MsgButtons::Ok);
    }
}

void FormMain::ShowCycleOutcome(const News::CycleResult& result) {
    if (!result.ran)
        return;
    // With nothing to show, the table still shows its headers and the hint.
    if (!store_.HasNewsItems())
        ports_->SetGridVisible(true);
    const Present::FailureReport report = Present::ReportFailures(result);
    ports_->SetPanelTip(Panel::Message, report.tip);
    if (report.text.isEmpty())
        return;
    // After what the cycle said (new headlines, or none since when), the reason it may be so.
    const QString said = ports_->PanelText(Panel::Message);
    ports_->SetPanelText(Panel::Message,
                         said.isEmpty() ? report.text : said + QStringLiteral("　") + report.text);
}

void FormMain::AfterCycle() {
    CloseIfPending();
}

void FormMain::CloseIfPending() {
    if (closePending_ && !patrol_.CycleRunning() && !(days_ && days_->Filling()))
        QTimer::singleShot(0, this, &QWidget::close);
}

void FormMain::OpenHeadlineArticle(const News::NewsItem& item) {
    OpenArticle(item.Url);
    articleViewer_->SetCaption(Common::ReplaceList(item.Title, QStringLiteral("\r,\n"),
                                                   QStringLiteral(","), QStringLiteral(",")));
    viewerShown_ = 1;
    Form_Resize();
}

// --- grid ---

void FormMain::GridNews_Click() {
    if (opening_)
        return;
    opening_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{opening_};

    // A short wait before opening, pumped so the window keeps drawing.
    Common::Pause(500, false, true);
    Present::GridModel& grid = table_.Model();
    const News::NewsStore& store = table_.ShownStore();
    if (grid.Col() != TitleCol || !store.HasNewsItems())
        return;
    const int row = grid.Row();
    ports_->SetClipboardText(grid.Text(GridRow{row}, GridCol{grid.Col()}));
    // The headline the row shows, even when pages have merged into the store since the table
    // was built.
    const int index = table_.StoreIndexOfRow(row);
    if (index < 0 || index > store.UBound())
        return;
    const News::NewsItem item = store.Item(index);
    if (item.Url.isEmpty()) {
        Ports::Prompt().MessageBox(
            QStringLiteral(
                "Yahoo!ファイナンスVIP倶楽部専用ニュースは、登録しないと閲覧できません。"),
            QString(), Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
        return;
    }
    OpenHeadlineArticle(item);
    // The open may have let a merge run: find the headline again before marking it.
    const int opened = table_.StoreIndexOfRow(row);
    if (opened >= 0 && table_.ShowsOtherStore())
        days_->MarkOpened(opened);
    else if (opened >= 0)
        News::MarkOpened(store_, opened);
    table_.MarkOpenedPicture(row);
    // The keyboard stays in the list, so the keys walk on through the headlines.
    if (isVisible() && !isActiveWindow())
        activateWindow();
    gridNews_->setFocus();
}

void FormMain::GridNews_KeyDown(int key, Qt::KeyboardModifiers shift) {
    // clsGrid has already had the key (Shift+Enter moves a row up there).
    if (key == Qt::Key_Space)
        GridNews_Click();
    else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == Qt::NoModifier)
        OpenCurrentRow();
}

void FormMain::OpenCurrentRow() {
    // The row's headline, whichever of its cells the cursor is on.
    Present::GridModel& grid = table_.Model();
    if (grid.Row() < 1)
        return;
    grid.SetCursor(GridRow{grid.Row()}, GridCol{TitleCol});
    GridNews_Click();
}

bool FormMain::GridNews_MouseDown(Qt::MouseButton button, const QPoint& pos) {
    if (button != Qt::RightButton)
        return false;
    const QModelIndex index = gridNews_->indexAt(pos);
    if (!index.isValid())
        return false;
    Present::GridModel& grid = table_.Model();
    const int row = gridNews_->ModelRow(index.row());
    grid.SetCursor(GridRow{row}, GridCol{1});
    grid.SetSelection(GridRow{row}, GridCol{grid.Cols() - 1});
    const bool web = !grid.Text(GridRow{row}, GridCol{7}).isEmpty();
    menuItems_[1]->setVisible(web);
    menuItems_[2]->setVisible(web);
    PopupMenuStep(menuHeadline_, gridNews_->viewport()->mapToGlobal(pos));
    return true;
}

void FormMain::GridNews_MouseMove(const QPoint& pos) {
    const Present::GridModel& grid = table_.Model();
    const int viewRow = gridNews_->rowAt(pos.y());
    const int row = viewRow < 0 ? -1 : gridNews_->ModelRow(viewRow);
    QString tip =
        row < 1 || row >= grid.Rows() ? QString() : grid.Text(GridRow{row}, GridCol{TitleCol});
    // Over a feed's picture: the feed's name.
    if (!tip.isEmpty() && gridNews_->columnAt(pos.x()) == LogoCol) {
        const int index = table_.StoreIndexOfRow(row);
        const News::NewsStore& shown = table_.ShownStore();
        if (index >= 0 && !shown.Item(index).Reserved2.isEmpty())
            tip = shown.Item(index).Source;
    }
    if (gridNews_->viewport()->toolTip() != tip)
        gridNews_->viewport()->setToolTip(tip);
}

void FormMain::MenuHeadline_Click(HeadlineCommand command) {
    Present::GridModel& grid = table_.Model();
    switch (command) {
    case HeadlineCommand::ReadArticle:
        grid.SetCursor(GridRow{grid.Row()}, GridCol{TitleCol});
        GridNews_Click();
        break;
    case HeadlineCommand::GoogleSearch: {
        const News::NewsStore& store = table_.ShownStore();
        const int storeIndex = table_.StoreIndexOfRow(grid.Row());
        if (storeIndex < 0 || storeIndex > store.UBound())
            return;
        OpenArticle(Launch::GoogleSearchAddress(store.Item(storeIndex).Category));
        viewerShown_ = 1;
        break;
    }
    }
}

void FormMain::PictureLogo_Click() {
    AboutStep();
}

// --- status bar, tray, layout ---

void FormMain::SBar_PanelClick(Panel panel) {
    const News::NewsStore& store = store_;
    if (panel != Panel::New || !store.HasNewsItems())
        return;
    // The new headlines are today's.
    if (table_.ShowsOtherStore())
        days_->ReturnToToday();
    int first = -1;
    for (int i = 0; i < store.Count(); ++i) {
        if (store.Item(i).IsNew) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return;
    Present::GridModel& grid = table_.Model();
    const int row = std::min(FormGeometry::RowOfStoreIndex(store.UBound(), first), grid.Rows() - 1);
    grid.SetCursor(GridRow{row}, GridCol{TitleCol});
    if (row < grid.TopRow() || row > gridObj_->BottomRow())
        grid.SetTopRow(row);
    gridNews_->setFocus();
    News::ResetNewIndicator();
}

void FormMain::Tray_DblClick() {
    tray_->DeleteIcon();
    minimisedForTray_ = false;
    ports_->ShowWindow();
    Form_Resize();
}

void FormMain::Form_Resize() {
    // The tool bar, the search box and the grid are placed by the window's layout. Shaded down
    // to its tool bar, the window shows no status bar.
    sbar_->setVisible(height() > tbar_->height());
    // Until start-up has finished, a layout pass closes the viewer.
    if (viewerShown_ == 0)
        articleViewer_->CloseViewer();
    Present::GridModel& grid = table_.Model();
    if (grid.Cols() <= TitleCol)
        return;
    int left = 0;
    for (int c = 0; c < TitleCol; ++c)
        left += gridNews_->horizontalHeader()->isSectionHidden(c) ? 0 : gridNews_->columnWidth(c);
    const int width = FormGeometry::TitleColumnWidth(gridNews_->width(), left);
    if (grid.ColWidth(TitleCol) != width)
        grid.SetColWidth(TitleCol, width);
}

void FormMain::ToggleWindowShade() {
    const double tppY = TwipsPerPixelY();
    const int frameExtra = frameGeometry().height() - height();
    const auto target =
        FormGeometry::ShadeHeight(isMaximized(), tbar_->height(), height(),
                                  Tw(frameGeometry().height(), tppY), tppY, shadeMemory_);
    if (!target)
        return;
    if (height() != tbar_->height()) {
        // Without the status bar the window may shrink to its tool bar.
        sbar_->hide();
        if (layout())
            layout()->activate();
    }
    resize(width(), std::max(1, Px(*target, tppY) - frameExtra));
    Form_Resize();
}

void FormMain::SetWindowMode(MenuCommand mode) {
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    const QScreen* screen = PrimaryScreen();
    if (!screen)
        return;
    const double tppX = TwipsPerPixelX(), tppY = TwipsPerPixelY();
    const auto rect = FormGeometry::WindowModeRect(mode, screen->geometry().width() * tppX,
                                                   screen->geometry().height() * tppY);
    if (!rect)
        return;
    SetFrameFromTwips(rect->left, rect->top, rect->width, rect->height);
    Form_Resize();
}

// --- events ---

void FormMain::SaveWindowSettings() {
    const QRect frame = NormalFrameInTwips();
    Program::FormGeometry form;
    form.left = frame.x();
    form.top = frame.y();
    form.width = frame.width();
    form.height = frame.height();
    form.collapsedToToolBar = height() == tbar_->height();
    form.fullHeight = shadeMemory_;
    form.maximized = isMaximized();
    Program::SearchHistory history;
    history.current = comboSearch_->currentText();
    for (int i = 0; i < comboSearch_->count(); ++i)
        history.items << comboSearch_->itemText(i);
    Program::SaveSettings(settings_, form, &history);
}

void FormMain::closeEvent(QCloseEvent* event) {
    const bool filling = days_ && days_->Filling();
    if (patrol_.CycleRunning() || filling) {
        // The cycle ends at its next wait and a day's fill at once, without saving; the close
        // follows from CloseIfPending once neither runs.
        if (patrol_.CycleRunning())
            patrol_.RequestCycleEnd();
        if (filling)
            days_->CancelFill();
        closePending_ = true;
        event->ignore();
        return;
    }
    closePending_ = false;
    SaveWindowSettings();
    patrol_.Stop();
    tray_->DeleteIcon();
    articleViewer_->CloseViewer();
    event->accept();
    emit Unloaded();
}

void FormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RememberNormalFrame();
    Form_Resize();
}

void FormMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalFrame();
}

void FormMain::RememberNormalFrame() {
    if (isVisible() && !isMaximized() && !isMinimized() && !isFullScreen()) {
        const QMargins frame = FrameMargins();
        if (!frame.isNull())
            normalFrame_ = frame;
    }
}

void FormMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (minimisedForTray_ && !isMinimized())
        Tray_DblClick();
    // Started maximised before the frame was known: the restored size is put right now.
    if (frameFixPending_ && !frameFixTimer_.isActive() && !isMaximized() && !isMinimized())
        QTimer::singleShot(0, this, &FormMain::FixFrameSize);
}

bool FormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridNews_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                GridNews_MouseDown(mouse->button(), mouse->position().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                gridNews_->indexAt(mouse->position().toPoint()).isValid())
                QTimer::singleShot(0, this, &FormMain::GridNews_Click);
        } else if (event->type() == QEvent::MouseMove) {
            GridNews_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        }
    } else if (watched == gridNews_) {
        if (event->type() == QEvent::Resize)
            QTimer::singleShot(0, this, &FormMain::Form_Resize);
    } else if (watched == pictureLogo_) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            PictureLogo_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
