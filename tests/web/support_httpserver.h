#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the download tests. Each path gets a canned
// response; the server can delay, never answer or drop the connection. It also records every
// request line, so it doubles as a proxy recorder (a proxied request arrives as
// "GET http://host:port/path HTTP/1.1").

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

struct CannedResponse {
    int status = 200;
    QByteArray reason = "OK";
    QList<QPair<QByteArray, QByteArray>> headers = {};
    QByteArray body = {};
    int delayMs = 0;             // wait before answering at all
    bool neverAnswer = false;    // keep the connection open and silent
    bool drop = false;           // close the connection without a word
    qint64 announcedLength = -1; // >= 0: Content-Length to claim instead of the real one
    bool keepOpen = false;       // leave the connection open after the body
};

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    TestHttpServer();
    ~TestHttpServer() override;

    quint16 Port() const { return server_.serverPort(); }
    QString Url(const QString& path) const;
    // path includes the query; "*" answers any path without an own response.
    void Serve(const QString& path, const CannedResponse& response) { routes_[path] = response; }
    void Serve(const QString& path, const QByteArray& body,
               const QList<QPair<QByteArray, QByteArray>>& headers = {});

    // Request lines as received ("GET /a HTTP/1.1"), in order.
    QStringList RequestLines() const { return requestLines_; }

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void Respond(QTcpSocket* socket, const CannedResponse& response);

    QTcpServer server_;
    QHash<QString, CannedResponse> routes_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QStringList requestLines_;
};

Q_DECLARE_METATYPE(CannedResponse)
