#include "web/clsWEB.h"

#include "text/Dates.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int SaveNameLimit = 128;
constexpr int DefaultTimeoutSeconds = 10;

// "host:port" -> an HTTP proxy; a missing or unreadable port means 80.
QNetworkProxy ProxyFor(const QString& proxy) {
    const QString text = proxy.trimmed();
    if (text.isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    QString host = text;
    quint16 port = 80;
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon > 0 && !text.endsWith(u']')) {
        bool ok = false;
        const quint16 p = text.mid(colon + 1).toUShort(&ok);
        host = text.left(colon);
        if (ok && p != 0)
            port = p;
    }
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    return QNetworkProxy(QNetworkProxy::HttpProxy, host, port);
}

// Positions below are 1-based as in the rest of the text helpers; these keep them in range.
bool CharAt(const QString& text, qsizetype position1, QChar c) {
    return position1 >= 1 && position1 <= text.size() && text[position1 - 1] == c;
}

qsizetype Find(const QString& text, QStringView what, qsizetype from1) {
    if (from1 < 1)
        from1 = 1;
    if (from1 > text.size())
        return 0;
    return text.indexOf(what, from1 - 1) + 1;
}

} // namespace

clsWEB::~clsWEB() {
    if (reply_)
        reply_->abort();
    delete net_.data();
}

QNetworkAccessManager& clsWEB::Manager() {
    if (!net_) {
        // Owned by the application, so the shared instances do not outlive it with a live
        // network stack; recreated if asked for again.
        net_ = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return *net_;
}

bool clsWEB::StillExecuting() const {
    return executing_;
}

void clsWEB::Cancel() {
    if (reply_ && !reply_->isFinished())
        reply_->abort();
}

namespace {

QString FailureText(bool tooBig, bool timedOut, int timeoutSeconds,
                    QNetworkReply::NetworkError error, int status, bool empty) {
    if (tooBig)
        return QStringLiteral("ページが大きすぎます");
    if (timedOut)
        return QStringLiteral("%1 秒以内に応答がありません").arg(timeoutSeconds);
    switch (error) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return QStringLiteral("接続できません");
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProxyConnectionClosedError:
        return QStringLiteral("接続が途中で切れました");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("安全な接続を確立できません");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("転送先をたどれません");
    default:
        if (status >= 300)
            return QStringLiteral("サーバーの応答 %1").arg(status);
        return QStringLiteral("通信エラー");
    }
    if (status >= 300)
        return QStringLiteral("サーバーの応答 %1").arg(status);
    if (empty)
        return QStringLiteral("ページが空です");
    return QString();
}

} // namespace

