#pragma once
// The tray icon's menu: the way back to the window on desktops whose tray never passes a click
// on, and the patrol's two commands without opening the window.

#include <QMenu>
#include <functional>

class QAction;

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    // timer and reload are the window's own commands: the entries follow their state and run
    // them. show brings the window back; quit closes it as its close box does.
    TrayMenu(QAction* timer, QAction* reload, std::function<void()> show,
             std::function<void()> quit, QWidget* parent = nullptr);

    QAction* ShowEntry() const { return show_; }
    QAction* TimerEntry() const { return timer_; }
    QAction* ReloadEntry() const { return reload_; }
    QAction* QuitEntry() const { return quit_; }

    // Takes over the state of the window's commands; done each time the menu opens.
    void Sync();

private:
    QAction* AddEntry(const QString& objectName);

    QAction* windowTimer_;
    QAction* windowReload_;
    QAction* show_;
    QAction* timer_;
    QAction* reload_;
    QAction* quit_;
};
