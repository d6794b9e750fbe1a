#include "ui/DesktopNotify.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString AppName = QStringLiteral("Tickerwisp");
const QString AppId = QStringLiteral("io.github.tickerwisp.Tickerwisp");
const QString OpenKey = QStringLiteral("open");
const QString DefaultKey = QStringLiteral("default");

QString EscapeMarkup(QString text) {
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    return text;
}

} // namespace

QString NoticeIcon() {
    // Installed: the desktop finds the theme icon by the program's id.
    for (const QString& file : {QStringLiteral("icons/hicolor/scalable/apps/"),
                                QStringLiteral("icons/hicolor/48x48/apps/")}) {
        const QString name =
            file + AppId +
            (file.contains(u"scalable") ? QStringLiteral(".svg") : QStringLiteral(".png"));
        if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation, name).isEmpty())
            return AppId;
    }
    // Run from where it was built: the window's own icon, drawn once into the cache folder,
    // where the desktop can read it.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString path = folder + u'/' + AppId + QStringLiteral(".png");
    if (QFileInfo(path).size() > 0)
        return QUrl::fromLocalFile(path).toString();
    const QPixmap picture = QGuiApplication::windowIcon().pixmap(64, 64);
    if (!picture.isNull() && QDir().mkpath(folder) && picture.save(path, "PNG"))
        return QUrl::fromLocalFile(path).toString();
    return AppId;
}

DBusNotifier::DBusNotifier(const QDBusConnection& connection, int timeoutMs, QObject* parent)
    : NoticeSink(parent), connection_(connection), timeoutMs_(timeoutMs), icon_(NoticeIcon()) {
    if (!connection_.isConnected())
        return;
    // Any sender: naming the service would have the bus asked for its owner, and wait for it.
    connection_.connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                        SLOT(OnActionInvoked(uint, QString)));
    // Whether the body may carry markup decides whether "&" and "<" in titles are escaped.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(ask, timeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<QStringList> reply = *call;
                if (!reply.isError())
                    OnCapabilities(reply.value());
                call->deleteLater();
            });
}

void DBusNotifier::OnCapabilities(const QStringList& capabilities) {
    markup_ = capabilities.contains(QStringLiteral("body-markup"));
}

void DBusNotifier::Show(const QString& summary, const QStringList& lines) {
    if (!connection_.isConnected()) {
        emit Failed(summary, lines);
        return;
    }
    QStringList body = lines;
    if (markup_) {
        for (QString& line : body)
            line = EscapeMarkup(line);
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), AppId);
    call << AppName << lastId_ << icon_ << summary << body.join(u'\n')
         << QStringList{DefaultKey, QStringLiteral("表示"), OpenKey, QStringLiteral("開く")}
         << hints << qint32(-1);
    ++pending_;
    // The bus waits long for the answer; the user waits only timeoutMs_ before the tray speaks
    // instead. A notice the service shows after that is taken down again, so that the news is
    // not told twice.
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call, LateAnswerMs), this);
    auto* deadline = new QTimer(watcher);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, summary, lines] {
        --pending_;
        emit Failed(summary, lines);
        emit Answered();
    });
    deadline->start(timeoutMs_);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, deadline, summary, lines](QDBusPendingCallWatcher* pending) {
                const QDBusPendingReply<uint> reply = *pending;
                pending->deleteLater();
                if (!deadline->isActive()) {
                    if (!reply.isError())
                        Close(reply.value());
                    return;
                }
                deadline->stop();
                --pending_;
                if (reply.isError()) {
                    emit Failed(summary, lines);
                } else {
                    lastId_ = reply.value();
                    ours_.removeAll(lastId_);
                    ours_.append(lastId_);
                    // Actions of long-gone notices are not ours to follow any more.
                    while (ours_.size() > 8)
                        ours_.removeFirst();
                }
                emit Answered();
            });
}

void DBusNotifier::Close(uint id) {
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface,
                                                       QStringLiteral("CloseNotification"));
    call << id;
    // Sent without waiting for an answer.
    connection_.send(call);
}

void DBusNotifier::OnActionInvoked(uint id, const QString& key) {
    if (!ours_.contains(id))
        return;
    if (key == OpenKey)
        emit OpenRequested();
    else if (key == DefaultKey)
        emit FrontRequested();
}

NewsNoticeSink::NewsNoticeSink(DBusNotifier* service,
                               std::function<bool(const QString&, const QString&)> trayMessage,
                               QObject* parent)
    : NoticeSink(parent), service_(service), trayMessage_(std::move(trayMessage)) {
    service_->setParent(this);
    connect(service_, &NoticeSink::OpenRequested, this, &NoticeSink::OpenRequested);
    connect(service_, &NoticeSink::FrontRequested, this, &NoticeSink::FrontRequested);
    connect(service_, &DBusNotifier::Failed, this,
            [this](const QString& summary, const QStringList& lines) {
                if (trayMessage_)
                    trayMessage_(summary, lines.join(u'\n'));
            });
}

void NewsNoticeSink::Show(const QString& summary, const QStringList& lines) {
    service_->Show(summary, lines);
}
