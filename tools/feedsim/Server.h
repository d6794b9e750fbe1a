#pragma once
// The HTTP side: two listening ports on 127.0.0.1 (the portal with the boards and articles, and
// the disclosure service), fault injection and the control endpoints.

#include "Content.h"
#include "Encode.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrlQuery>

namespace Feedsim {

struct FaultMode {
    enum Kind {
        None,
        Delay,
        Hang,
        Status,
        Reset,
        Truncate,
        Huge,
        Drip,
        WrongEnc,
        Rows,
        Malformed,
        BadDate
    };
    Kind kind = None;
    qint64 value = 0;
    bool random = false; // wrongenc:random
};

// "delay:MS", "hang", "500" (any status 100..599), "reset", "truncate", "huge:MB",
// "drip" / "drip:MS", "wrongenc" / "wrongenc:random", "rows:N", and for feeds "malformed" and
// "baddate".
bool ParseFault(const QString& text, FaultMode& out);

class Server : public QObject {
public:
    Server(Content& content, SimClock& clock, PageEncoding encoding, quint64 seed);

    // key: a source code, "tdnet" (the disclosure list), "board", "feed", "article", "*", or a
    // path prefix beginning with "/".
    void SetFault(const QString& key, const FaultMode& mode) { faults_.insert(key, mode); }
    bool Listen(quint16 portalPort, quint16 tdnetPort, QString& error);
    quint16 PortalPort() const { return portal_.serverPort(); }
    quint16 TdnetPort() const { return tdnet_.serverPort(); }

    struct Response {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    // Request header fields by lower-case name.
    using Fields = QHash<QByteArray, QByteArray>;

    // One request: its target ("/cp/reu?date=20240105"), which port it came in on and its
    // header fields. The caller sends the response the way the fault asks for.
    Response Answer(const QString& target, bool tdnetSide, FaultMode& fault,
                    const Fields& fields = {});
    quint64 Seed() const { return seed_; }

private:
    void Accept(QTcpServer* from, bool tdnetSide);
    Response Control(const QString& path, const QUrlQuery& query);
    // /feeds/<rss2|rss1|atom>/<source>.xml; 304 when the client's copy is current.
    Response FeedAnswer(const QString& path, const QUrlQuery& query, const FaultMode& fault,
                        const Fields& fields);
    // "reu", "tdnet", "board" or "article": the name a --fault entry uses for a path.
    QString FaultKey(const QString& path, bool tdnetSide) const;
    FaultMode FaultFor(const QString& target, const QString& key) const;
    QString Origin(bool tdnetSide) const;

    Content& content_;
    SimClock& clock_;
    PageEncoding encoding_;
    quint64 seed_;
    QTcpServer portal_;
    QTcpServer tdnet_;
    QHash<QString, FaultMode> faults_;
    QMap<QString, int> stats_;
};

} // namespace Feedsim