QByteArray clsWEB::Transfer(const QString& url, bool direct, int timeoutSeconds,
                            QByteArray* lastModified, Exchange* exchange) {
    if (executing_) {
        lastFailure_ = QStringLiteral("前の取得が終わっていません");
        return {};
    }
    Cancel();
    lastFailure_.clear();

    const QUrl target(url);
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        lastFailure_ = QStringLiteral("アドレスが正しくありません");
        return {};
    }
    if (timeoutSeconds <= 0)
        timeoutSeconds = DefaultTimeoutSeconds; // a wait without end would hang a patrol
    if (timeoutCap_ > 0)
        timeoutSeconds = std::min(timeoutSeconds, timeoutCap_);

    QNetworkAccessManager& net = Manager();
    // Explicit NoProxy keeps the desktop's proxy variables out of a direct request.
    net.setProxy(direct ? QNetworkProxy(QNetworkProxy::NoProxy) : ProxyFor(Proxy));

    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    if (exchange && !exchange->ifNoneMatch.isEmpty())
        request.setRawHeader("If-None-Match", exchange->ifNoneMatch);
    if (exchange && !exchange->ifModifiedSince.isEmpty())
        request.setRawHeader("If-Modified-Since", exchange->ifModifiedSince);

    executing_ = true;
    QNetworkReply* reply = net.get(request);
    reply_ = reply;

    bool tooBig = false;
    bool timedOut = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);

    // Refuse an oversized body as soon as it announces or shows itself; never buffer more.
    auto checkSize = [&] {
        if (reply->isFinished())
            return;
        bool ok = false;
        const qint64 announced =
            reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
        if ((ok && announced > MaxBodyBytes) || reply->bytesAvailable() > MaxBodyBytes) {
            tooBig = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, checkSize);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, checkSize);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });

    timer.start(timeoutSeconds * 1000);
    if (!reply->isFinished())
        loop.exec();
    timer.stop();
    if (!reply->isFinished()) // the application is quitting under us
        reply->abort();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (exchange) {
        exchange->status = tooBig || timedOut ? 0 : status;
        exchange->contentType = reply->rawHeader("Content-Type");
        exchange->etag = reply->rawHeader("ETag");
        exchange->lastModified = reply->rawHeader("Last-Modified");
    }
    QByteArray data;
    // A 3xx left here is a redirect we would not follow: not the page either.
    if (!tooBig && !timedOut && reply->error() == QNetworkReply::NoError && status < 300) {
        data = reply->readAll();
        if (data.size() > MaxBodyBytes)
            data.clear();
        if (lastModified && !data.isEmpty())
            *lastModified = reply->rawHeader("Last-Modified");
    }
    lastFailure_ =
        FailureText(tooBig, timedOut, timeoutSeconds, reply->error(), status, data.isEmpty());
    reply_ = nullptr;
    delete reply;
    executing_ = false;
    return data;
}

QByteArray clsWEB::Download(const QString& url, const QString& saveFile, bool showHourglass,
                            int timeoutSeconds) {
    if (executing_)
        return {};
    if (showHourglass)
        Ports::MainWindow().SetWaitCursor(true);
    QByteArray data = Transfer(url, Proxy.isEmpty(), timeoutSeconds, nullptr);
    if (!data.isEmpty() && !saveFile.isEmpty()) {
        QFile file(SaveFileName(saveFile));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(data);
    }
    // Restored also when nothing arrived: a cursor stuck as an hourglass after a failed page
    // would only puzzle the user.
    if (showHourglass)
        Ports::MainWindow().SetWaitCursor(false);
    return data;
}

clsWEB::ConditionalReply clsWEB::DownloadIfChanged(const QString& url, const QByteArray& etag,
                                                   const QByteArray& lastModified,
                                                   int timeoutSeconds) {
    ConditionalReply answer;
    if (executing_) {
        lastFailure_ = QStringLiteral("前の取得が終わっていません");
        return answer;
    }
    Exchange exchange;
    exchange.ifNoneMatch = etag;
    exchange.ifModifiedSince = lastModified;
    answer.body = Transfer(url, Proxy.isEmpty(), timeoutSeconds, nullptr, &exchange);
    answer.notModified = exchange.status == 304;
    answer.contentType = exchange.contentType;
    answer.etag = exchange.etag;
    answer.lastModified = exchange.lastModified;
    return answer;
}

QByteArray clsWEB::DownLoadTDNet(const QString& url, double& lastModified, int timeoutSeconds) {
    if (executing_)
        return {};
    QByteArray header;
    QByteArray data = Transfer(url, true, timeoutSeconds, &header);
    if (!data.isEmpty())
        lastModified = LastModifiedToOle(QString::fromLatin1(header));
    return data;
}

QString clsWEB::SaveFileName(const QString& saveFile) {
    const qsizetype slash = saveFile.lastIndexOf(u'/');
    const QString name = slash < 0 ? saveFile : saveFile.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot < 0 ? name : name.left(dot);
    const QString ext = dot < 0 ? QString() : name.mid(dot + 1);
    // A bare name stays relative rather than landing in the root folder.
    const QString pathBase = slash < 0 ? base : saveFile.left(slash) + u'/' + base;
    return pathBase.left(SaveNameLimit) + u'.' + ext;
}

