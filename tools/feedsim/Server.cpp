#include "Server.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <sys/socket.h>

namespace Feedsim {

namespace {

QByteArray Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray HttpDate(const QDateTime& local) {
    return QLocale::c()
        .toString(local.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
        .toLatin1();
}

QByteArray HeadBytes(const Server::Response& r, qint64 contentLength) {
    QByteArray h = "HTTP/1.1 " + QByteArray::number(r.status) + " " + Reason(r.status) + "\r\n";
    h += "Server: feedsim\r\nConnection: close\r\n";
    h += "Content-Type: " + r.contentType + "\r\n";
    h += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    for (const auto& [name, value] : r.headers)
        h += name + ": " + value + "\r\n";
    return h + "\r\n";
}

Server::Response Plain(int status, const QByteArray& text) {
    Server::Response r;
    r.status = status;
    r.contentType = "text/plain; charset=UTF-8";
    r.body = text;
    return r;
}

// One client connection: reads a request, answers once, then closes.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, Server& server, bool tdnetSide)
        : QObject(&server), socket_(socket), server_(server), tdnetSide_(tdnetSide) {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, [this] { OnRead(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { deleteLater(); });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this] { Pump(); });
    }

private:
    void OnRead() {
        if (answered_)
            return socket_->readAll(), void();
        request_ += socket_->readAll();
        const qsizetype end = request_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (request_.size() > 65536)
                Send(Plain(400, "request too large\n"), false);
            return;
        }
        answered_ = true;
        const QList<QByteArray> parts = request_.left(request_.indexOf("\r\n")).split(' ');
        if (parts.size() < 3 || !parts.at(1).startsWith('/')) {
            Send(Plain(400, "bad request\n"), false);
            return;
        }
        headOnly_ = parts.at(0) == "HEAD";
        Server::Fields fields;
        for (const QByteArray& line : request_.left(end).split('\n').mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                fields.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        FaultMode fault;
        Server::Response r =
            server_.Answer(QString::fromUtf8(parts.at(1)), tdnetSide_, fault, fields);
        Apply(r, fault);
    }

    void Apply(const Server::Response& r, const FaultMode& fault) {
        switch (fault.kind) {
        case FaultMode::Hang:
            return; // keep the connection open and say nothing
        case FaultMode::Reset: {
            // Linger zero turns the close into a reset instead of an orderly end.
            linger lg{1, 0};
            ::setsockopt(int(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
            socket_->abort();
            deleteLater();
            return;
        }
        case FaultMode::Status:
            Send(Plain(int(fault.value), "simulated failure\n"), false);
            return;
        case FaultMode::Delay:
            QTimer::singleShot(int(fault.value), this, [this, r] { Send(r, false); });
            return;
        case FaultMode::Truncate: {
            const QByteArray half = r.body.left(r.body.size() / 2);
            socket_->write(HeadBytes(r, r.body.size() + 1000));
            if (!headOnly_)
                socket_->write(half);
            socket_->disconnectFromHost();
            return;
        }
        case FaultMode::Huge:
            hugeLeft_ = fault.value * 1024 * 1024;
            socket_->write(HeadBytes(r, hugeLeft_));
            if (headOnly_)
                hugeLeft_ = 0;
            Pump();
            return;
        case FaultMode::Drip: {
            drip_ = HeadBytes(r, r.body.size());
            if (!headOnly_)
                drip_ += r.body;
            auto* timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this, timer] {
                if (drip_.isEmpty()) {
                    timer->stop();
                    socket_->disconnectFromHost();
                    return;
                }
                socket_->write(drip_.left(1));
                drip_.remove(0, 1);
            });
            timer->start(fault.value > 0 ? int(fault.value) : 1000);
            return;
        }
        default:
            Send(r, false);
        }
    }

    void Send(const Server::Response& r, bool) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            return;
        socket_->write(HeadBytes(r, r.body.size()));
        if (!headOnly_)
            socket_->write(r.body);
        socket_->disconnectFromHost();
    }

