#pragma once
// One headline in the store, and one headline as a list parser returns it.

#include <QList>
#include <QString>
#include <optional>

namespace News {

// Fields in the order of the day-file record.
struct NewsItem {
    double Posted = 0; // OLE date, local time
    QString Source;
    QString Category;
    QString Title;
    QString Url;
    qint32 StockCode = 0;
    QString Reserved1; // a feed item's guid; empty for the lists. Kept in the day file
    QString Reserved2; // a feed item's feed address; empty for the lists. Kept in the day file
    bool IsVip = false;
    bool Reserved3 = false; // second flag: false on insertion, read by nobody
    QString Mark;
    bool IsOpened = false;
    bool IsNew = false;
};

struct ParsedHeadline {
    double Posted = 0;
    QString Source;
    QString Category;
    QString Title;
    QString Url;
    QString Mark;
    bool IsVip = false;
    // Disclosure lists only.
    QString CellLink1;
    QString CellLink9;
    QString CompanyName;
    QString CodeText;
    QString CodePrefix;
};

// A parser's result: std::nullopt when nothing was found (the undimensioned array).
using ParsedHeadlines = std::optional<QList<ParsedHeadline>>;

} // namespace News
