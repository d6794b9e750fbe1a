#include "ui/FormOption.h"

#include "app/Settings.h"
#include "app/SettingsState.h"
#include "app/SystemInfo.h"
#include "app/Trace.h"
#include "app/Version.h"
#include "news/FetchCycle.h"
#include "parsers/Board.h"
#include "parsers/Opml.h"
#include "present/Session.h"
#include "ui/Accessibility.h"
#include "ui/ControlObj.h"
#include "ui/FormFeed.h"
#include "ui/ShellLaunch.h"
#include "ui/WatchOptions.h"
#include "web/clsWEB.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSoundEffect>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {

const QString kWordKeys = QStringLiteral("１２３４５６７８９０ＱＷＥ");
const QStringList kWordLabels{"Alt+1", "Alt+2", "Alt+3", "Alt+4", "Alt+5", "Alt+6", "Alt+7",
                              "Alt+8", "Alt+9", "Alt+0", "Alt+Q", "Alt+W", "Alt+E"};
constexpr int kWords = 13;
const QString kOpmlFilter = QStringLiteral("OPML (*.opml *.xml);;すべてのファイル (*)");
enum FeedColumn { ColEnabled, ColName, ColUrl };

QString Mark(bool value) {
    return value ? QStringLiteral("○") : QStringLiteral("×");
}

QGroupBox* NewFrame(const QString& name, const QString& caption) {
    auto* frame = new QGroupBox(caption);
    frame->setObjectName(name);
    return frame;
}

QLabel* NewLabel(const QString& name, const QString& caption) {
    auto* label = new QLabel(caption);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

} // namespace

FormOption::FormOption(Program::Session& session, QWidget* parent, const QString& uiFontName)
    : QDialog(parent), session_(session), uiFontName_(uiFontName) {
    // Titled as the command that opens it.
    setWindowTitle(Accessibility::Of(App::Command::Options).text);
    setModal(true);

    ChooseFont = [this](const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, this);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
    ChooseFile = [this](const QString& title, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, folder, filter);
    };
    ChooseSaveFile = [this](const QString& title, const QString& file, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, file, filter);
    };
    EditFeed = [this](const QString& title, const Program::FeedSource& feed,
                      const std::function<QString(const Program::FeedSource&)>& problem)
        -> std::optional<Program::FeedSource> {
        FormFeed dialog(title, feed, problem, this);
        ControlObj::ApplyUiFont(&dialog, uiFontName_);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Feed();
    };
    SaveAll = [this] {
        Program::SettingsState& s = session_.settings;
        Program::SaveSettings(s, {s.FormLeft, s.FormTop, s.FormWidth, s.FormHeight, false, 0});
    };
    PlaySound = [this](const QString& file) {
        if (file.isEmpty())
            return;
        if (!sound_)
            sound_ = new QSoundEffect(this);
        sound_->stop();
        sound_->setSource(QUrl::fromLocalFile(file));
        sound_->play();
    };
    Launch = [this](const QString& target) {
        ShellLaunch::LaunchApplication_by_File(this, target, QString(), QString(), true);
    };

    BuildControls();
    Form_Load();
}

FormOption::~FormOption() = default;

QLineEdit* FormOption::NewText(const QString& name, const QString& key) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    Accessibility::Name(box, key.isEmpty() ? name : key);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, &FormOption::Check_OptionChange);
    return box;
}

QCheckBox* FormOption::NewCheck(const QString& name) {
    auto* check = new QCheckBox(Accessibility::Of(name).text);
    check->setObjectName(name);
    Accessibility::Name(check, name);
    connect(check, &QCheckBox::toggled, this, &FormOption::Check_OptionChange);
    return check;
}

QPushButton* FormOption::NewCommand(const QString& name) {
    auto* command = new QPushButton(Accessibility::Of(name).text);
    command->setObjectName(name);
    Accessibility::Name(command, name);
    command->setAutoDefault(false);
    return command;
}

