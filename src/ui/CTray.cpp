#include "ui/CTray.h"

#include <QMenu>
#include <QWidget>

CTray::CTray(QObject* parent) : QObject(parent) {
    connect(&tray_, &QSystemTrayIcon::activated, this, &CTray::OnActivated);
    blink_.setInterval(1000);
    connect(&blink_, &QTimer::timeout, this, &CTray::BlinkTick);
    blink_.start();
}

CTray::~CTray() {
    if (visible_)
        DeleteIcon();
}

bool CTray::TrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

int CTray::NextBlinkIndex(int index) {
    if (index == 1)
        return 2;
    if (index == 2)
        return 1;
    return index;
}

bool CTray::AddIcon(QWidget* window) {
    if (icon_.isNull())
        return false;
    window_ = window;
    if (!TrayAvailable())
        return false;
    tray_.setIcon(icon_);
    tray_.setToolTip(tip_);
    tray_.show();
    visible_ = true;
    restoreRaised_ = false;
    return true;
}

void CTray::DeleteIcon() {
    tray_.hide();
    visible_ = false;
}

void CTray::SetMenu(QMenu* menu) {
    menu_ = menu;
    tray_.setContextMenu(menu);
}

void CTray::SetIconTable(const QList<QIcon>& icons) {
    table_ = icons;
    if (index_ >= 0)
        SetIconIndex(index_);
}

void CTray::SetIconIndex(int index) {
    SetIcon(index >= 0 && index < table_.size() ? table_.at(index) : QIcon());
    index_ = index >= 0 && index < table_.size() ? index : -1;
}

void CTray::SetIcon(const QIcon& icon) {
    icon_ = icon;
    index_ = -1;
    if (visible_)
        tray_.setIcon(icon_);
}

void CTray::SetToolTipText(const QString& text) {
    tip_ = text.left(MaxTipLength);
    if (visible_)
        tray_.setToolTip(tip_);
}

void CTray::SetVisible(bool visible) {
    if (visible)
        AddIcon(window_);
    else
        DeleteIcon();
}

void CTray::BlinkTick() {
    if (icon_.isNull() || index_ < 0)
        return;
    const int next = NextBlinkIndex(index_);
    if (next != index_)
        SetIconIndex(next);
}

void CTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // Many trays report only this, so a single click restores like a double click.
        emit MouseDown(LeftButton);
        emit MouseUp(LeftButton);
        emit Click();
        restoreRaised_ = true;
        emit DblClick();
        break;
    case QSystemTrayIcon::DoubleClick:
        // X11 trays send a Trigger for the first press: the restore was asked for already.
        if (!restoreRaised_)
            emit DblClick();
        restoreRaised_ = false;
        emit MouseUp(LeftButton);
        break;
    case QSystemTrayIcon::Context:
        emit MouseDown(RightButton);
        emit MouseUp(RightButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit MouseDown(MiddleButton);
        emit MouseUp(MiddleButton);
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}