    // Streams a huge body in slices so it is never held in memory as a whole.
    void Pump() {
        if (hugeLeft_ <= 0 || socket_->bytesToWrite() > 256 * 1024)
            return;
        static const QByteArray line =
            QByteArray("<!-- filler filler filler filler filler filler filler filler -->\n")
                .repeated(1024);
        while (hugeLeft_ > 0 && socket_->bytesToWrite() < 512 * 1024) {
            const qint64 n = qMin<qint64>(hugeLeft_, line.size());
            socket_->write(line.constData(), n);
            hugeLeft_ -= n;
        }
        if (hugeLeft_ == 0)
            socket_->disconnectFromHost();
    }

    QTcpSocket* socket_;
    Server& server_;
    bool tdnetSide_;
    bool answered_ = false;
    bool headOnly_ = false;
    QByteArray request_;
    QByteArray drip_;
    qint64 hugeLeft_ = 0;
};

} // namespace

bool ParseFault(const QString& text, FaultMode& out) {
    const QString t = text.trimmed().toLower();
    const QString name = t.section(':', 0, 0);
    const QString arg = t.section(':', 1);
    out = FaultMode();
    if (name == "wrongenc") {
        out.kind = FaultMode::WrongEnc;
        out.random = arg == "random";
        return arg.isEmpty() || out.random;
    }
    bool ok = true;
    const qint64 value = arg.isEmpty() ? 0 : arg.toLongLong(&ok);
    if (!ok || value < 0)
        return false;
    out.value = value;
    if (name == "delay" && !arg.isEmpty())
        out.kind = FaultMode::Delay;
    else if (name == "hang")
        out.kind = FaultMode::Hang;
    else if (name == "reset")
        out.kind = FaultMode::Reset;
    else if (name == "truncate")
        out.kind = FaultMode::Truncate;
    else if (name == "huge" && value > 0)
        out.kind = FaultMode::Huge;
    else if (name == "drip")
        out.kind = FaultMode::Drip;
    else if (name == "rows" && value > 0)
        out.kind = FaultMode::Rows;
    else if (name == "malformed" && arg.isEmpty())
        out.kind = FaultMode::Malformed;
    else if (name == "baddate" && arg.isEmpty())
        out.kind = FaultMode::BadDate;
    else if (arg.isEmpty()) {
        const int status = name.toInt(&ok);
        if (!ok || status < 100 || status > 599)
            return false;
        out.kind = FaultMode::Status;
        out.value = status;
    } else
        return false;
    return true;
}

Server::Server(Content& content, SimClock& clock, PageEncoding encoding, quint64 seed)
    : content_(content), clock_(clock), encoding_(encoding), seed_(seed) {}

bool Server::Listen(quint16 portalPort, quint16 tdnetPort, QString& error) {
    if (!portal_.listen(QHostAddress::LocalHost, portalPort)) {
        error = "portal port: " + portal_.errorString();
        return false;
    }
    if (!tdnet_.listen(QHostAddress::LocalHost, tdnetPort)) {
        error = "tdnet port: " + tdnet_.errorString();
        return false;
    }
    connect(&portal_, &QTcpServer::newConnection, this, [this] { Accept(&portal_, false); });
    connect(&tdnet_, &QTcpServer::newConnection, this, [this] { Accept(&tdnet_, true); });
    return true;
}

void Server::Accept(QTcpServer* from, bool tdnetSide) {
    while (QTcpSocket* socket = from->nextPendingConnection())
        new Connection(socket, *this, tdnetSide);
}

QString Server::Origin(bool tdnetSide) const {
    return "http://127.0.0.1:" + QString::number(tdnetSide ? TdnetPort() : PortalPort());
}

QString Server::FaultKey(const QString& path, bool tdnetSide) const {
    if (tdnetSide)
        return path.startsWith("/inbs/I_list_") ? QStringLiteral("tdnet")
                                                : QStringLiteral("article");
    if (path.startsWith("/cp/"))
        return path.mid(4);
    if (path == "/" || path == "/bbs")
        return QStringLiteral("board");
    if (path.startsWith("/feeds/"))
        return QStringLiteral("feed");
    return QStringLiteral("article");
}