void FormOption::BuildControls() {
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("TabS"));
    Accessibility::Name(tabs_, QStringLiteral("TabS"));

    // Proxy and maintenance.
    auto* proxyFrame = NewFrame(QStringLiteral("FrameProxy"), QStringLiteral("プロキシ"));
    checkProxyUse_ = NewCheck(QStringLiteral("CheckProxyUse"));
    connect(checkProxyUse_, &QCheckBox::toggled, this, &FormOption::ShowProxyBoxes);
    textProxyAdrs_ = NewText(QStringLiteral("TextProxyAdrs"));
    textProxyPort_ = NewText(QStringLiteral("TextProxyPort"));
    auto* getProxy = NewCommand(QStringLiteral("CommandGetProxyIE"));
    connect(getProxy, &QPushButton::clicked, this, &FormOption::CommandGetProxyIE_Click);
    auto* proxyGrid = new QGridLayout(proxyFrame);
    proxyGrid->addWidget(checkProxyUse_, 0, 0, 1, 2);
    auto* labelAdrs = NewLabel(QStringLiteral("LabelProxyAdrs"), QStringLiteral("アドレス"));
    labelAdrs->setBuddy(textProxyAdrs_);
    proxyGrid->addWidget(labelAdrs, 1, 0);
    proxyGrid->addWidget(textProxyAdrs_, 1, 1);
    auto* labelPort = NewLabel(QStringLiteral("LabelProxyPort"), QStringLiteral("ポート"));
    labelPort->setBuddy(textProxyPort_);
    proxyGrid->addWidget(labelPort, 2, 0);
    proxyGrid->addWidget(textProxyPort_, 2, 1);
    proxyGrid->addWidget(getProxy, 3, 1, Qt::AlignRight);

    auto* maintenance =
        NewFrame(QStringLiteral("FrameMaintenance"), QStringLiteral("メンテナンス"));
    auto* reload = NewCommand(QStringLiteral("CommandNewsReload"));
    connect(reload, &QPushButton::clicked, this, &FormOption::CommandNewsReload_Click);
    auto* bbs = NewCommand(QStringLiteral("CommandBBS"));
    connect(bbs, &QPushButton::clicked, this, &FormOption::CommandBBS_Click);
    auto* maintenanceRow = new QHBoxLayout(maintenance);
    maintenanceRow->addWidget(reload);
    maintenanceRow->addWidget(bbs);

    auto* netPage = new QWidget;
    auto* netLayout = new QVBoxLayout(netPage);
    netLayout->addWidget(proxyFrame);
    netLayout->addWidget(maintenance);
    netLayout->addStretch();

    // Font, sound and browser.
    auto* fontFrame = NewFrame(QStringLiteral("FrameFont"), QStringLiteral("フォント"));
    labelFont_ = NewLabel(QStringLiteral("LabelFont"), Accessibility::Of("LabelFont").text);
    Accessibility::Name(labelFont_, QStringLiteral("LabelFont"));
    auto* fontCommand = NewCommand(QStringLiteral("CommandFont"));
    connect(fontCommand, &QPushButton::clicked, this, &FormOption::CommandFont_Click);
    auto* fontRow = new QHBoxLayout(fontFrame);
    fontRow->addWidget(labelFont_, 1);
    fontRow->addWidget(fontCommand);

    auto* soundFrame = NewFrame(QStringLiteral("FrameSound"), QStringLiteral("アラートサウンド"));
    textSound_ = NewText(QStringLiteral("TextSound"));
    auto* soundCommand = NewCommand(QStringLiteral("CommandSound"));
    connect(soundCommand, &QPushButton::clicked, this, &FormOption::CommandSound_Click);
    auto* playCommand = NewCommand(QStringLiteral("CommandSoundPlay"));
    connect(playCommand, &QPushButton::clicked, this, &FormOption::CommandSoundPlay_Click);
    auto* soundRow = new QHBoxLayout(soundFrame);
    soundRow->addWidget(textSound_, 1);
    soundRow->addWidget(soundCommand);
    soundRow->addWidget(playCommand);

    auto* browserFrame = NewFrame(QStringLiteral("FrameBrowser"), QStringLiteral("外部ブラウザ"));
    textBrowser_ = NewText(QStringLiteral("TextBrowser"));
    auto* browserCommand = NewCommand(QStringLiteral("CommandExternalBrowser"));
    connect(browserCommand, &QPushButton::clicked, this, &FormOption::CommandExternalBrowser_Click);
    auto* browserGrid = new QGridLayout(browserFrame);
    browserGrid->addWidget(
        NewLabel(QStringLiteral("LabelBrowser1"),
                 QStringLiteral("　指定すると、内部ビューワでなく、指定のツールで閲覧します。")),
        0, 0, 1, 2);
    browserGrid->addWidget(
        NewLabel(QStringLiteral("LabelBrowser2"),
                 QStringLiteral("内部ビューワを使用する場合は、空白にしておいてください。")),
        1, 0, 1, 2);
    browserGrid->addWidget(textBrowser_, 2, 0);
    browserGrid->addWidget(browserCommand, 2, 1);

    auto* viewPage = new QWidget;
    auto* viewLayout = new QVBoxLayout(viewPage);
    viewLayout->addWidget(fontFrame);
    viewLayout->addWidget(soundFrame);
    viewLayout->addWidget(browserFrame);
    viewLayout->addStretch();

    // Behaviour.
    auto* viewerFrame = NewFrame(QStringLiteral("FrameViewer"), QStringLiteral("ビューワの位置"));
    viewerPosition_ = new QButtonGroup(this);
    auto* viewerColumn = new QVBoxLayout(viewerFrame);
    for (int index : {1, 0}) {
        const QString key = QStringLiteral("OptionViewerPosition") + QString::number(index);
        auto* option = new QRadioButton(Accessibility::Of(key).text);
        option->setObjectName(QStringLiteral("OptionViewerPosition"));
        Accessibility::Name(option, key);
        viewerPosition_->addButton(option, index);
        viewerColumn->addWidget(option);
    }
    connect(viewerPosition_, &QButtonGroup::idToggled, this, &FormOption::Check_OptionChange);

    auto* vipFrame =
        NewFrame(QStringLiteral("FrameVIP"), QStringLiteral("Yahoo!ファイナンス VIP倶楽部"));
    checkVip_ = NewCheck(QStringLiteral("CheckVIP"));
    auto* vipCommand = NewCommand(QStringLiteral("CommandYahooVIP"));
    connect(vipCommand, &QPushButton::clicked, this, &FormOption::CommandYahooVIP_Click);
    auto* vipColumn = new QVBoxLayout(vipFrame);
    vipColumn->addWidget(checkVip_);
    vipColumn->addWidget(vipCommand, 0, Qt::AlignRight);

    auto* otherFrame = NewFrame(QStringLiteral("FrameOther"), QStringLiteral("その他の設定"));
    checkFromTray_ = NewCheck(QStringLiteral("CheckFromTray"));
    checkQuickStart_ = NewCheck(QStringLiteral("CheckQuickStart"));
    checkDontForward_ = NewCheck(QStringLiteral("CheckDontForward"));
    auto* otherColumn = new QVBoxLayout(otherFrame);
    otherColumn->addWidget(checkFromTray_);
    otherColumn->addWidget(checkQuickStart_);
    otherColumn->addWidget(checkDontForward_);
    checkLockSearch_ = NewCheck(QStringLiteral("CheckLockSearch"));
    otherColumn->addWidget(checkLockSearch_);
    checkShowVersion_ = NewCheck(QStringLiteral("CheckShowVersion"));
    otherColumn->addWidget(checkShowVersion_);
    spinKeepDays_ = new QSpinBox;
    spinKeepDays_->setObjectName(QStringLiteral("SpinKeepDays"));
    spinKeepDays_->setRange(0, 9999);
    Accessibility::Name(spinKeepDays_, spinKeepDays_->objectName());
    connect(spinKeepDays_, &QSpinBox::valueChanged, this, &FormOption::Check_OptionChange);
    auto* keepLabel = new QLabel(Accessibility::Of(spinKeepDays_->objectName()).name);
    keepLabel->setBuddy(spinKeepDays_);
    auto* keepRow = new QHBoxLayout;
    keepRow->addWidget(keepLabel);
    keepRow->addWidget(spinKeepDays_);
    keepRow->addStretch();
    otherColumn->addLayout(keepRow);

    auto* generalPage = new QWidget;
    auto* generalLayout = new QVBoxLayout(generalPage);
    generalLayout->addWidget(otherFrame);
    generalLayout->addWidget(viewerFrame);
    generalLayout->addWidget(vipFrame);
    generalLayout->addStretch();

    // Preset words.
    auto* wordFrame = NewFrame(QStringLiteral("FrameWord"), QStringLiteral("定型ワード"));
    auto* wordGrid = new QGridLayout(wordFrame);
    wordGrid->addWidget(NewLabel(QStringLiteral("LabelWordHelp"),
                                 QStringLiteral("　Alt+0～9で、呼び出せる定型ワードの設定コーナー"
                                                "です。書式を間違えると正しく作動しません。")),
                        0, 0, 1, 2);
    for (int n = 0; n < kWords; ++n) {
        textWord_.append(
            NewText(QStringLiteral("TextWord"), QStringLiteral("TextWord") + QString::number(n)));
        auto* label = NewLabel(QStringLiteral("LabelWord"), kWordLabels.at(n));
        label->setBuddy(textWord_.last());
        wordGrid->addWidget(label, n + 1, 0);
        wordGrid->addWidget(textWord_.last(), n + 1, 1);
    }
    auto* wordPage = new QWidget;
    auto* wordLayout = new QVBoxLayout(wordPage);
    wordLayout->addWidget(wordFrame);
    wordLayout->addStretch();

    // Diagnostics.
    auto* debugFrame = NewFrame(QStringLiteral("FrameDebug"), QStringLiteral("デバッグ情報"));
    textDebug_ = new QPlainTextEdit;
    textDebug_->setObjectName(QStringLiteral("TextDebug"));
    Accessibility::Name(textDebug_, QStringLiteral("TextDebug"));
    textDebug_->setReadOnly(true);
    textDebug_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* copy = NewCommand(QStringLiteral("CommandToClipBoard"));
    connect(copy, &QPushButton::clicked, this, &FormOption::CommandToClipBoard_Click);
    auto* debugColumn = new QVBoxLayout(debugFrame);
    debugColumn->addWidget(textDebug_);
    debugColumn->addWidget(copy, 0, Qt::AlignRight);
    auto* debugPage = new QWidget;
    auto* debugLayout = new QVBoxLayout(debugPage);
    debugLayout->addWidget(debugFrame);

    const std::pair<QWidget*, const char*> pages[] = {
        {generalPage, "TabGeneral"}, {viewPage, "TabView"},         {wordPage, "TabWords"},
        {netPage, "TabNet"},         {BuildFeedPage(), "TabFeeds"}, {BuildWatchPage(), "TabWatch"},
        {debugPage, "TabInfo"}};
    for (const auto& [page, key] : pages) {
        const Accessibility::Names names = Accessibility::Of(QString::fromLatin1(key));
        const int at = tabs_->addTab(page, names.text);
        tabs_->setTabToolTip(at, names.description);
    }
    // The tab row and the arrows it shows when the tabs do not fit.
    Accessibility::Name(tabs_->tabBar(), QStringLiteral("TabS"));
    for (QWidget* arrow : tabs_->tabBar()->findChildren<QWidget*>()) {
        if (Accessibility::Known(arrow->objectName()))
            Accessibility::Name(arrow, arrow->objectName());
    }

    auto* ok = NewCommand(QStringLiteral("CommandOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FormOption::CommandOK_Click);
    auto* cancel = NewCommand(QStringLiteral("CommandCancel"));
    connect(cancel, &QPushButton::clicked, this, &FormOption::CommandCancel_Click);
    commandApply_ = NewCommand(QStringLiteral("CommandApply"));
    connect(commandApply_, &QPushButton::clicked, this, &FormOption::CommandApply_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(commandApply_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
}

QWidget* FormOption::BuildFeedPage() {
    gridFeeds_ = new QTableWidget(0, 3);
    gridFeeds_->setObjectName(QStringLiteral("GridFeeds"));
    Accessibility::Name(gridFeeds_, QStringLiteral("GridFeeds"));
    gridFeeds_->setHorizontalHeaderLabels(
        {QStringLiteral("有効"), QStringLiteral("名前"), QStringLiteral("アドレス")});
    gridFeeds_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridFeeds_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Names and addresses change through the feed dialog, so both are checked on the way in.
    gridFeeds_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridFeeds_->verticalHeader()->hide();
    gridFeeds_->horizontalHeader()->setSectionResizeMode(ColEnabled, QHeaderView::ResizeToContents);
    gridFeeds_->horizontalHeader()->setStretchLastSection(true);
    gridFeeds_->setColumnWidth(ColName, 120);
    // Space switches the selected feed whichever of its cells is current.
    gridFeeds_->installEventFilter(this);
    connect(gridFeeds_, &QTableWidget::itemChanged, this, &FormOption::FeedItemChanged);
    connect(gridFeeds_, &QTableWidget::itemSelectionChanged, this, &FormOption::ShowFeedCommands);
    connect(gridFeeds_, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column != ColEnabled)
            CommandFeedEdit_Click();
    });

    const std::pair<QPushButton**, const char*> commands[] = {
        {&commandFeedAdd_, "CommandFeedAdd"},       {&commandFeedEdit_, "CommandFeedEdit"},
        {&commandFeedRemove_, "CommandFeedRemove"}, {&commandFeedUp_, "CommandFeedUp"},
        {&commandFeedDown_, "CommandFeedDown"},     {&commandFeedTest_, "CommandFeedTest"}};
    auto* column = new QVBoxLayout;
    for (const auto& [command, name] : commands) {
        *command = NewCommand(QString::fromLatin1(name));
        column->addWidget(*command);
    }
    column->addStretch();
    connect(commandFeedAdd_, &QPushButton::clicked, this, &FormOption::CommandFeedAdd_Click);
    connect(commandFeedEdit_, &QPushButton::clicked, this, &FormOption::CommandFeedEdit_Click);
    connect(commandFeedRemove_, &QPushButton::clicked, this, &FormOption::CommandFeedRemove_Click);
    connect(commandFeedUp_, &QPushButton::clicked, this, &FormOption::CommandFeedUp_Click);
    connect(commandFeedDown_, &QPushButton::clicked, this, &FormOption::CommandFeedDown_Click);
    connect(commandFeedTest_, &QPushButton::clicked, this, &FormOption::CommandFeedTest_Click);

    labelFeedTest_ = NewLabel(QStringLiteral("LabelFeedTest"), QString());
    Accessibility::Name(labelFeedTest_, QStringLiteral("LabelFeedTest"));
    labelFeedTest_->setTextFormat(Qt::PlainText);
    labelFeedTest_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* import = NewCommand(QStringLiteral("CommandFeedImport"));
    connect(import, &QPushButton::clicked, this, &FormOption::CommandFeedImport_Click);
    auto* exportCommand = NewCommand(QStringLiteral("CommandFeedExport"));
    connect(exportCommand, &QPushButton::clicked, this, &FormOption::CommandFeedExport_Click);
    auto* opmlRow = new QHBoxLayout;
    opmlRow->addWidget(import);
    opmlRow->addWidget(exportCommand);
    opmlRow->addStretch();

    auto* frame = NewFrame(QStringLiteral("FrameFeeds"), QStringLiteral("ニュースフィード"));
    auto* grid = new QGridLayout(frame);
    grid->addWidget(gridFeeds_, 0, 0);
    grid->addLayout(column, 0, 1);
    grid->addWidget(labelFeedTest_, 1, 0, 1, 2);
    grid->addLayout(opmlRow, 2, 0, 1, 2);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);
    return page;
}

