#pragma once
// The screen side of the ports: the main window's bars, tray and sound as the core sees them,
// and message and input boxes.

#include "app/Ports.h"

#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <map>

class CTray;
class ImageRegistry;
class QAbstractButton;
class QAction;
class QComboBox;
class QMainWindow;
class QSoundEffect;
class StatusPanels;

class MainWindowPorts : public Ports::MainWindowPort {
public:
    // Any of the pieces may be nullptr; what is missing quietly does nothing.
    MainWindowPorts(QMainWindow* window, StatusPanels* panels, CTray* tray, QComboBox* search,
                    const ImageRegistry* images);
    ~MainWindowPorts() override;

    // The controls of tool-bar commands. A check-style command is a checkable action or button.
    void AddButton(App::Command command, QAbstractButton* button);
    void AddAction(App::Command command, QAction* action);
    void SetGridCallbacks(std::function<void(bool)> setVisible, std::function<bool()> visible);

    void SetPanelText(App::Panel panel, const QString& text) override;
    QString PanelText(App::Panel panel) const override;
    void SetPanelTip(App::Panel panel, const QString& tip) override;
    QString PanelTip(App::Panel panel) const override;
    void SetPanelPicture(App::Panel panel, const QString& imageKey) override;
    void SetPanelEnabled(App::Panel panel, bool enabled) override;

    void SetCaption(const QString& caption) override;
    // A note put before every caption (the day shown when it is not today); empty for none.
    void SetCaptionNote(const QString& note);
    QString Caption() const;
    void SetTopmost(bool on) override;
    bool Topmost() const;
    void BringToFront() override;
    void ShowWindow() override;
    void HideWindow() override;

    void SetTrayIcon(int index) override;
    void SetTrayTip(const QString& tip) override;
    void RemoveTrayIcon() override;

    void PlaySound(const QString& file) override;
    void SetWaitCursor(bool on) override;
    void SetClipboardText(const QString& text) override;

    void SetGridVisible(bool visible) override;
    bool GridVisible() const override;

    void SetButtonPressed(App::Command command, bool pressed) override;
    bool ButtonPressed(App::Command command) const override;
    void SetButtonEnabled(App::Command command, bool enabled) override;
    bool ButtonEnabled(App::Command command) const override;

    QString SearchText() const override;
    void SetSearchText(const QString& text) override;

private:
    QPointer<QMainWindow> window_;
    QString caption_, captionNote_;
    StatusPanels* panels_;
    CTray* tray_;
    QPointer<QComboBox> search_;
    std::map<App::Command, QPointer<QAbstractButton>> buttons_;
    std::map<App::Command, QPointer<QAction>> actions_;
    std::function<void(bool)> setGridVisible_;
    std::function<bool()> gridVisible_;
    bool waitCursor_ = false;
    bool topmost_ = false;
    // Used only when built with Qt Multimedia (TW_HAVE_MULTIMEDIA); kept so the layout never
    // varies.
    QSoundEffect* sound_ = nullptr;
};

// QMessageBox and QInputDialog over the given parent window.
class WidgetPrompt : public Ports::PromptPort {
public:
    explicit WidgetPrompt(QWidget* parent = nullptr) : parent_(parent) {}

    Ports::MsgAnswer MessageBox(const QString& text, const QString& title, Ports::MsgIcon icon,
                                Ports::MsgButtons buttons) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void EndProgram() override;

    static QMessageBox::Icon ToQtIcon(Ports::MsgIcon icon);
    static QMessageBox::StandardButtons ToQtButtons(Ports::MsgButtons buttons);
    // A box closed without a button (Esc, the close box) answers as its cancelling button.
    static Ports::MsgAnswer ToAnswer(int clicked, Ports::MsgButtons buttons);

private:
    QPointer<QWidget> parent_;
};
