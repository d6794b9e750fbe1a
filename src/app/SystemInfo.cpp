#include "app/SystemInfo.h"

#include <QNetworkProxyFactory>
#include <QNetworkProxyQuery>
#include <QSysInfo>
#include <QUrl>

namespace SystemInfo {

QString GetOsName(const std::optional<VersionRecord>& record) {
    if (!record)
        return QString();
    const qint64 n =
        qint64(record->platformId) * 1000000 + qint64(record->major) * 10000 + record->minor;
    QString name;
    switch (n) {
    case 1040000:
        name = QStringLiteral("Windows 95");
        break;
    case 1040010:
        name = QStringLiteral("Windows 98");
        break;
    case 1040090:
        name = QStringLiteral("Windows Me");
        break;
    case 2030051:
        name = QStringLiteral("Windows NT 3.51");
        break;
    case 2040000:
        name = QStringLiteral("Windows NT 4.0");
        break;
    case 2050000:
        name = QStringLiteral("Windows 2000");
        break;
    case 2050001:
        name = QStringLiteral("Windows XP");
        break;
    case 2050002:
        name = QStringLiteral("Windows Server 2003");
        break;
    case 2060000:
        name = QStringLiteral("Windows Vista(or 2008)");
        break;
    case 2060001:
        name = QStringLiteral("Windows 7");
        break;
    default:
        if (n < 1040000)
            name = QStringLiteral("Windows 3.1");
        else if (n >= 2060002)
            name = QStringLiteral("Windows 7 Later");
        else if (n >= 1040091)
            name = QStringLiteral("Windows Me Later");
        else
            name = QStringLiteral("Windows Unknown");
    }
    if (!record->servicePack.isEmpty())
        name += QLatin1Char(' ') + record->servicePack;
    return name;
}

QString CurrentOsText() {
    return QSysInfo::prettyProductName() + QLatin1Char(' ') + QSysInfo::kernelVersion();
}

QString ProxyServerText(const QString& proxyUrl) {
    QString s = proxyUrl.trimmed();
    const qsizetype scheme = s.indexOf(QStringLiteral("://"));
    if (scheme >= 0)
        s = s.mid(scheme + 3);
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        s.truncate(slash);
    const qsizetype at = s.lastIndexOf(QLatin1Char('@'));
    if (at >= 0)
        s = s.mid(at + 1);
    return s;
}

DesktopProxy ProxyFromDesktop() {
    DesktopProxy result;
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        const QString value = qEnvironmentVariable(name).trimmed();
        if (!value.isEmpty()) {
            result.server = ProxyServerText(value);
            result.enabled = !result.server.isEmpty();
            return result;
        }
    }
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(
        QNetworkProxyQuery(QUrl(QStringLiteral("http://example.com/"))));
    for (const QNetworkProxy& proxy : proxies) {
        if (proxy.type() != QNetworkProxy::HttpProxy || proxy.hostName().isEmpty())
            continue;
        result.server = proxy.hostName();
        if (proxy.port() > 0)
            result.server += QLatin1Char(':') + QString::number(proxy.port());
        result.enabled = true;
        break;
    }
    return result;
}

void SplitProxyServer(const QString& server, QString& address, QString& port) {
    const qsizetype colon = server.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        address = server;
        port.clear();
    } else {
        address = server.left(colon);
        port = server.mid(colon + 1);
    }
}

} // namespace SystemInfo