QRadioButton* FormOption::OptionViewerPosition(int index) const {
    return qobject_cast<QRadioButton*>(viewerPosition_->button(index));
}

QString FormOption::BuildDiagnosticSheet(const Program::SettingsState& s) {
    QStringList lines{QStringLiteral("OS      ：") + SystemInfo::CurrentOsText(),
                      QStringLiteral("ブラウザエンジン：Qt WebEngine ") +
                          QString::fromLatin1(qWebEngineVersion()) + QStringLiteral(" (Chromium ") +
                          QString::fromLatin1(qWebEngineChromiumVersion()) + QLatin1Char(')'),
                      QStringLiteral("Version.：") + Program::VersionText(),
                      QStringLiteral("ブラウザ：") + s.BrowserPath,
                      QStringLiteral("アラート：") + s.SoundFile,
                      QStringLiteral("YahooVIP：") + Mark(s.DispVip),
                      QStringLiteral("新着前面：") + Mark(s.DontForward),
                      QStringLiteral("起動ＯＮ：") + Mark(s.QuickStart),
                      QStringLiteral("新着出す：") + Mark(s.FromTray),
                      QStringLiteral("フォント：") + s.FontName,
                      QStringLiteral("  Size　：") + QString::number(s.FontSize),
                      QStringLiteral("  Bold　：") + Mark(s.FontBold),
                      QStringLiteral("  Italic：") + Mark(s.FontItalic),
                      QStringLiteral("  実際　：") + FontInUseText(s),
                      QStringLiteral("プロキシ：") + Mark(s.ProxyUse),
                      QStringLiteral("　Adrs　：") + s.ProxyAddress,
                      QStringLiteral("　Port　：") + s.ProxyPort};
    for (int n = 0; n < kWords; ++n)
        lines << QStringLiteral("定型文") + kWordKeys.at(n) + QStringLiteral("：") +
                     s.SearchWords.value(n);
    return lines.join(QStringLiteral("\r\n"));
}

