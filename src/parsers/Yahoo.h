#pragma once
// The two list-page parsers: the portal's news list and the disclosure service's list.
// Each has a network entry point (download, convert, parse) and a pure part that takes the
// page text, so the parsing can be tested and fuzzed without a server.

#include "news/NewsItem.h"

#include <QString>

namespace Yahoo {

// A fault inside a parser, with the number, source and description that the trace line shows.
struct ParseFault {
    int number = 0;
    QString source;
    QString description;
};

// Downloads the portal list page, converts it and parses it. nextPage is written only when the
// page has a paging block. A fault is written to the trace and gives no headlines.
News::ParsedHeadlines ParseYahooNewsList(const QString& address, const QString& sourceName,
                                         QString& nextPage);
// The same on a page already in hand; address is the page's own address (links beginning with
// "/" are completed with its scheme and host).
News::ParsedHeadlines ParseYahooNewsListText(const QString& page, const QString& address,
                                             const QString& sourceName, QString& nextPage);

// Downloads one disclosure list page and returns the rows newer than cutOff, newest first.
// lastModified receives the page's modification time. Faults are thrown as ParseFault.
// A page holding the list table of the service's current layout is read by its cells' roles;
// any other page by the markers of the older layout.
News::ParsedHeadlines ParseTdnetList(const QString& address, QString& nextPage, double cutOff,
                                     double& lastModified);
News::ParsedHeadlines ParseTdnetListText(const QString& page, const QString& address,
                                         QString& nextPage, double cutOff);

// Forgets the loaded word lists, so the next portal parse reads them again.
void ResetWordLists();

} // namespace Yahoo
