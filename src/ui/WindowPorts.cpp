#include "ui/WindowPorts.h"

#include "ui/CTray.h"
#include "ui/FormOption.h"
#include "ui/ImageRegistry.h"
#include "ui/StatusPanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMainWindow>
#include <QProcess>
#include <QSignalBlocker>
#include <QStandardPaths>
#ifdef TW_HAVE_MULTIMEDIA
#include <QSoundEffect>
#include <QUrl>
#endif

using namespace Ports;

MainWindowPorts::MainWindowPorts(QMainWindow* window, StatusPanels* panels, CTray* tray,
                                 QComboBox* search, const ImageRegistry* images)
    : window_(window), panels_(panels), tray_(tray), search_(search) {
    if (tray_ && images) {
        tray_->SetIconTable({images->Icon(QStringLiteral("NORMAL")),
                             images->Icon(QStringLiteral("NEW_0")),
                             images->Icon(QStringLiteral("NEW_1"))});
    }
}

MainWindowPorts::~MainWindowPorts() {
    if (waitCursor_)
        QApplication::restoreOverrideCursor();
#ifdef TW_HAVE_MULTIMEDIA
    delete sound_;
#endif
}

namespace {
template <typename T>
T* Find(const std::map<App::Command, QPointer<T>>& map, App::Command command) {
    const auto it = map.find(command);
    return it == map.end() ? nullptr : it->second.data();
}
} // namespace

void MainWindowPorts::AddButton(App::Command command, QAbstractButton* button) {
    buttons_[command] = button;
}

void MainWindowPorts::AddAction(App::Command command, QAction* action) {
    actions_[command] = action;
}

void MainWindowPorts::SetGridCallbacks(std::function<void(bool)> setVisible,
                                       std::function<bool()> visible) {
    setGridVisible_ = std::move(setVisible);
    gridVisible_ = std::move(visible);
}

void MainWindowPorts::SetPanelText(App::Panel panel, const QString& text) {
    if (panels_)
        panels_->setText(panel, text);
}

QString MainWindowPorts::PanelText(App::Panel panel) const {
    return panels_ ? panels_->text(panel) : QString();
}

void MainWindowPorts::SetPanelTip(App::Panel panel, const QString& tip) {
    if (panels_)
        panels_->setTip(panel, tip);
}

QString MainWindowPorts::PanelTip(App::Panel panel) const {
    return panels_ ? panels_->tip(panel) : QString();
}

void MainWindowPorts::SetPanelPicture(App::Panel panel, const QString& imageKey) {
    if (panels_)
        panels_->setPicture(panel, imageKey);
}

void MainWindowPorts::SetPanelEnabled(App::Panel panel, bool enabled) {
    if (panels_)
        panels_->setPanelEnabled(panel, enabled);
}

void MainWindowPorts::SetCaption(const QString& caption) {
    caption_ = caption;
    if (window_)
        window_->setWindowTitle(Caption());
}

void MainWindowPorts::SetCaptionNote(const QString& note) {
    captionNote_ = note;
    if (window_)
        window_->setWindowTitle(Caption());
}

QString MainWindowPorts::Caption() const {
    return captionNote_.isEmpty() ? caption_ : captionNote_ + QStringLiteral(" ") + caption_;
}

void MainWindowPorts::SetTopmost(bool on) {
    // "Topmost on, then off" only brings the window to the front: toggling the stays-on-top flag
    // would re-map the window on X11. Off therefore changes nothing on the screen.
    topmost_ = on;
    if (on && window_) {
        window_->raise();
        window_->activateWindow();
    }
}

bool MainWindowPorts::Topmost() const {
    return topmost_;
}

void MainWindowPorts::BringToFront() {
    if (!window_)
        return;
    if (window_->isMinimized())
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->raise();
    window_->activateWindow();
}

void MainWindowPorts::ShowWindow() {
    if (!window_)
        return;
    if (window_->isMinimized())
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
}

void MainWindowPorts::HideWindow() {
    if (window_)
        window_->hide();
}

void MainWindowPorts::SetTrayIcon(int index) {
    if (tray_)
        tray_->SetIconIndex(index);
}

void MainWindowPorts::SetTrayTip(const QString& tip) {
    if (tray_)
        tray_->SetToolTipText(tip);
}

void MainWindowPorts::RemoveTrayIcon() {
    if (tray_)
        tray_->DeleteIcon();
}

