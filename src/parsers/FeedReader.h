#pragma once
// News feeds: RSS 2.0, RSS 1.0 (RDF) and Atom 1.0, read into headlines. A pure function of the
// bytes, the response's Content-Type and the feed's own address, so it is tested and fuzzed
// without a server.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace Feeds {

enum class FeedFormat { Unknown, Rss2, Rss1, Atom };

struct FeedItem {
    QString Title;     // plain text: markup removed, runs of ASCII white space made one blank
    QString Link;      // absolute when the feed gave enough to make it so
    QString Category;  // the first one
    QString Guid;      // guid (RSS 2.0), rdf:about (RSS 1.0), id (Atom)
    double Posted = 0; // OLE date in local time, as News::NewsItem::Posted; 0: no readable date
};

struct FeedParse {
    FeedFormat Format = FeedFormat::Unknown;
    QList<FeedItem> Items; // in feed order
    // Empty when the whole feed was read; otherwise why reading stopped, in Japanese. Items
    // completed before the fault are kept.
    QString Fault;
};

// contentType: the response's header value ("application/rss+xml; charset=EUC-JP"), may be
// empty. feedAddress: where the feed was fetched from, the base of relative links.
FeedParse ParseFeed(const QByteArray& body, const QByteArray& contentType,
                    const QString& feedAddress);

// A feed's date: RFC 822 ("Fri, 05 Jan 2024 09:05:00 +0900", zone names such as GMT, EST or JST,
// day name, seconds and century optional) or RFC 3339 / W3C-DTF ("2024-01-05T09:05+09:00",
// "2024-01-05"). A date without a zone is local time. std::nullopt when it is not such a date.
std::optional<QDateTime> ParseFeedDate(QStringView text);

} // namespace Feeds
