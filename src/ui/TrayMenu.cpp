#include "ui/TrayMenu.h"

#include "ui/Accessibility.h"

#include <QAction>

TrayMenu::TrayMenu(QAction* timer, QAction* reload, std::function<void()> show,
                   std::function<void()> quit, QWidget* parent)
    : QMenu(parent), windowTimer_(timer), windowReload_(reload) {
    setObjectName(QStringLiteral("TrayMenu"));
    const Accessibility::Names names = Accessibility::Of(objectName());
    setTitle(names.name);
    setAccessibleName(names.name);
    setAccessibleDescription(names.description);

    show_ = AddEntry(QStringLiteral("TrayShow"));
    addSeparator();
    timer_ = AddEntry(QStringLiteral("TrayTimer"));
    timer_->setCheckable(true);
    reload_ = AddEntry(QStringLiteral("TrayReload"));
    addSeparator();
    quit_ = AddEntry(QStringLiteral("TrayQuit"));
    setDefaultAction(show_);

    connect(show_, &QAction::triggered, this, [show = std::move(show)] { show(); });
    // The window's button is pressed or released as a click would: its command runs from there.
    // The window's button is pressed or released as a click would: its command runs from there,
    // once the menu has gone (a cycle waits on the network with the events running).
    connect(timer_, &QAction::triggered, this, [this](bool checked) {
        QMetaObject::invokeMethod(
            this,
            [this, checked] {
                if (windowTimer_ && windowTimer_->isEnabled() &&
                    windowTimer_->isChecked() != checked)
                    windowTimer_->setChecked(checked);
                Sync();
            },
            Qt::QueuedConnection);
    });
    connect(reload_, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (windowReload_ && windowReload_->isEnabled())
                    windowReload_->trigger();
            },
            Qt::QueuedConnection);
    });
    connect(quit_, &QAction::triggered, this, [quit = std::move(quit)] { quit(); });
    connect(this, &QMenu::aboutToShow, this, &TrayMenu::Sync);
    Sync();
}

QAction* TrayMenu::AddEntry(const QString& objectName) {
    const Accessibility::Names names = Accessibility::Of(objectName);
    QAction* entry = addAction(names.text);
    entry->setObjectName(objectName);
    entry->setToolTip(names.description);
    entry->setStatusTip(names.description);
    return entry;
}

void TrayMenu::Sync() {
    // The program sets the window's buttons with their signals blocked, so the state is read
    // here rather than followed.
    timer_->setChecked(windowTimer_ && windowTimer_->isChecked());
    timer_->setEnabled(windowTimer_ && windowTimer_->isEnabled());
    reload_->setEnabled(windowReload_ && windowReload_->isEnabled());
}
