// Any bytes as the message-board pages, served by a small HTTP server inside this process on
// 127.0.0.1. The first byte holds the switches (bit 0: cut messages that carry links, bit 1: a
// date limit in the future, so the first message ends the report); then the list page and the
// message pages, separated by zero bytes. Message links take the message pages in turn.

#include "FuzzInput.h"
#include "app/SettingsState.h"
#include "parsers/Board.h"
#include "web/clsWEB.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

class PageServer : public QObject {
public:
    QByteArray list;
    QList<QByteArray> messages;
    int served = 0;

    PageServer() {
        FUZZ_CHECK(server_.listen(QHostAddress::LocalHost, 0));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Origin() const {
        return QStringLiteral("http://127.0.0.1:") + QString::number(server_.serverPort());
    }

private:
    void Answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray target = request.split(' ').value(1);
        pending_.remove(socket);
        QByteArray body;
        if (target.startsWith("/?action=q"))
            body = list;
        else if (!messages.isEmpty())
            body = messages.at(served++ % messages.size());
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
                      "Content-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

PageServer* server = nullptr;
clsWEB* web = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv); // the downloads wait in its event loop
    server = new PageServer;
    web = new clsWEB;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader in(data, size);
    const uint8_t switches = in.Byte();
    QList<QByteArray> pages = in.Pieces(64);
    while (pages.size() > 1 && pages.back().isEmpty())
        pages.removeLast();
    server->list = pages.takeFirst();
    server->messages = pages;
    server->served = 0;

    const QDateTime limit = switches & 2 ? QDateTime(QDate(2999, 1, 1), QTime(0, 0))
                                         : QDateTime(QDate(1900, 1, 1), QTime(0, 0));
    QString previous, next;
    int lastValue = -1;
    const Yahoo::BoardSite site{*web, server->Origin()};
    const QString report = Yahoo::SummariseBoard(
        site, Yahoo::BoardListAddress(site, QStringLiteral("7203")),
        [&](int value, int maximum) {
            FUZZ_CHECK(value >= 0 && value <= maximum);
            lastValue = value;
        },
        switches & 1, limit, previous, next);
    // A report is begun only once the list has message links, and it then ends its progress.
    if (!report.isEmpty())
        FUZZ_CHECK(lastValue >= 0);
    return 0;
}