double clsWEB::LastModifiedToOle(const QString& header) {
    static const QStringList months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QStringList fields = header.split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 5)
        return 0;
    bool ok = false;
    const int day = fields[1].toInt(&ok);
    if (!ok)
        return 0;
    int month = months.indexOf(fields[2]) + 1;
    if (month == 0) {
        month = fields[2].toInt(&ok);
        if (!ok)
            return 0;
    }
    const int year = fields[3].toInt(&ok);
    if (!ok)
        return 0;
    const QDate date(year, month, day);
    QTime time = QTime::fromString(fields[4], "H:mm:ss");
    if (!time.isValid())
        time = QTime::fromString(fields[4], "H:mm");
    if (!date.isValid() || !time.isValid())
        return 0;
    // Computed on the date and the clock fields alone so that no time zone rule interferes.
    return Dates::ToOle(date) + (time.msecsSinceStartOfDay() / 1000.0 + 9 * 3600.0) / 86400.0;
}

// URL parts ---------------------------------------------------------------------------------

QString clsWEB::Path() const {
    const qsizetype slash = full_.lastIndexOf(u'/');
    if (slash < 0)
        return QCoreApplication::applicationDirPath();
    return full_.left(slash);
}

QString clsWEB::Name() const {
    const qsizetype slash = full_.lastIndexOf(u'/');
    return slash < 0 ? full_ : full_.mid(slash + 1);
}

