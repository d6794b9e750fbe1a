// The network half of the list parsers: download through the shared page object, convert,
// hand the text to the parsing half.

#include "parsers/ParseSupport.h"
#include "web/Encoding.h"
#include "web/clsWEB.h"

namespace Yahoo {

News::ParsedHeadlines ParseYahooNewsList(const QString& address, const QString& sourceName,
                                         QString& nextPage) {
    detail::EnsureWordLists();
    clsWEB& web = Program::PageWeb();
    QByteArray bytes = web.Download(address, QString(), false, 10);
    const QString page = modNkf32::ConvertToShiftJisText(bytes);
    if (page.isEmpty())
        return std::nullopt;
    web.SetFull(address);
    return ParseYahooNewsListText(page, address, sourceName, nextPage);
}

News::ParsedHeadlines ParseTdnetList(const QString& address, QString& nextPage, double cutOff,
                                     double& lastModified) {
    QByteArray bytes = Program::PageWeb().DownLoadTDNet(address, lastModified, 10);
    const QString page = modNkf32::ConvertToShiftJisText(bytes);
    if (page.isEmpty())
        return std::nullopt;
    return ParseTdnetListText(page, address, nextPage, cutOff);
}

} // namespace Yahoo
