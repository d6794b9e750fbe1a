// The network half of the list parsers: download through the given page object, convert,
// hand the text to the parsing half.

#include "parsers/ParseSupport.h"
#include "web/Encoding.h"
#include "web/clsWEB.h"

namespace Yahoo {

News::ParsedHeadlines ParseYahooNewsList(clsWEB& web, WordLists& words, const QString& address,
                                         const QString& sourceName, QString& nextPage) {
    detail::EnsureWordLists(words);
    QByteArray bytes = web.Download(address, QString(), false, 10);
    const QString page = modNkf32::ConvertToShiftJisText(bytes);
    if (page.isEmpty())
        return std::nullopt;
    web.SetFull(address);
    return ParseYahooNewsListText(words, page, address, sourceName, nextPage);
}

News::ParsedHeadlines ParseTdnetList(clsWEB& web, const QString& tdnetHost, const QString& address,
                                     QString& nextPage, double cutOff, double& lastModified) {
    QByteArray bytes = web.DownLoadTDNet(address, lastModified, 10);
    const QString page = modNkf32::ConvertToShiftJisText(bytes);
    if (page.isEmpty())
        return std::nullopt;
    return ParseTdnetListText(tdnetHost, page, address, nextPage, cutOff);
}

} // namespace Yahoo