void FormOption::Form_Load() {
    loading_ = true;
    ControlObj::ApplyUiFont(this, uiFontName_);

    sheet_ = BuildDiagnosticSheet(session_.settings);
    textDebug_->setPlainText(sheet_);

    const Program::SettingsState& s = session_.settings;
    textBrowser_->setText(s.BrowserPath);
    textSound_->setText(s.SoundFile);
    checkVip_->setChecked(s.DispVip);
    checkDontForward_->setChecked(s.DontForward);
    checkQuickStart_->setChecked(s.QuickStart);
    checkShowVersion_->setChecked(s.ShowVersionAtStart);
    checkFromTray_->setChecked(s.FromTray);
    checkLockSearch_->setChecked(s.LockSearchInPatrol);
    spinKeepDays_->setValue(s.KeepDays);
    if (QAbstractButton* option = viewerPosition_->button(s.ViewerPosition))
        option->setChecked(true);
    QFont font(s.FontName);
    if (s.FontSize > 0)
        font.setPointSizeF(s.FontSize);
    font.setBold(s.FontBold);
    font.setItalic(s.FontItalic);
    SetSampleFont(font);
    for (int n = 0; n < kWords; ++n)
        textWord_.at(n)->setText(s.SearchWords.value(n));
    checkProxyUse_->setChecked(s.ProxyUse);
    textProxyAdrs_->setText(s.ProxyAddress);
    textProxyPort_->setText(s.ProxyPort);
    ShowProxyBoxes();
    watch_->Load(s);
    feeds_ = s.Feeds;
    FillFeeds(0);
    labelFeedTest_->clear();

    // 4290 twips at 96 dpi, widened when the captions need more.
    resize(qMax(286 * logicalDpiX() / 96, sizeHint().width()), sizeHint().height());
    tabs_->setCurrentIndex(0);
    loading_ = false;
    Check_OptionChange();
}