QString clsWEB::Base() const {
    const QString name = Name();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

// Taken from the name, so that a dot in a host or folder name is no extension.
QString clsWEB::Ext() const {
    const QString name = Name();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString clsWEB::PathBase() const {
    return Path() + u'/' + Base();
}

QString clsWEB::Parent() const {
    const qsizetype slash = full_.lastIndexOf(u'/');
    return slash < 0 ? QString() : full_.left(slash);
}

QString clsWEB::ParentOnly() const {
    if (!full_.contains(u'/'))
        return {};
    const QString path = Path();
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString clsWEB::Address() const {
    const qsizetype scheme = full_.indexOf(QStringLiteral("//"));
    if (scheme < 0)
        return {};
    const qsizetype slash = full_.indexOf(u'/', scheme + 2);
    return slash < 0 ? full_ : full_.left(slash);
}

// Browser-bound half --------------------------------------------------------------------------

void clsWEB::PageNavigate(const QString& url) {
    if (url.isEmpty())
        return;
    if (browser_) {
        browser_->SetVisible(false);
        browser_->Navigate(url, true);
        browser_->SetVisible(true);
    }
    capture_ = true;
}

void clsWEB::Web_DocumentComplete() {
    if (!capture_ || !browser_)
        return;
    PageHtml = browser_->BodyOuterHtml();
    PageText = browser_->BodyText();
}

// HTML extraction -----------------------------------------------------------------------------

QString clsWEB::HtmlTagGet(const QString& html, qsizetype& position, QString& tagName,
                           QString& attributes) {
    // The opening tag: the next tag whose name matches and that does not close.
    qsizetype from = std::max<qsizetype>(position, 1);
    qsizetype contentStart = 0;
    for (;;) {
        const qsizetype lt = Find(html, u"<", from);
        if (lt == 0) {
            position = 0;
            return {};
        }
        QString tagText = Common::GetBetween(html, QStringLiteral("<"), QStringLiteral(">"), 0, lt);
        tagText.replace(u'\n', u' ');
        const qsizetype blank = tagText.indexOf(u' ');
        const QString name = blank < 0 ? tagText : tagText.left(blank);
        if (!tagText.startsWith(u'/') && name == tagName) {
            attributes = blank < 0 ? QString() : Common::Trim(tagText.mid(blank + 1));
            contentStart = lt + tagText.size() + 2;
            break;
        }
        from = lt + 1;
    }

    // The balancing closing tag. Line breaks, images and comments do not nest.
    int depth = 1;
    qsizetype from2 = contentStart;
    for (;;) {
        const qsizetype lt = Find(html, u"<", from2);
        if (lt == 0) {
            position = 0;
            return {};
        }
        const QString two = html.mid(lt, 2);
        const bool ignored =
            two == u"BR" || two == u"br" || two == u"im" || two == u"IM" || two == u"!-";
        if (!ignored) {
            if (CharAt(html, lt + 1, u'/'))
                --depth;
            else
                ++depth;
        }
        if (depth == 0) {
            position = from2;
            return html.mid(contentStart - 1, lt - contentStart);
        }
        from2 = lt + 1;
    }
}

Common::StrArray clsWEB::GetLinks(const QString& pattern, const QString& baseUrl,
                                  const QString& html, int options) {
    QString page = html;
    if (page.isEmpty() && browser_)
        page = browser_->BodyOuterHtml();
    if (page.isEmpty())
        return std::nullopt;
    const QString base = baseUrl.isEmpty() ? Path() : baseUrl;

    QStringList kept;
    qsizetype position = 1;
    // The next hit of each spelling, searched again only once the scan has passed it: a page
    // that uses one spelling alone would otherwise be read to its end for every link.
    qsizetype lower = Find(page, u"<a ", position);
    qsizetype upper = Find(page, u"<A ", position);
    while (position < page.size()) {
        if (lower != 0 && lower < position)
            lower = Find(page, u"<a ", position);
        if (upper != 0 && upper < position)
            upper = Find(page, u"<A ", position);
        if (lower == 0 && upper == 0)
            break;
        const bool takeLower = lower != 0 && (upper == 0 || lower < upper);
        position = takeLower ? lower : upper;
        QString name = takeLower ? QStringLiteral("a") : QStringLiteral("A");
        QString attributes;
        if (HtmlTagGet(page, position, name, attributes).isEmpty())
            break;
        qsizetype foundLength = 0;
        int foundIndex = -1;
        const qsizetype hit = Common::FindFirstOf(1, attributes, QStringLiteral("href=\",HREF=\""),
                                                  foundLength, foundIndex);
        if (hit > 0) {
            const qsizetype start = hit - 1 + foundLength;
            const qsizetype quote = attributes.indexOf(u'"', start);
            const QString link = quote < 0 ? QString() : attributes.mid(start, quote - start);
            if (!link.isEmpty())
                kept.append(link);
        } else if (!attributes.isEmpty()) {
            kept.append(attributes);
        }
        if (position == 0)
            break;
    }

    Common::StrArray result;
    QSet<QString> taken; // what result holds, for the duplicate test
    for (QString link : kept) {
        link.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        if (link.startsWith(QStringLiteral("www")))
            link.prepend(QStringLiteral("http://"));
        if ((options & 1) && !link.contains(QStringLiteral("//"))) {
            if (link.contains(QStringLiteral("../"))) {
                SetFull(base);
                while (link.startsWith(QStringLiteral("../"))) {
                    SetFull(Parent());
                    link.remove(0, 3);
                }
                QString path = Path();
                while (path.endsWith(u'/'))
                    path.chop(1);
                while (link.startsWith(u'/'))
                    link.remove(0, 1);
                link = path + u'/' + link;
            } else {
                link = base + link;
            }
        }
        if (options & 16) {
            const qsizetype hash = link.indexOf(u'#');
            if (hash >= 0)
                link.truncate(hash);
        }
        if ((options & 32) && taken.contains(link))
            continue;
        if (Common::IsLike(link, pattern)) {
            Common::AppendString(result, link);
            if (options & 32)
                taken.insert(link);
        }
    }

    const int order = (options & 8) ? Common::SortAscending : Common::SortDescending;
    if (options & 4) {
        if (result) {
            Common::StrArray keys;
            for (const QString& link : *result) {
                SetFull(link);
                Common::AppendString(keys, Ext());
            }
            const QList<int> byExt = Common::SortOrder(keys, order);
            QStringList ordered;
            for (int index : byExt)
                ordered.append(result->at(index));
            result = ordered;
        }
    } else if (options & 2) {
        result = Common::SortStrings(result, order);
    }
    return result;
}
