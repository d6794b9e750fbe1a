#pragma once
// The screen side of the ports: the main window's bars, tray and sound as the core sees them,
// and message and input boxes.

#include "app/Ports.h"

#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <functional>

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

    // Tool-bar commands by key. A check-style command is a checkable action or button.
    void AddButton(const QString& key, QAbstractButton* button);
    void AddAction(const QString& key, QAction* action);
    void SetGridCallbacks(std::function<void(bool)> setVisible, std::function<bool()> visible);

    void SetPanelText(const QString& key, const QString& text) override;
    QString PanelText(const QString& key) const override;
    void SetPanelTip(const QString& key, const QString& tip) override;
    QString PanelTip(const QString& key) const override;
    void SetPanelPicture(const QString& key, const QString& imageKey) override;
    void SetPanelEnabled(const QString& key, bool enabled) override;

    void SetCaption(const QString& caption) override;
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

    void SetButtonPressed(const QString& key, bool pressed) override;
    bool ButtonPressed(const QString& key) const override;
    void SetButtonEnabled(const QString& key, bool enabled) override;
    bool ButtonEnabled(const QString& key) const override;

    QString SearchText() const override;
    void SetSearchText(const QString& text) override;

    static constexpr const char* SearchBoxKey = "ComboSearch";

private:
    QPointer<QMainWindow> window_;
    StatusPanels* panels_;
    CTray* tray_;
    QPointer<QComboBox> search_;
    QHash<QString, QPointer<QAbstractButton>> buttons_;
    QHash<QString, QPointer<QAction>> actions_;
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
