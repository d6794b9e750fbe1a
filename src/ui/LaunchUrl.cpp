#include "ui/LaunchUrl.h"

#include "ui/ArticleViewer.h"

#include "app/SettingsState.h"
#include "app/Version.h"
#include "text/Common.h"

#include <QCoreApplication>
#include <QUrl>

namespace Launch {

namespace {

void AppendByte(QString& out, unsigned value) {
    static const char hex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(hex[(value >> 4) & 15]);
    out += QLatin1Char(hex[value & 15]);
}

bool Unreserved(char16_t u) {
    return (u >= 64 && u <= 90) || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ||
           u == u'*' || u == u'-' || u == u'.' || u == u'_';
}

} // namespace

QString EncodeUrlUtf8(const QString& text) {
    QString out;
    out.reserve(text.size() * 3);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ') {
            out += QLatin1Char('+');
        } else if (Unreserved(u)) {
            out += c;
        } else if (u <= 127) {
            AppendByte(out, u);
        } else if (u <= 2047) {
            AppendByte(out, 0xC0 | (u >> 6));
            AppendByte(out, 0x80 | (u & 0x3F));
        } else {
            AppendByte(out, 0xE0 | (u >> 12));
            AppendByte(out, 0x80 | ((u >> 6) & 0x3F));
            AppendByte(out, 0x80 | (u & 0x3F));
        }
    }
    return out;
}

QString GoogleSearchAddress(const QString& category) {
    const QString words = Common::RemoveBetween(category, QStringLiteral("("), QStringLiteral(")"));
    return QStringLiteral("https://www.google.com/search?hl=ja&lr=lang_ja&ie=UTF-8&oe=UTF-8&q=") +
           EncodeUrlUtf8(words) + QStringLiteral("&num=50");
}

QString SitePageAddress(const Program::SettingsState& settings, const QString& page) {
    const QString& site = settings.Site;
    if (!site.isEmpty())
        return site + QStringLiteral("/") + page;
    const QString folder = BundledSiteFolder();
    if (folder.isEmpty())
        return QString();
    return QUrl::fromLocalFile(folder + QStringLiteral("/") + page).toString();
}

QString TopPageAddress(const Program::SettingsState& settings) {
    return SitePageAddress(settings, Program::VersionPageName());
}

QString HelpAddress(const Program::SettingsState& settings) {
    return SitePageAddress(settings, QStringLiteral("help.htm"));
}

QString MarketAddress(const Program::SettingsState& settings) {
    if (settings.DispVip)
        return settings.VipHost + QStringLiteral("/markets/");
    return QStringLiteral("https://www.jpx.co.jp/markets/index.html");
}

QString EarningsScheduleAddress() {
    return QStringLiteral(
        "https://www.jpx.co.jp/listing/event-schedules/financial-announcement/index.html");
}

} // namespace Launch