FaultMode Server::FaultFor(const QString& target, const QString& key) const {
    // The most specific entry wins: a path prefix, then the name, then "*".
    qsizetype best = -1;
    FaultMode found;
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it.key().startsWith('/') && target.startsWith(it.key()) && it.key().size() > best) {
            best = it.key().size();
            found = it.value();
        }
    }
    if (best >= 0)
        return found;
    // The portal's own "tdnet" list is reached by its path; the name means the disclosure list.
    if (key != QLatin1String("tdnet") || !target.startsWith("/cp/"))
        if (faults_.contains(key))
            return faults_.value(key);
    return faults_.value(QStringLiteral("*"));
}

Server::Response Server::Control(const QString& path, const QUrlQuery& query) {
    if (path == "/_feedsim/advance") {
        bool ok = false;
        const qint64 minutes = query.queryItemValue("minutes").toLongLong(&ok);
        if (!ok)
            return Plain(400, "minutes=N expected\n");
        clock_.Advance(minutes);
    } else if (path == "/_feedsim/stats") {
        QByteArray text;
        for (auto it = stats_.begin(); it != stats_.end(); ++it)
            text += it.key().toUtf8() + " " + QByteArray::number(it.value()) + "\n";
        if (query.queryItemValue("reset") == "1")
            stats_.clear();
        return Plain(200, text);
    } else if (path != "/_feedsim/now") {
        return Plain(404, "unknown control\n");
    }
    return Plain(200, clock_.Now().toString("yyyy-MM-ddTHH:mm:ss").toLatin1() + "\n");
}

Server::Response Server::Answer(const QString& target, bool tdnetSide, FaultMode& fault,
                                const Fields& fields) {
    const QUrl url = QUrl::fromEncoded(target.toUtf8());
    const QString path = url.path();
    QUrlQuery query(url);
    if (path.startsWith("/_feedsim/"))
        return Control(path, query);

    ++stats_[target];
    const QString key = FaultKey(path, tdnetSide);
    fault = FaultFor(target, key);
    if (query.hasQueryItem("fault") && !ParseFault(query.queryItemValue("fault"), fault))
        return Plain(400, "unknown fault mode\n");

    PageEncoding declared = encoding_;
    if (query.hasQueryItem("enc") && !ParseEncodingName(query.queryItemValue("enc"), declared))
        return Plain(400, "unknown encoding\n");
    const bool lying = fault.kind == FaultMode::WrongEnc;
    const PageEncoding actual = lying ? OtherEncoding(declared) : declared;
    const QByteArray charset = CharsetLabel(declared);

    Response r;
    r.contentType = "text/html; charset=" + charset;
    r.headers.append({"Date", HttpDate(clock_.Now())});
    QString html;
    const QString origin = Origin(tdnetSide);
    static const QRegularExpression listName(
        QStringLiteral("^/inbs/I_list_(\\d{3})_(\\d{8})\\.html$"));
    const QDate today = clock_.Now().date();

    if (key == "feed" && !tdnetSide)
        return FeedAnswer(path, query, fault, fields);

    if (tdnetSide && key == "tdnet") {
        const auto m = listName.match(path);
        const QDate date = m.hasMatch() ? QDate::fromString(m.captured(2), "yyyyMMdd") : QDate();
        QDateTime modified;
        const int rows = fault.kind == FaultMode::Rows ? int(fault.value) : 0;
        if (!date.isValid() ||
            !content_.TdnetPage(date, m.captured(1).toInt(), rows, charset, html, modified))
            return Plain(404, "no such list\n");
        r.headers.append({"Last-Modified", HttpDate(modified)});
    } else if (key == "board") {
        const QString board = query.queryItemValue("board");
        // Four characters, a digit first, letters allowed since 2024; "0000" is no stock.
        const bool known = board.size() == 4 && board != "0000" && board.at(0).isDigit() &&
                           std::all_of(board.begin(), board.end(), [](QChar c) {
                               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
                           });
        if (path == "/" && query.queryItemValue("action") == "q") {
            html = known ? content_.BoardListPage(board, qMax(1, query.queryItemValue("p").toInt()),
                                                  origin, charset)
                         : content_.BoardListPage(QString(), 99999, origin, charset);
        } else if (path == "/bbs" && query.queryItemValue("action") == "m") {
            html = content_.BoardMessagePage(board, query.queryItemValue("mid").toInt(), charset);
        } else {
            html = Content::ArticlePage(path);
            r.contentType = "text/html; charset=UTF-8";
        }
    } else if (key != "article") {
        if (!Content::SourceCodes().contains(key))
            return Plain(404, "no such source\n");
        QDate date = QDate::fromString(query.queryItemValue("date"), "yyyyMMdd");
        if (!date.isValid())
            date = today;
        html = content_.PortalPage(key, date, qMax(1, query.queryItemValue("p").toInt()), origin,
                                   charset);
    } else {
        r.contentType = "text/html; charset=UTF-8";
        r.body = Content::ArticlePage(target).toUtf8();
        return r;
    }

    if (lying && fault.random) {
        QRandomGenerator rng(quint32(seed_ ^ qHash(target)));
        r.body.resize(EncodeText(html, declared).size());
        for (char& c : r.body)
            c = char(rng.bounded(256));
    } else {
        r.body = EncodeText(html, actual);
    }
    return r;
}

