#pragma once
// The narrow interfaces through which the core logic reaches the screen, the clock and chance.
// The windows in ui/ implement them; tests implement them with recording fakes. Until a window
// installs its own, every port has a quiet default, so core code never needs a null check.

#include "app/Commands.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <optional>

namespace Ports {

// The main window as the fetch cycle, the store and the commands see it.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    // Status-bar panels.
    virtual void SetPanelText(App::Panel panel, const QString& text) = 0;
    virtual QString PanelText(App::Panel panel) const = 0;
    virtual void SetPanelTip(App::Panel panel, const QString& tip) = 0;
    virtual QString PanelTip(App::Panel panel) const = 0;
    // imageKey names a picture of the window's image registry ("STATUS_NEW_0", "LAMP_ON", ...).
    virtual void SetPanelPicture(App::Panel panel, const QString& imageKey) = 0;
    virtual void SetPanelEnabled(App::Panel panel, bool enabled) = 0;

    virtual void SetCaption(const QString& caption) = 0;
    virtual void SetTopmost(bool on) = 0;
    virtual void BringToFront() = 0;
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;

    // Tray: index into TrayIcons (0 "NORMAL", 1 "NEW_0", 2 "NEW_1").
    virtual void SetTrayIcon(int index) = 0;
    virtual void SetTrayTip(const QString& tip) = 0;
    virtual void RemoveTrayIcon() = 0;

    virtual void PlaySound(const QString& file) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    virtual void SetClipboardText(const QString& text) = 0;

    virtual void SetGridVisible(bool visible) = 0;
    virtual bool GridVisible() const = 0;

    // Tool-bar buttons; Command::SearchBox is the search box.
    virtual void SetButtonPressed(App::Command command, bool pressed) = 0;
    virtual bool ButtonPressed(App::Command command) const = 0;
    virtual void SetButtonEnabled(App::Command command, bool enabled) = 0;
    virtual bool ButtonEnabled(App::Command command) const = 0;

    virtual QString SearchText() const = 0;
    virtual void SetSearchText(const QString& text) = 0;
};

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Message and input boxes, and the end of the program. Core never shows a window itself.
class PromptPort {
public:
    virtual ~PromptPort() = default;
    virtual MsgAnswer MessageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // std::nullopt when the user cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    virtual void EndProgram() = 0;
};

// The embedded browser behind the browser-bound half of clsWEB.
class BrowserPort {
public:
    virtual ~BrowserPort() = default;
    virtual void Navigate(const QString& url, bool noCache) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual QString BodyOuterHtml() const = 0;
    virtual QString BodyText() const = 0;
};

// Local time throughout.
class ClockPort {
public:
    virtual ~ClockPort() = default;
    virtual QDateTime Now() const = 0;
    QDate Today() const { return Now().date(); }
    // Milliseconds from an arbitrary origin, monotonic.
    virtual qint64 TickMs() const = 0;
};

class RandomPort {
public:
    virtual ~RandomPort() = default;
    // Uniform in [0, 1).
    virtual double Next() = 0;
};

// Install a port; nullptr restores the quiet default. The caller keeps ownership.
// The diagnostic trace: numbered, time-stamped lines in "Debug.LOG".
class TracePort {
public:
    virtual ~TracePort() = default;
    virtual void Line(const QString& text) = 0;
};

void SetTrace(TracePort* port);
TracePort& Trace();

void SetMainWindow(MainWindowPort* port);
void SetPrompt(PromptPort* port);
void SetClock(ClockPort* port);
void SetRandom(RandomPort* port);

MainWindowPort& MainWindow();
PromptPort& Prompt();
ClockPort& Clock();
RandomPort& Random();

} // namespace Ports

namespace Ports {

// A window without a screen: it remembers what it was told. It is the default main window and
// the base of the recording fakes in tests.
class HeadlessMainWindow : public MainWindowPort {
public:
    void SetPanelText(App::Panel panel, const QString& text) override;
    QString PanelText(App::Panel panel) const override;
    void SetPanelTip(App::Panel panel, const QString& tip) override;
    QString PanelTip(App::Panel panel) const override;
    void SetPanelPicture(App::Panel panel, const QString& imageKey) override;
    QString PanelPicture(App::Panel panel) const;
    void SetPanelEnabled(App::Panel panel, bool enabled) override;
    bool PanelEnabled(App::Panel panel) const;
    void SetCaption(const QString& caption) override { caption_ = caption; }
    QString Caption() const { return caption_; }
    void SetTopmost(bool on) override { topmost_ = on; }
    bool Topmost() const { return topmost_; }
    void BringToFront() override {}
    void ShowWindow() override { visible_ = true; }
    void HideWindow() override { visible_ = false; }
    bool WindowVisible() const { return visible_; }
    void SetTrayIcon(int index) override { trayIcon_ = index; }
    int TrayIcon() const { return trayIcon_; }
    void SetTrayTip(const QString& tip) override { trayTip_ = tip; }
    QString TrayTip() const { return trayTip_; }
    void RemoveTrayIcon() override { trayIcon_ = -1; }
    void PlaySound(const QString&) override {}
    void SetWaitCursor(bool on) override { waitCursor_ = on; }
    bool WaitCursor() const { return waitCursor_; }
    void SetClipboardText(const QString& text) override { clipboard_ = text; }
    QString ClipboardText() const { return clipboard_; }
    void SetGridVisible(bool visible) override { gridVisible_ = visible; }
    bool GridVisible() const override { return gridVisible_; }
    void SetButtonPressed(App::Command command, bool pressed) override;
    bool ButtonPressed(App::Command command) const override;
    void SetButtonEnabled(App::Command command, bool enabled) override;
    bool ButtonEnabled(App::Command command) const override;
    QString SearchText() const override { return searchText_; }
    void SetSearchText(const QString& text) override { searchText_ = text; }

private:
    struct Panel {
        QString text, tip, picture;
        bool enabled = true;
    };
    std::map<App::Panel, Panel> panels_;
    std::map<App::Command, bool> pressed_, enabled_;
    QString caption_, trayTip_, clipboard_, searchText_;
    int trayIcon_ = -1;
    bool topmost_ = false, visible_ = true, waitCursor_ = false, gridVisible_ = true;
};

} // namespace Ports