QString FormOption::FontInUseText(const Program::SettingsState& s) {
    // What the table is drawn with: a name the system lacks is replaced by a font it has.
    return QFontInfo(QFont(s.FontName)).family();
}

void FormOption::SetSampleFont(const QFont& font) {
    sampleFont_ = font;
    // The font the sample is really drawn in, which is the one the table gets.
    labelFont_->setText(QFontInfo(font).family());
    labelFont_->setFont(font);
}

void FormOption::ShowProxyBoxes() {
    textProxyAdrs_->setEnabled(checkProxyUse_->isChecked());
    textProxyPort_->setEnabled(checkProxyUse_->isChecked());
}

bool FormOption::Changed() const {
    const Program::SettingsState& s = session_.settings;
    if (textBrowser_->text() != s.BrowserPath || textSound_->text() != s.SoundFile)
        return true;
    if (checkVip_->isChecked() != s.DispVip || checkDontForward_->isChecked() != s.DontForward ||
        checkQuickStart_->isChecked() != s.QuickStart ||
        checkFromTray_->isChecked() != s.FromTray || spinKeepDays_->value() != s.KeepDays)
        return true;
    if (checkLockSearch_->isChecked() != s.LockSearchInPatrol ||
        checkShowVersion_->isChecked() != s.ShowVersionAtStart)
        return true;
    const QAbstractButton* stored = viewerPosition_->button(s.ViewerPosition);
    if (!stored || !stored->isChecked())
        return true;
    if (sampleFont_.family() != s.FontName || float(sampleFont_.pointSizeF()) != s.FontSize ||
        sampleFont_.bold() != s.FontBold || sampleFont_.italic() != s.FontItalic)
        return true;
    for (int n = 0; n < kWords; ++n) {
        if (textWord_.at(n)->text() != s.SearchWords.value(n))
            return true;
    }
    if (feeds_ != s.Feeds)
        return true;
    if (watch_->Differs(s))
        return true;
    return checkProxyUse_->isChecked() != s.ProxyUse || textProxyAdrs_->text() != s.ProxyAddress ||
           textProxyPort_->text() != s.ProxyPort;
}

void FormOption::Check_OptionChange() {
    if (loading_)
        return;
    commandApply_->setEnabled(Changed());
}

