#pragma once
// What the options dialog's diagnostic sheet and its proxy button learn about the machine.

#include <QString>
#include <optional>

namespace SystemInfo {

// The version record as the old platform reported it.
struct VersionRecord {
    int platformId = 0;
    int major = 0;
    int minor = 0;
    QString servicePack;
};

// The name of a version record, service pack appended; "" when there is no record.
QString GetOsName(const std::optional<VersionRecord>& record);

// The running system for the sheet: product name and kernel version.
QString CurrentOsText();

struct DesktopProxy {
    bool enabled = false;
    QString server; // "host:port" or "host"
};

// http_proxy, then HTTP_PROXY, then the system's proxy query; scheme, user and path dropped.
DesktopProxy ProxyFromDesktop();
// "http://user:pw@host:3128/" -> "host:3128".
QString ProxyServerText(const QString& proxyUrl);
// Split at the first ":"; without one the port is "".
void SplitProxyServer(const QString& server, QString& address, QString& port);

} // namespace SystemInfo
