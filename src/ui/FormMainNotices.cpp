// The main window's part in the desktop notifications: where they go, and what their actions
// do in the window.

#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "text/Common.h"
#include "ui/ArticleViewer.h"
#include "ui/CTray.h"
#include "ui/DesktopNotify.h"
#include "ui/FormMain.h"
#include "ui/NewsNotices.h"
#include "ui/WindowPorts.h"

#include <QTimer>

namespace {
constexpr int TrayMessageMs = 10000;
}

void FormMain::BuildNotices() {
    // Without a notification service the tray icon speaks; where there is no tray, nobody.
    auto trayMessage = [this](const QString& summary, const QString& body) {
        if (!CTray::TrayAvailable())
            return false;
        QSystemTrayIcon& icon = tray_->SystemIcon();
        const bool shownForMessage = !icon.isVisible();
        if (shownForMessage) {
            icon.setIcon(windowIcon());
            icon.show();
        }
        icon.showMessage(summary, body, QSystemTrayIcon::Information, TrayMessageMs);
        if (shownForMessage)
            QTimer::singleShot(TrayMessageMs, this, [this] {
                if (!tray_->Visible())
                    tray_->SystemIcon().hide();
            });
        return true;
    };
    auto* service = new DBusNotifier(QDBusConnection::sessionBus());
    notices_ = new NewsNotices(store_, settings_, new NewsNoticeSink(service, trayMessage), this);
    notices_->OpenStep = [this](int index) { OpenStoredHeadline(index); };
    notices_->FrontStep = [this] {
        if (tray_->Visible())
            Tray_DblClick();
        else
            ports_->BringToFront();
    };
    connect(&tray_->SystemIcon(), &QSystemTrayIcon::messageClicked, this,
            [this] { notices_->FrontStep(); });
}

void FormMain::OpenStoredHeadline(int storeIndex) {
    if (storeIndex < 0 || storeIndex > store_.UBound())
        return;
    const News::NewsItem item = store_.Item(storeIndex);
    if (item.Url.isEmpty())
        return;
    OpenHeadlineArticle(item);
    // The open may have let a merge run: find the headline again before marking it.
    const int opened =
        store_.FindNewsItem(item.Posted, item.Source, item.Category, item.Title, item.Url);
    if (opened < 0)
        return;
    News::MarkOpened(store_, opened);
    const int row = store_.Count() - opened;
    if (table_.StoreIndexOfRow(row) == opened)
        table_.MarkOpenedPicture(row);
}
