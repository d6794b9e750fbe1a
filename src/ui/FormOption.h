#pragma once
// The options dialog: proxy, headline font, alert sound, external browser, preset words, viewer
// position and behaviour switches, the news feeds, plus the maintenance commands and the
// diagnostic sheet.

#include "app/SettingsState.h"

#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSoundEffect;
class QTableWidget;
class QTableWidgetItem;
class QProgressDialog;
class clsWEB;
class QTabWidget;
class WatchOptions;

namespace Program {
class Session;
} // namespace Program

// What "取得テスト" learnt from fetching one feed: the number of items and the newest title, or
// why it could not be read (in Japanese).
struct FeedTestResult {
    bool ok = false;
    int itemCount = 0;
    QString newestTitle;
    QString reason;
};

class FormOption : public QDialog {
    Q_OBJECT
public:
    // The dialog edits the session's settings and proxy; the board command reads through its
    // page object.
    explicit FormOption(Program::Session& session, QWidget* parent = nullptr,
                        const QString& uiFontName = QString());
    ~FormOption() override;

    // Seams for the main window and for tests; each has a working default.
    // The chosen font, or std::nullopt when the dialog was cancelled.
    std::function<std::optional<QFont>(const QFont& current)> ChooseFont;
    // An existing file, "" when cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter)>
        ChooseFile;
    // A file to write, "" when cancelled.
    std::function<QString(const QString& title, const QString& file, const QString& filter)>
        ChooseSaveFile;
    // Asks for a feed's name and address, starting from `feed`: the entry the user settled on, or
    // std::nullopt when cancelled. The default opens the feed dialog, which stays open while
    // `problem` gives a reason ("" when the entry can be taken).
    std::function<std::optional<Program::FeedSource>(
        const QString& title, const Program::FeedSource& feed,
        const std::function<QString(const Program::FeedSource&)>& problem)>
        EditFeed;
    // Fetches one feed at once. No default: the main window hands in the feed reader; without it
    // "取得テスト" says the test is not available.
    std::function<FeedTestResult(const QString& url)> TestFeed;
    // Called from an event handled while TestFeed waits: the download stops at once.
    std::function<void()> CancelFeedTest;
    // Both of the above from the program's feed reader, with a download object of the test's own
    // through `proxy`.
    void UseFeedReader(const QString& proxy);
    // The window that shows a running "取得テスト" with its 中止; null when none runs.
    QProgressDialog* FeedTestProgress() const { return feedTestProgress_; }
    // Writes SYSTEM.INI; the main window passes one that knows its geometry.
    std::function<void()> SaveAll;
    // The headline grid takes the new font; errors are the grid's to ignore.
    std::function<void(const QFont& font)> ApplyGridFont;
    std::function<void(const QString& file)> PlaySound;
    // A file or address handed to the desktop.
    std::function<void(const QString& target)> Launch;
    // "ニュース再取得": the options command fetches everything anew once the dialog has closed.
    bool ReloadRequested() const { return reloadRequested_; }

    void Form_Load();
    void Check_OptionChange();
    void CommandApply_Click();
    void CommandOK_Click();
    void CommandCancel_Click();
    void CommandNewsReload_Click();
    void CommandBBS_Click();
    void CommandGetProxyIE_Click();
    void CommandFont_Click();
    void CommandSound_Click();
    void CommandSoundPlay_Click();
    void CommandExternalBrowser_Click();
    void CommandYahooVIP_Click();
    void CommandToClipBoard_Click();
    void CommandFeedAdd_Click();
    void CommandFeedEdit_Click();
    void CommandFeedRemove_Click();
    void CommandFeedUp_Click();
    void CommandFeedDown_Click();
    void CommandFeedTest_Click();
    void CommandFeedImport_Click();
    void CommandFeedExport_Click();

    // The feed list as edited so far (stored on OK or 適用).
    const QList<Program::FeedSource>& Feeds() const { return feeds_; }
    // Why this entry cannot be taken into the list, "" when it can; `row` is the feed being
    // edited (-1 for a new one), whose own address is no duplicate.
    QString FeedProblem(const Program::FeedSource& feed, int row) const;

    // The sheet as it was built at load, lines ending CR LF.
    QString DiagnosticSheet() const { return sheet_; }
    static QString BuildDiagnosticSheet(const Program::SettingsState& s);
    // The family the headline table is really drawn in, which a name the system lacks is not.
    static QString FontInUseText(const Program::SettingsState& s);
    // Why the alert sound cannot play, naming the file; "" when it can (or none is set).
    static QString SoundFileProblem(const QString& file);

    QLineEdit* TextWord(int index) const { return textWord_.value(index); }
    QRadioButton* OptionViewerPosition(int index) const;
    QFont SampleFont() const { return sampleFont_; }
    WatchOptions* WatchPage() const { return watch_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Says why an entry cannot be taken; false when problem is empty.
    bool RefusedFeed(const QString& problem);
    void BuildControls();
    // Captions, accessible names and tips come from the table of control names: by the object
    // name, or by key where several controls share one name.
    QLineEdit* NewText(const QString& name, const QString& key = QString());
    QCheckBox* NewCheck(const QString& name);
    QPushButton* NewCommand(const QString& name);
    void SetSampleFont(const QFont& font);
    bool Changed() const;
    void ShowProxyBoxes();
    QWidget* BuildFeedPage();
    QWidget* BuildWatchPage();
    // Shows feeds_ in the table and selects `row` (clamped; none when the list is empty).
    void FillFeeds(int row);
    int FeedRow() const;
    void ShowFeedCommands();
    void FeedItemChanged(QTableWidgetItem* item);
    void MoveFeed(int by);

    Program::Session& session_;
    bool reloadRequested_ = false;
    QString uiFontName_;
    QString sheet_;
    QFont sampleFont_;
    bool loading_ = false;

    QTabWidget* tabs_ = nullptr;
    QCheckBox *checkProxyUse_ = nullptr, *checkVip_ = nullptr, *checkFromTray_ = nullptr,
              *checkQuickStart_ = nullptr, *checkDontForward_ = nullptr;
    QCheckBox* checkLockSearch_ = nullptr;
    QCheckBox* checkShowVersion_ = nullptr;
    QSpinBox* spinKeepDays_ = nullptr;
    QLineEdit *textProxyAdrs_ = nullptr, *textProxyPort_ = nullptr, *textSound_ = nullptr,
              *textBrowser_ = nullptr;
    QList<QLineEdit*> textWord_;
    QButtonGroup* viewerPosition_ = nullptr;
    QLabel* labelFont_ = nullptr;
    QPlainTextEdit* textDebug_ = nullptr;
    QPushButton* commandApply_ = nullptr;
    QList<Program::FeedSource> feeds_;
    QTableWidget* gridFeeds_ = nullptr;
    QPushButton *commandFeedAdd_ = nullptr, *commandFeedEdit_ = nullptr,
                *commandFeedRemove_ = nullptr, *commandFeedUp_ = nullptr,
                *commandFeedDown_ = nullptr, *commandFeedTest_ = nullptr;
    QLabel* labelFeedTest_ = nullptr;
    QProgressDialog* feedTestProgress_ = nullptr;
    clsWEB* feedTestWeb_ = nullptr;
    QSoundEffect* sound_ = nullptr;
    WatchOptions* watch_ = nullptr;
};
