#pragma once
// The two list-page parsers: the portal's news list and the disclosure service's list.
// Each has a network entry point (download, convert, parse) and a pure part that takes the
// page text, so the parsing can be tested and fuzzed without a server.

#include "news/NewsItem.h"
#include "text/Common.h"

#include <QString>

class clsWEB;

namespace Yahoo {

// The lists in NewsWord/ that shape the portal's headline titles. The portal parser reads them
// from the data folder on its first page and keeps them until Reset.
struct WordLists {
    Common::StrArray HeaderWords;
    Common::StrArray FooterWords;
    Common::StrArray HeaderPatterns;
    Common::StrArray FooterPatterns;
    Common::StrArray BracketWords;

    // Forgets the loaded lists, so the next portal parse reads them again.
    void Reset() { *this = WordLists(); }
};

// A fault inside a parser, with the number, source and description that the trace line shows.
struct ParseFault {
    int number = 0;
    QString source;
    QString description;
};

// Downloads the portal list page, converts it and parses it. nextPage is written only when the
// page has a paging block. A fault is written to the trace and gives no headlines.
News::ParsedHeadlines ParseYahooNewsList(clsWEB& web, WordLists& words, const QString& address,
                                         const QString& sourceName, QString& nextPage);
// The same on a page already in hand; address is the page's own address (links beginning with
// "/" are completed with its scheme and host).
News::ParsedHeadlines ParseYahooNewsListText(WordLists& words, const QString& page,
                                             const QString& address, const QString& sourceName,
                                             QString& nextPage);

// Downloads one disclosure list page and returns the rows newer than cutOff, newest first.
// lastModified receives the page's modification time. Faults are thrown as ParseFault.
// A page holding the list table of the service's current layout is read by its cells' roles;
// any other page by the markers of the older layout. tdnetHost (scheme and host) makes the
// addresses of the next page and of the documents.
News::ParsedHeadlines ParseTdnetList(clsWEB& web, const QString& tdnetHost, const QString& address,
                                     QString& nextPage, double cutOff, double& lastModified);
News::ParsedHeadlines ParseTdnetListText(const QString& tdnetHost, const QString& page,
                                         const QString& address, QString& nextPage, double cutOff);

} // namespace Yahoo