void MainWindowPorts::PlaySound(const QString& file) {
    // The name is passed on as the settings hold it; an empty one means "no sound".
    if (file.isEmpty())
        return;
    // A sound that cannot play is said after what the cycle said, not in a box that would stop
    // the patrol: the user may be away from the screen.
    if (const QString problem = FormOption::SoundFileProblem(file); !problem.isEmpty()) {
        const QString said = PanelText(App::Panel::Message);
        SetPanelText(App::Panel::Message,
                     said.isEmpty() ? problem : said + QStringLiteral("　") + problem);
        return;
    }
#ifdef TW_HAVE_MULTIMEDIA
    if (!sound_)
        sound_ = new QSoundEffect;
    sound_->stop();
    sound_->setSource(QUrl::fromLocalFile(file));
    sound_->play();
#else
    // Without Qt Multimedia, hand the file to the desktop's own player, detached.
    for (const QString& player : {QStringLiteral("paplay"), QStringLiteral("aplay")}) {
        const QString program = QStandardPaths::findExecutable(player);
        if (!program.isEmpty() && QFileInfo(file).isFile()) {
            QStringList args{file};
            if (player == QLatin1String("aplay"))
                args.prepend(QStringLiteral("-q"));
            if (QProcess::startDetached(program, args))
                return;
        }
    }
#endif
}

void MainWindowPorts::SetWaitCursor(bool on) {
    // Override cursors stack: keep exactly one of ours.
    if (on == waitCursor_)
        return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindowPorts::SetClipboardText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void MainWindowPorts::SetGridVisible(bool visible) {
    if (setGridVisible_)
        setGridVisible_(visible);
}

bool MainWindowPorts::GridVisible() const {
    return gridVisible_ ? gridVisible_() : false;
}

void MainWindowPorts::SetButtonPressed(App::Command command, bool pressed) {
    // Setting the state is not a click: no command runs. Commands follow a check-style action's
    // toggled signal (an assistive technology's Toggle sends no other), so that signal is held
    // back; the button still follows the action through its change event.
    if (QAction* action = Find(actions_, command)) {
        const QSignalBlocker quiet(action);
        action->setChecked(pressed);
    } else if (QAbstractButton* button = Find(buttons_, command)) {
        const QSignalBlocker quiet(button);
        button->setChecked(pressed);
    }
}

bool MainWindowPorts::ButtonPressed(App::Command command) const {
    if (QAction* action = Find(actions_, command))
        return action->isChecked();
    if (QAbstractButton* button = Find(buttons_, command))
        return button->isChecked();
    return false;
}

void MainWindowPorts::SetButtonEnabled(App::Command command, bool enabled) {
    if (command == App::Command::SearchBox) {
        if (search_)
            search_->setEnabled(enabled);
    } else if (QAction* action = Find(actions_, command)) {
        action->setEnabled(enabled);
    } else if (QAbstractButton* button = Find(buttons_, command)) {
        button->setEnabled(enabled);
    }
}

bool MainWindowPorts::ButtonEnabled(App::Command command) const {
    // The state of the control itself, whether or not its window is shown or enabled.
    if (command == App::Command::SearchBox)
        return search_ && search_->isEnabledTo(search_->window());
    if (QAction* action = Find(actions_, command))
        return action->isEnabled();
    if (QAbstractButton* button = Find(buttons_, command))
        return button->isEnabledTo(button->window());
    return false;
}

QString MainWindowPorts::SearchText() const {
    return search_ ? search_->currentText() : QString();
}

void MainWindowPorts::SetSearchText(const QString& text) {
    if (!search_)
        return;
    if (search_->isEditable())
        search_->setEditText(text);
    else
        search_->setCurrentText(text);
}

// --- prompts ---

QMessageBox::Icon WidgetPrompt::ToQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons WidgetPrompt::ToQtButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer WidgetPrompt::ToAnswer(int clicked, MsgButtons buttons) {
    if (ToQtButtons(buttons).testFlag(static_cast<QMessageBox::StandardButton>(clicked))) {
        switch (clicked) {
        case QMessageBox::Ok:
            return MsgAnswer::Ok;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        default:
            break;
        }
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
        break;
    }
    return MsgAnswer::Cancel;
}

MsgAnswer WidgetPrompt::MessageBox(const QString& text, const QString& title, MsgIcon icon,
                                   MsgButtons buttons) {
    QMessageBox box(ToQtIcon(icon), title.isEmpty() ? QCoreApplication::applicationName() : title,
                    text, ToQtButtons(buttons), parent_);
    box.setTextFormat(Qt::PlainText);
    return ToAnswer(box.exec(), buttons);
}

std::optional<QString> WidgetPrompt::InputBox(const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    QInputDialog dialog(parent_);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void WidgetPrompt::EndProgram() {
    // Leave the event loop first, so that windows closing now cannot start anything new.
    QCoreApplication::exit(0);
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->isVisible())
            w->close();
    }
}
