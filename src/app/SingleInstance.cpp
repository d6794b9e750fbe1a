#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <algorithm>
#include <unistd.h>

namespace Program {

namespace {

const QByteArray Request = QByteArrayLiteral("activate\n");
const QByteArray Reply = QByteArrayLiteral("ok\n");
constexpr qint64 MaxRequestBytes = 64;

// Runs the event loop until the socket reports anything or ms have passed. Both ends may live
// in this one thread, so the wait must let the other end work.
void WaitForSocket(QLocalSocket& socket, qint64 ms) {
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(int(std::min<qint64>(ms, 60000)));
    loop.exec();
}

void PumpFor(qint64 ms) {
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), folder_(dataFolder), lockPath_(QDir(dataFolder).filePath(LockFileName())) {}

SingleInstance::~SingleInstance() {
    // The socket goes before the lock, so a start that takes the lock over finds no live socket.
    delete server_;
    server_ = nullptr;
    lock_.reset();
}

QString SingleInstance::ServerName(const QString& dataFolder) {
    QString path = QFileInfo(dataFolder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(dataFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("tickerwisp-%1-%2")
        .arg(uint(getuid()))
        .arg(QString::fromLatin1(hash.toHex().left(16)));
}

bool SingleInstance::IsPrimary() const {
    return lock_ && lock_->isLocked();
}

bool SingleInstance::IsListening() const {
    return server_ && server_->isListening();
}

SingleInstance::Outcome SingleInstance::Start(int waitMs) {
    if (IsPrimary())
        return Outcome::Primary;
    if (!QDir().mkpath(folder_))
        return Outcome::NoLock;
    name_ = ServerName(folder_);
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone counts as stale.
    lock_->setStaleLockTime(0);

    const QDeadlineTimer deadline(std::max(0, waitMs));
    for (;;) {
        if (TryLock()) {
            Listen();
            return Outcome::Primary;
        }
        if (lock_->error() != QLockFile::LockFailedError)
            return Outcome::NoLock;
        // The owner may hold the lock without listening yet, or be about to end: ask again
        // until the time is up, and take the lock should it become free meanwhile.
        if (Ask(deadline.remainingTime()))
            return Outcome::Forwarded;
        if (deadline.hasExpired())
            return Outcome::NoAnswer;
        PumpFor(std::min<qint64>(RetryMs, deadline.remainingTime()));
    }
}

bool SingleInstance::TryLock() {
    return lock_->tryLock(0);
}

void SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file of this name is a leftover of a start that was killed.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
        qWarning("Cannot listen on %s: %s; a second start will not reach this one",
                 qUtf8Printable(name_), qUtf8Printable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

bool SingleInstance::Ask(qint64 remainingMs) {
    const QDeadlineTimer deadline(std::max<qint64>(0, remainingMs));
    QLocalSocket socket;
    socket.connectToServer(name_);
    while (socket.state() == QLocalSocket::ConnectingState && !deadline.hasExpired())
        WaitForSocket(socket, deadline.remainingTime());
    if (socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.write(Request);
    socket.flush();
    QByteArray answer;
    for (;;) {
        answer += socket.readAll();
        if (answer.contains('\n') || answer.size() > MaxRequestBytes ||
            socket.state() != QLocalSocket::ConnectedState || deadline.hasExpired())
            break;
        WaitForSocket(socket, deadline.remainingTime());
    }
    answer += socket.readAll();
    socket.abort();
    return answer.startsWith(Reply);
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
        // A caller that never speaks does not keep its socket.
        QTimer::singleShot(DefaultWaitMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        Serve(socket);
    }
}

void SingleInstance::Serve(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxRequestBytes) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray line = socket->readLine(MaxRequestBytes + 1);
    if (line != Request) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    socket->write(Reply);
    socket->flush();
    socket->disconnectFromServer();
    emit ActivationRequested();
}

} // namespace Program
