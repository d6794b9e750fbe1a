#include "support_httpserver.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

TestHttpServer::TestHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &TestHttpServer::OnNewConnection);
}

TestHttpServer::~TestHttpServer() {
    server_.close();
}

QString TestHttpServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

void TestHttpServer::Serve(const QString& path, const QByteArray& body,
                           const QList<QPair<QByteArray, QByteArray>>& headers) {
    routes_[path] = CannedResponse{.headers = headers, .body = body};
}

void TestHttpServer::OnNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::OnReadyRead(QTcpSocket* socket) {
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = buffer.left(end);
    buffer.remove(0, end + 4);
    const QByteArray requestLine = head.split('\r').first();
    requestLines_.append(QString::fromLatin1(requestLine));

    QString target = QString::fromLatin1(requestLine.split(' ').value(1));
    // A proxied request names the whole address; route it by its path.
    if (target.startsWith(QStringLiteral("http://"))) {
        const qsizetype slash = target.indexOf(u'/', 7);
        target = slash < 0 ? QStringLiteral("/") : target.mid(slash);
    }
    const CannedResponse response = routes_.value(
        target, routes_.value(QStringLiteral("*"),
                              {.status = 404, .reason = "Not Found", .body = "missing"}));

    if (response.neverAnswer)
        return;
    if (response.delayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(response.delayMs, this, [this, guard, response] {
            if (guard)
                Respond(guard, response);
        });
        return;
    }
    Respond(socket, response);
}

void TestHttpServer::Respond(QTcpSocket* socket, const CannedResponse& response) {
    if (response.drop) {
        socket->abort();
        return;
    }
    const qint64 length = response.streamBytes > 0 ? response.streamBytes : response.body.size();
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    head += "Content-Length: " +
            QByteArray::number(response.announcedLength >= 0 ? response.announcedLength : length) +
            "\r\n";
    head += "Connection: close\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "\r\n";
    socket->write(head);

    if (response.streamBytes > 0) {
        Stream(socket, response.streamBytes);
        return;
    }
    if (response.dripChunks <= 0) {
        socket->write(response.body);
        if (!response.keepOpen)
            socket->disconnectFromHost();
        return;
    }
    // Drip: one piece per tick, then close.
    auto pieces = std::make_shared<QList<QByteArray>>();
    const qsizetype size = response.body.size();
    const qsizetype step =
        std::max<qsizetype>(1, (size + response.dripChunks - 1) / response.dripChunks);
    for (qsizetype at = 0; at < size; at += step)
        pieces->append(response.body.mid(at, step));
    QPointer<QTcpSocket> guard(socket);
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [guard, pieces, timer] {
        if (!guard)
            return;
        if (pieces->isEmpty()) {
            timer->stop();
            guard->disconnectFromHost();
            return;
        }
        guard->write(pieces->takeFirst());
    });
    timer->start(response.dripIntervalMs);
}

void TestHttpServer::Stream(QTcpSocket* socket, qint64 remaining) {
    // Keep a few megabytes in flight; refill as the client drains them.
    static constexpr qint64 chunk = 1 << 20;
    auto left = std::make_shared<qint64>(remaining);
    const QByteArray block(chunk, 'x');
    auto refill = [socket, left, block] {
        while (*left > 0 && socket->bytesToWrite() < 4 * chunk) {
            const qint64 n = std::min<qint64>(*left, chunk);
            socket->write(block.constData(), n);
            *left -= n;
        }
        if (*left == 0 && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}