void FormOption::CommandApply_Click() {
    Common::TraceLine(QStringLiteral("Optn : Apply"));
    // An expression the search could not evaluate is not stored; the dialog stays open.
    if (const QString problem = watch_->Problem(); !problem.isEmpty()) {
        Ports::Prompt().MessageBox(problem, QStringLiteral("Math/Compare()"),
                                   Ports::MsgIcon::Critical, Ports::MsgButtons::Ok);
        watch_->TextWatchWord()->setFocus();
        return;
    }
    commandApply_->setEnabled(false);

    Program::SettingsState& s = session_.settings;
    s.BrowserPath = textBrowser_->text();
    s.SoundFile = textSound_->text();
    s.DispVip = checkVip_->isChecked();
    s.DontForward = checkDontForward_->isChecked();
    s.QuickStart = checkQuickStart_->isChecked();
    s.ShowVersionAtStart = checkShowVersion_->isChecked();
    s.FromTray = checkFromTray_->isChecked();
    s.LockSearchInPatrol = checkLockSearch_->isChecked();
    s.KeepDays = spinKeepDays_->value();
    if (viewerPosition_->checkedId() >= 0)
        s.ViewerPosition = qint16(viewerPosition_->checkedId());
    s.FontName = sampleFont_.family();
    s.FontSize = float(sampleFont_.pointSizeF());
    s.FontBold = sampleFont_.bold();
    s.FontItalic = sampleFont_.italic();
    if (ApplyGridFont)
        ApplyGridFont(sampleFont_);
    for (int n = 0; n < kWords; ++n)
        s.SearchWords[n] = textWord_.at(n)->text();
    s.Feeds = feeds_;
    watch_->Store(s);

    const bool proxyUse = checkProxyUse_->isChecked();
    const QString address = textProxyAdrs_->text().trimmed();
    const QString port = textProxyPort_->text().trimmed();
    if (proxyUse != s.ProxyUse || address != s.ProxyAddress || port != s.ProxyPort)
        Ports::Prompt().MessageBox(
            QStringLiteral("プロキシの設定が変更されました。上手く通信が出来ない場合は一度"
                           "Tickerwispを再起動して下さい。"),
            windowTitle(), Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
    s.ProxyUse = proxyUse;
    s.ProxyAddress = address;
    s.ProxyPort = port;
    const QString proxy = proxyUse ? address + QLatin1Char(':') + port : QString();
    session_.viewerWeb.Proxy = proxy;
    session_.pageWeb.Proxy = proxy;

    if (SaveAll)
        SaveAll();
}

void FormOption::CommandOK_Click() {
    Common::TraceLine(QStringLiteral("Optn : OK"));
    CommandApply_Click();
    if (!watch_->Problem().isEmpty())
        return;
    accept();
}

void FormOption::CommandCancel_Click() {
    Common::TraceLine(QStringLiteral("Optn : Cancel"));
    reject();
}

void FormOption::CommandNewsReload_Click() {
    const Ports::MsgAnswer answer = Ports::Prompt().MessageBox(
        QStringLiteral("今日のニュースをすべて取得し直します。\n"
                       "取得し終えると、今のニュースと既読の印は新しいものに置き換わります。"
                       "取得に失敗したときは今のままです。\n\nよろしいですか？"),
        Accessibility::Of(QStringLiteral("CommandNewsReload")).text, Ports::MsgIcon::Question,
        Ports::MsgButtons::YesNo);
    if (answer != Ports::MsgAnswer::Yes)
        return;
    reloadRequested_ = true;
    Common::TraceLine(QStringLiteral("Optn : Reload all news"));
    CommandOK_Click();
}

void FormOption::CommandBBS_Click() {
    Yahoo::RunBoardCommand(
        {session_.pageWeb, session_.settings.BoardHost}, Ports::Prompt(),
        [this](bool busy) {
            setEnabled(!busy);
            if (busy)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        },
        [this](const QString& path) {
            if (Launch)
                Launch(path);
        });
}

void FormOption::CommandGetProxyIE_Click() {
    const SystemInfo::DesktopProxy proxy = SystemInfo::ProxyFromDesktop();
    QString address, port;
    SystemInfo::SplitProxyServer(proxy.server, address, port);
    checkProxyUse_->setChecked(proxy.enabled);
    textProxyAdrs_->setText(address);
    textProxyPort_->setText(port);
}

void FormOption::CommandFont_Click() {
    if (!ChooseFont)
        return;
    // A cancelled dialog keeps the font shown.
    if (const std::optional<QFont> font = ChooseFont(sampleFont_))
        SetSampleFont(*font);
    Check_OptionChange();
}

void FormOption::CommandSound_Click() {
    if (!ChooseFile)
        return;
    const QString file =
        ChooseFile(QStringLiteral("アラートサウンド"), ShellLaunch::GetSpecialFolder(36),
                   QStringLiteral("サウンド (*.wav)"));
    if (!file.isEmpty())
        textSound_->setText(file);
}

void FormOption::CommandSoundPlay_Click() {
    const QString file = textSound_->text();
    if (const QString problem = SoundFileProblem(file); !problem.isEmpty()) {
        Ports::Prompt().MessageBox(problem, QStringLiteral("アラートサウンド"),
                                   Ports::MsgIcon::Exclamation, Ports::MsgButtons::Ok);
        return;
    }
    if (PlaySound)
        PlaySound(file);
}

QString FormOption::SoundFileProblem(const QString& file) {
    if (file.isEmpty())
        return QString();
    const QFileInfo info(file);
    if (!info.exists()) {
        return QStringLiteral("サウンドファイル ") + file +
               (QFileInfo(info.absolutePath()).isDir()
                    ? QStringLiteral(" が見つかりません。")
                    : QStringLiteral(" のフォルダ ") + info.absolutePath() +
                          QStringLiteral(" が見つかりません。"));
    }
    if (!info.isFile())
        return QStringLiteral("サウンドファイル ") + file +
               QStringLiteral(" はフォルダです。WAV ファイルを選んでください。");
    QFile wav(file);
    if (!wav.open(QIODevice::ReadOnly))
        return QStringLiteral("サウンドファイル ") + file + QStringLiteral(" を読めません。");
    // A WAV file begins "RIFF", its size, "WAVE".
    const QByteArray head = wav.read(12);
    if (!head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return QStringLiteral("サウンドファイル ") + file +
               QStringLiteral(" は WAV 形式ではないため鳴らせません。");
    return QString();
}

void FormOption::CommandExternalBrowser_Click() {
    if (!ChooseFile)
        return;
    const QString file =
        ChooseFile(QStringLiteral("外部ブラウザ"), QCoreApplication::applicationDirPath(),
                   QStringLiteral("すべてのファイル (*)"));
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    if (!info.isFile() || !info.isExecutable()) {
        Ports::Prompt().MessageBox(
            QStringLiteral(
                "実行できるファイルではありません。ブラウザのプログラムを選んでください。"),
            windowTitle(), Ports::MsgIcon::Exclamation, Ports::MsgButtons::Ok);
        return;
    }
    textBrowser_->setText(file);
}

void FormOption::CommandYahooVIP_Click() {
    if (Launch)
        Launch(session_.settings.VipHost + QStringLiteral("/vip/pr/"));
}

void FormOption::CommandToClipBoard_Click() {
    QGuiApplication::clipboard()->setText(sheet_);
    Ports::Prompt().MessageBox(
        QStringLiteral("クリップボードへコピーしました。 バグ報告用にご利用下さい。"),
        windowTitle(), Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
}

void FormOption::FillFeeds(int row) {
    {
        const QSignalBlocker quiet(gridFeeds_);
        gridFeeds_->setRowCount(int(feeds_.size()));
        for (int n = 0; n < feeds_.size(); ++n) {
            const Program::FeedSource& feed = feeds_.at(n);
            auto* enabled = new QTableWidgetItem;
            enabled->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            enabled->setCheckState(feed.Enabled ? Qt::Checked : Qt::Unchecked);
            gridFeeds_->setItem(n, ColEnabled, enabled);
            auto* name = new QTableWidgetItem(feed.Name);
            name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            gridFeeds_->setItem(n, ColName, name);
            auto* url = new QTableWidgetItem(feed.Url);
            url->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            url->setToolTip(feed.Url);
            gridFeeds_->setItem(n, ColUrl, url);
        }
    }
    if (feeds_.isEmpty()) {
        gridFeeds_->clearSelection();
        ShowFeedCommands();
        return;
    }
    row = std::clamp(row, 0, int(feeds_.size()) - 1);
    gridFeeds_->setCurrentCell(row, ColEnabled);
    gridFeeds_->selectRow(row);
    ShowFeedCommands();
}

int FormOption::FeedRow() const {
    const QModelIndexList rows = gridFeeds_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FormOption::ShowFeedCommands() {
    const int row = FeedRow();
    commandFeedAdd_->setEnabled(feeds_.size() < Program::MaxFeeds);
    commandFeedEdit_->setEnabled(row >= 0);
    commandFeedRemove_->setEnabled(row >= 0);
    commandFeedTest_->setEnabled(row >= 0);
    commandFeedUp_->setEnabled(row > 0);
    commandFeedDown_->setEnabled(row >= 0 && row < feeds_.size() - 1);
    // A result belongs to the feed it was fetched for.
    labelFeedTest_->clear();
}

void FormOption::FeedItemChanged(QTableWidgetItem* item) {
    if (item->column() != ColEnabled || item->row() >= feeds_.size())
        return;
    feeds_[item->row()].Enabled = item->checkState() == Qt::Checked;
    Check_OptionChange();
}

QString FormOption::FeedProblem(const Program::FeedSource& feed, int row) const {
    if (feed.Url.trimmed().isEmpty())
        return QStringLiteral("フィードのアドレスを入力してください。");
    if (!Opml::IsFeedAddress(feed.Url))
        return QStringLiteral("アドレスは http:// か https:// で始まるURLで入力してください。");
    const QString key = Opml::AddressKey(feed.Url);
    for (int n = 0; n < feeds_.size(); ++n) {
        if (n != row && Opml::AddressKey(feeds_.at(n).Url) == key)
            return QStringLiteral("このアドレスのフィードはすでに一覧にあります。");
    }
    if (row < 0 && feeds_.size() >= Program::MaxFeeds)
        return QStringLiteral("フィードは%1件までです。").arg(Program::MaxFeeds);
    return QString();
}

bool FormOption::RefusedFeed(const QString& problem) {
    if (problem.isEmpty())
        return false;
    Ports::Prompt().MessageBox(problem, windowTitle(), Ports::MsgIcon::Exclamation,
                               Ports::MsgButtons::Ok);
    return true;
}

void FormOption::CommandFeedAdd_Click() {
    if (!EditFeed)
        return;
    const auto problem = [this](const Program::FeedSource& feed) { return FeedProblem(feed, -1); };
    const std::optional<Program::FeedSource> feed =
        EditFeed(QStringLiteral("フィードの追加"), Program::FeedSource{}, problem);
    if (!feed)
        return;
    // Checked again: the entry may come from elsewhere than our own dialog.
    if (RefusedFeed(problem(*feed)))
        return;
    feeds_.append(*feed);
    FillFeeds(int(feeds_.size()) - 1);
    Check_OptionChange();
}

void FormOption::CommandFeedEdit_Click() {
    const int row = FeedRow();
    if (row < 0 || !EditFeed)
        return;
    const auto problem = [this, row](const Program::FeedSource& feed) {
        return FeedProblem(feed, row);
    };
    std::optional<Program::FeedSource> feed =
        EditFeed(QStringLiteral("フィードの編集"), feeds_.at(row), problem);
    if (!feed)
        return;
    if (RefusedFeed(problem(*feed)))
        return;
    feed->Enabled = feeds_.at(row).Enabled;
    feeds_[row] = *feed;
    FillFeeds(row);
    Check_OptionChange();
}

void FormOption::CommandFeedRemove_Click() {
    const int row = FeedRow();
    if (row < 0)
        return;
    feeds_.removeAt(row);
    FillFeeds(row);
    Check_OptionChange();
}

void FormOption::MoveFeed(int by) {
    const int row = FeedRow();
    if (row < 0 || row + by < 0 || row + by >= feeds_.size())
        return;
    feeds_.swapItemsAt(row, row + by);
    FillFeeds(row + by);
    Check_OptionChange();
}

void FormOption::CommandFeedUp_Click() {
    MoveFeed(-1);
}

void FormOption::CommandFeedDown_Click() {
    MoveFeed(1);
}

void FormOption::UseFeedReader(const QString& proxy) {
    TestFeed = [this, proxy](const QString& url) {
        // Its own download object: through the user's proxy, apart from the patrol's.
        clsWEB web;
        web.Proxy = proxy;
        feedTestWeb_ = &web;
        const News::FeedProbe probe = News::ProbeFeed(web, url);
        feedTestWeb_ = nullptr;
        return FeedTestResult{probe.ok, probe.itemCount, probe.newestTitle, probe.reason};
    };
    CancelFeedTest = [this] {
        if (feedTestWeb_)
            feedTestWeb_->Cancel();
    };
}

void FormOption::CommandFeedTest_Click() {
    const int row = FeedRow();
    if (row < 0)
        return;
    if (!TestFeed) {
        labelFeedTest_->setText(
            QStringLiteral("取得テストは使えません（フィードの読み込みが組み込まれていません）。"));
        return;
    }
    labelFeedTest_->setText(QStringLiteral("取得中…"));
    // The fetch waits in an event loop: nothing here may change or close meanwhile. 中止 is in a
    // window of its own, not a child of this disabled one, shown when the fetch takes a while.
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QProgressDialog progress(feeds_.at(row).Name + QStringLiteral(" を取得しています…"),
                             Accessibility::Of(QStringLiteral("ProgressFeedTest")).text, 0, 0);
    progress.setObjectName(QStringLiteral("ProgressFeedTest"));
    Accessibility::Name(&progress, progress.objectName(), Accessibility::Tip::None);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(500);
    // Starts the clock of that half second (the constructor's runs for four).
    progress.setValue(0);
    progress.move(frameGeometry().center() - progress.rect().center());
    // Kept above this dialog by the window manager, as a child window would be.
    progress.createWinId();
    if (progress.windowHandle() && window()->windowHandle())
        progress.windowHandle()->setTransientParent(window()->windowHandle());
    bool cancelled = false;
    connect(&progress, &QProgressDialog::canceled, this, [&] {
        cancelled = true;
        if (CancelFeedTest)
            CancelFeedTest();
    });
    feedTestProgress_ = &progress;
    const FeedTestResult result = TestFeed(feeds_.at(row).Url);
    feedTestProgress_ = nullptr;
    progress.hide();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    if (cancelled) {
        labelFeedTest_->setText(QStringLiteral("取得テストを中止しました。"));
    } else if (!result.ok) {
        labelFeedTest_->setText(QStringLiteral("取得できませんでした（%1）").arg(result.reason));
    } else if (result.itemCount == 0) {
        labelFeedTest_->setText(QStringLiteral("0 件の記事。"));
    } else {
        labelFeedTest_->setText(
            QStringLiteral("%1 件の記事。最新: %2").arg(result.itemCount).arg(result.newestTitle));
    }
}

void FormOption::CommandFeedImport_Click() {
    if (!ChooseFile)
        return;
    const QString path =
        ChooseFile(QStringLiteral("OPMLを読み込む"), QDir::homePath(), kOpmlFilter);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Ports::Prompt().MessageBox(QStringLiteral("%1 を開けませんでした。").arg(path),
                                   windowTitle(), Ports::MsgIcon::Exclamation,
                                   Ports::MsgButtons::Ok);
        return;
    }
    QString error;
    int unusable = 0;
    const QList<Program::FeedSource> read = Opml::ReadOpml(file.readAll(), &error, &unusable);
    const int first = int(feeds_.size());
    int skipped = 0, full = 0;
    for (const Program::FeedSource& feed : read) {
        const QString key = Opml::AddressKey(feed.Url);
        const bool known = std::any_of(feeds_.cbegin(), feeds_.cend(), [&](const auto& listed) {
            return Opml::AddressKey(listed.Url) == key;
        });
        if (known)
            ++skipped;
        else if (feeds_.size() >= Program::MaxFeeds)
            ++full;
        else
            feeds_.append(feed);
    }
    QStringList lines;
    if (!error.isEmpty())
        lines << error;
    if (read.isEmpty() && error.isEmpty())
        lines << QStringLiteral("フィードが見つかりませんでした。");
    else
        lines << QStringLiteral("%1 件のフィードを追加しました。").arg(feeds_.size() - first);
    if (skipped > 0)
        lines << QStringLiteral("%1 件はすでに一覧にあるため飛ばしました。").arg(skipped);
    if (unusable > 0)
        lines << QStringLiteral("%1 件は http・https のアドレスではないため飛ばしました。")
                     .arg(unusable);
    if (full > 0)
        lines << QStringLiteral("%1 件は一覧がいっぱい（%2 件まで）のため追加できませんでした。")
                     .arg(full)
                     .arg(Program::MaxFeeds);
    if (feeds_.size() > first)
        FillFeeds(first);
    Check_OptionChange();
    Ports::Prompt().MessageBox(lines.join(QLatin1Char('\n')), windowTitle(),
                               error.isEmpty() && full == 0 ? Ports::MsgIcon::Information
                                                            : Ports::MsgIcon::Exclamation,
                               Ports::MsgButtons::Ok);
}

void FormOption::CommandFeedExport_Click() {
    if (!ChooseSaveFile)
        return;
    QString path = ChooseSaveFile(QStringLiteral("OPMLに書き出す"),
                                  QDir::homePath() + QStringLiteral("/feeds.opml"), kOpmlFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".opml");
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const QByteArray bytes = Opml::WriteOpml(feeds_, QStringLiteral("Tickerwisp のフィード"));
        written = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!written) {
        const QFileInfo folder(QFileInfo(path).absolutePath());
        const QString reason = !folder.isDir() ? QStringLiteral("フォルダがありません")
                               : !folder.isWritable()
                                   ? QStringLiteral("書き込みが許可されていません")
                                   : file.errorString();
        Ports::Prompt().MessageBox(
            QStringLiteral("%1 に書き出せませんでした（%2）。").arg(path, reason), windowTitle(),
            Ports::MsgIcon::Exclamation, Ports::MsgButtons::Ok);
        return;
    }
    QString text =
        QStringLiteral("%1 件のフィードを %2 に書き出しました。").arg(feeds_.size()).arg(path);
    // The format cannot say a feed is switched off; a reader of the file gets those too.
    const bool anyDisabled = std::any_of(feeds_.cbegin(), feeds_.cend(),
                                         [](const Program::FeedSource& f) { return !f.Enabled; });
    if (anyDisabled)
        text +=
            QStringLiteral("\nOPMLには有効・無効の区別がないため、無効のフィードも含まれます。");
    Ports::Prompt().MessageBox(text, windowTitle(), Ports::MsgIcon::Information,
                               Ports::MsgButtons::Ok);
}

bool FormOption::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridFeeds_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int row = FeedRow();
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && row >= 0) {
            QTableWidgetItem* check = gridFeeds_->item(row, ColEnabled);
            check->setCheckState(check->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            ControlObj::SelectAllText(box);
            // A mouse click places the cursor after focus arrives; select again once it has.
            QTimer::singleShot(0, box, [box] { ControlObj::SelectAllText(box); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* FormOption::BuildWatchPage() {
    watch_ = new WatchOptions;
    connect(watch_, &WatchOptions::Edited, this, &FormOption::Check_OptionChange);
    for (QLineEdit* box : watch_->findChildren<QLineEdit*>())
        box->installEventFilter(this);
    watch_->ChooseSound = [this] {
        return ChooseFile ? ChooseFile(QStringLiteral("注目ニュースのサウンド"),
                                       ShellLaunch::GetSpecialFolder(36),
                                       QStringLiteral("サウンド (*.wav)"))
                          : QString();
    };
    return watch_;
}
