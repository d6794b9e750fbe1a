#pragma once
// A session bus of the test's own (dbus-daemon) and a stand-in for the desktop's notification
// service on it, which records what it is asked and can click a notice's action.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

class PrivateBus {
public:
    ~PrivateBus() {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.kill();
            daemon_.waitForFinished(3000);
        }
    }
    static bool Available() {
        return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }
    // Starts the daemon; the address it listens on, "" when it did not start.
    QString Start() {
        daemon_.setProgram(QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")));
        daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--print-address"),
                              QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
        daemon_.start();
        if (!daemon_.waitForStarted(5000))
            return QString();
        QByteArray out;
        while (!out.contains('\n') && daemon_.waitForReadyRead(5000))
            out += daemon_.readAllStandardOutput();
        address_ = QString::fromUtf8(out).trimmed();
        return address_;
    }
    // A connection of its own to the bus, under a name unique to this process.
    QDBusConnection Connect(const QString& name) {
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
};

class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app;
        uint replaces = 0;
        QString icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Call> calls;
    bool silent = false;   // never answers Notify
    int answerAfterMs = 0; // answers Notify that late
    QList<uint> closed;    // the ids CloseNotification was asked for
    bool markup = false;   // reads markup in the body
    QList<QDBusMessage> unanswered;

    explicit FakeNotifications(const QDBusConnection& bus) : bus_(bus) {}
    bool Register() {
        return bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                   QDBusConnection::ExportAllSlots) &&
               bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    // The user chooses an action of notice `id` ("default" is a click on the notice).
    void Invoke(uint id, const QString& key) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << key;
        bus_.send(signal);
    }
    uint LastGivenId() const { return nextId_; }

public slots:
    QStringList GetCapabilities() {
        QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};
        if (markup)
            capabilities << QStringLiteral("body-markup");
        return capabilities;
    }
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        calls.append({app, replaces, icon, summary, body, actions, hints});
        if (silent) {
            setDelayedReply(true);
            unanswered.append(message());
            return 0;
        }
        const uint id = replaces != 0 ? replaces : ++nextId_;
        if (answerAfterMs > 0) {
            setDelayedReply(true);
            QTimer::singleShot(answerAfterMs, this,
                               [this, id, call = message()] { bus_.send(call.createReply(id)); });
        }
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }

private:
    QDBusConnection bus_;
    uint nextId_ = 40;
};
