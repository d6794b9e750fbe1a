#include "support_httpserver.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

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
    const qint64 length =
        response.announcedLength >= 0 ? response.announcedLength : response.body.size();
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    socket->write(head + "\r\n" + response.body);
    if (!response.keepOpen)
        socket->disconnectFromHost();
}
