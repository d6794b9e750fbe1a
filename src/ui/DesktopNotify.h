#pragma once
// Desktop notifications about news: the freedesktop notification service on the session bus,
// reached only through asynchronous calls, and the tray icon's message when no service answers.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

// Where the window's news notifications go. One notice at a time: a new one replaces the
// previous one instead of piling up.
class NoticeSink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Never waits for the desktop.
    virtual void Show(const QString& summary, const QStringList& lines) = 0;

signals:
    // The user chose "開く" on the notice.
    void OpenRequested();
    // The user clicked the notice itself.
    void FrontRequested();
};

// The icon a notice names: the installed theme icon's name, else a file URL of the window's icon
// drawn into the cache folder (a program run from where it was built has no theme icon).
QString NoticeIcon();

// The freedesktop notification service (org.freedesktop.Notifications).
class DBusNotifier : public NoticeSink {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 3000;
    // How long the bus keeps a call open for an answer that came after the time-out.
    static constexpr int LateAnswerMs = 25000;

    // connection: the session bus in the program, a private one in tests.
    explicit DBusNotifier(const QDBusConnection& connection, int timeoutMs = DefaultTimeoutMs,
                          QObject* parent = nullptr);

    void Show(const QString& summary, const QStringList& lines) override;
    // The id the service gave the last notice that it answered; 0 before.
    uint LastId() const { return lastId_; }
    // The service said it reads markup in the body: "&", "<" and ">" of titles are escaped.
    bool Markup() const { return markup_; }
    // Calls sent and neither answered nor past the time-out yet.
    int Pending() const { return pending_; }

signals:
    // The service is absent, broken or did not answer in time: the notice was not shown, or is
    // taken down when it shows late.
    void Failed(const QString& summary, const QStringList& lines);
    // A call was answered, well or not.
    void Answered();

private slots:
    void OnActionInvoked(uint id, const QString& key);
    void OnCapabilities(const QStringList& capabilities);

private:
    void Close(uint id);

    QDBusConnection connection_;
    int timeoutMs_;
    QString icon_;
    uint lastId_ = 0;
    QList<uint> ours_; // ids of notices this program showed, newest last
    bool markup_ = false;
    int pending_ = 0;
};

// The service first; when it fails, the tray icon's message through `trayMessage`, which returns
// false where there is no tray (the notice is then dropped).
class NewsNoticeSink : public NoticeSink {
    Q_OBJECT
public:
    NewsNoticeSink(DBusNotifier* service,
                   std::function<bool(const QString&, const QString&)> trayMessage,
                   QObject* parent = nullptr);
    void Show(const QString& summary, const QStringList& lines) override;
    DBusNotifier* Service() const { return service_; }

private:
    DBusNotifier* service_;
    std::function<bool(const QString&, const QString&)> trayMessage_;
};