Server::Response Server::FeedAnswer(const QString& path, const QUrlQuery& query,
                                    const FaultMode& fault, const Fields& fields) {
    static const QRegularExpression feedPath(
        QStringLiteral("^/feeds/(rss2|rss1|atom)/([a-z_]+)\\.xml$"));
    const auto m = feedPath.match(path);
    if (!m.hasMatch() || !Content::SourceCodes().contains(m.captured(2)))
        return Plain(404, "no such feed\n");
    const QString format = m.captured(1);
    const FeedKind kind = format == "rss2"   ? FeedKind::Rss2
                          : format == "rss1" ? FeedKind::Rss1
                                             : FeedKind::Atom;
    // Feeds are UTF-8 unless the request asks for another encoding.
    PageEncoding declared = PageEncoding::Utf8;
    if (query.hasQueryItem("enc") && !ParseEncodingName(query.queryItemValue("enc"), declared))
        return Plain(400, "unknown encoding\n");
    bool countOk = false;
    int count = query.queryItemValue("n").toInt(&countOk);
    if (!countOk || count <= 0)
        count = 20;
    count = qMin(count, 5000);

    QDateTime modified;
    const QString xml =
        Content::FeedDeclaration(CharsetLabel(declared)) +
        content_.Feed(kind, m.captured(2), Origin(false), count, fault.kind == FaultMode::BadDate,
                      fault.kind == FaultMode::Malformed, modified);
    Response r;
    const QByteArray type = kind == FeedKind::Rss2   ? "application/rss+xml"
                            : kind == FeedKind::Rss1 ? "application/rdf+xml"
                                                     : "application/atom+xml";
    // charset=decl leaves the charset to the XML declaration alone.
    r.contentType = query.queryItemValue("charset") == "decl"
                        ? type
                        : type + "; charset=" + CharsetLabel(declared);
    r.headers.append({"Date", HttpDate(clock_.Now())});
    r.headers.append({"Last-Modified", HttpDate(modified)});
    if (fault.kind == FaultMode::WrongEnc && fault.random) {
        QRandomGenerator rng(quint32(seed_ ^ qHash(path)));
        r.body.resize(EncodeText(xml, declared).size());
        for (char& c : r.body)
            c = char(rng.bounded(256));
    } else {
        r.body =
            EncodeText(xml, fault.kind == FaultMode::WrongEnc ? OtherEncoding(declared) : declared);
    }
    // The tag is the body's: any change of content, encoding or fault changes it.
    const QByteArray etag =
        '"' + QByteArray::number(qHashBits(r.body.constData(), size_t(r.body.size())), 16) + '"';
    r.headers.append({"ETag", etag});

    bool current = false;
    if (fields.contains("if-none-match")) {
        for (const QByteArray& tag : fields.value("if-none-match").split(','))
            current = current || tag.trimmed() == etag || tag.trimmed() == "*";
    } else if (fields.contains("if-modified-since")) {
        const QDateTime since = QLocale::c().toDateTime(
            QString::fromLatin1(fields.value("if-modified-since")).remove(" GMT"),
            QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
        QDateTime sinceUtc = since;
        sinceUtc.setTimeZone(QTimeZone::utc());
        // HTTP dates have whole seconds.
        current = since.isValid() && modified.toSecsSinceEpoch() <= sinceUtc.toSecsSinceEpoch();
    }
    if (current) {
        r.status = 304;
        r.body.clear();
    }
    return r;
}

} // namespace Feedsim
