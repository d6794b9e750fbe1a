#pragma once
// The options dialog: proxy, headline font, alert sound, external browser, preset words, viewer
// position and behaviour switches, plus the maintenance commands and the diagnostic sheet.

#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSoundEffect;
class QTabWidget;

namespace Program {
class Session;
struct SettingsState;
} // namespace Program

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

    // The sheet as it was built at load, lines ending CR LF.
    QString DiagnosticSheet() const { return sheet_; }
    static QString BuildDiagnosticSheet(const Program::SettingsState& s);

    QLineEdit* TextWord(int index) const { return textWord_.value(index); }
    QRadioButton* OptionViewerPosition(int index) const;
    QFont SampleFont() const { return sampleFont_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    // Captions, accessible names and tips come from the table of control names: by the object
    // name, or by key where several controls share one name.
    QLineEdit* NewText(const QString& name, const QString& key = QString());
    QCheckBox* NewCheck(const QString& name);
    QPushButton* NewCommand(const QString& name);
    void SetSampleFont(const QFont& font);
    bool Changed() const;
    void ShowProxyBoxes();

    Program::Session& session_;
    bool reloadRequested_ = false;
    QString uiFontName_;
    QString sheet_;
    QFont sampleFont_;
    bool loading_ = false;

    QTabWidget* tabs_ = nullptr;
    QCheckBox *checkProxyUse_ = nullptr, *checkVip_ = nullptr, *checkFromTray_ = nullptr,
              *checkQuickStart_ = nullptr, *checkDontForward_ = nullptr;
    QLineEdit *textProxyAdrs_ = nullptr, *textProxyPort_ = nullptr, *textSound_ = nullptr,
              *textBrowser_ = nullptr;
    QList<QLineEdit*> textWord_;
    QButtonGroup* viewerPosition_ = nullptr;
    QLabel* labelFont_ = nullptr;
    QPlainTextEdit* textDebug_ = nullptr;
    QPushButton* commandApply_ = nullptr;
    QSoundEffect* sound_ = nullptr;
};
