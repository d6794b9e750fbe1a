#include "app/Ports.h"
#include "app/Trace.h"
#include "parsers/ParseSupport.h"
#include "text/Dates.h"

#include <exception>

namespace Yahoo {

using detail::Cut;
using News::ParsedHeadline;
using News::ParsedHeadlines;

namespace {

constexpr const char* kWhere = "ParseYahooNewsList";

// Revision marks, each tested on what the previous one left. The marks sit at the ends of a
// title, so the cheap end test keeps the wildcard match off most titles.
void TakeRevisionMark(ParsedHeadline& item) {
    QString& title = item.Title;
    const auto marked = [&title](const QString& pattern, QStringView end, bool atStart) {
        const bool near = atStart ? title.startsWith(end) : title.endsWith(end);
        return near && Common::IsLike(title, pattern);
    };
    if (marked(QStringLiteral("再送*"), u"再送", true)) {
        title = title.mid(3);
        item.Mark = QStringLiteral("再");
    }
    if (marked(QStringLiteral("追加*"), u"追加", true)) {
        title = title.mid(3);
        item.Mark = QStringLiteral("追");
    }
    if (marked(QStringLiteral("訂正*"), u"訂正", true)) {
        title = title.mid(3);
        item.Mark = QStringLiteral("訂");
    }
    if (marked(QStringLiteral("*☆差替"), u"☆差替", false)) {
        title.chop(3);
        item.Mark = QStringLiteral("替");
    }
    // The provider writes "UPDATE 1-", "UPDATE2:" and the like: eight characters go.
    if (marked(QStringLiteral("UPDATE*"), u"UPDATE", true)) {
        title = title.mid(8);
        item.Mark = QStringLiteral("更");
    }
    title = Common::Trim(title);
}

// A listed word inside a bracket pair becomes the category.
void TakeBracketWord(ParsedHeadline& item, const WordLists& words) {
    static const QStringList pairs =
        QStringLiteral("［,］,[,],【,】,〔,〕").split(QLatin1Char(','));
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        const QString inner = Common::GetBetween(item.Title, pairs[i], pairs[i + 1], 0, 1);
        if (!inner.isEmpty() && Common::IndexOf(words.BracketWords, inner) >= 0) {
            item.Category = inner;
            item.Title = Common::RemoveBetween(item.Title, pairs[i], pairs[i + 1], 0);
        }
    }
}

// Splits at the separator when one side is a known header or footer; otherwise nothing changes.
void SplitAtSeparator(ParsedHeadline& item, const QString& separator, const WordLists& words) {
    const Common::StrArray parts = Common::SplitTokens(item.Title, separator, false, true, true);
    if (!parts || parts->isEmpty())
        return;
    const QString first = parts->at(0);
    const QString second = parts->size() > 1 ? parts->at(1) : QString();
    if (Common::IndexOf(words.HeaderWords, first) >= 0) {
        item.Category = first;
        item.Title = second;
    } else if (Common::IndexOf(words.FooterWords, second) >= 0) {
        item.Category = second;
        item.Title = first;
    } else if (Common::IndexOfLike(words.HeaderPatterns, first) >= 0) {
        item.Category = first;
        item.Title = second;
    } else if (Common::IndexOfLike(words.FooterPatterns, second) >= 0) {
        item.Category = second;
        item.Title = first;
    }
}

void TakeFallbackBracket(ParsedHeadline& item) {
    static const QString pairs[][2] = {{QStringLiteral("＜"), QStringLiteral("＞")},
                                       {QStringLiteral("["), QStringLiteral("]")},
                                       {QStringLiteral("【"), QStringLiteral("】")},
                                       {QStringLiteral("〔"), QStringLiteral("〕")}};
    for (const auto& pair : pairs) {
        const QString inner = Common::GetBetween(item.Title, pair[0], pair[1], 0, 1);
        if (!inner.isEmpty()) {
            item.Category = inner;
            item.Title = Common::RemoveBetween(item.Title, pair[0], pair[1], -1);
            return;
        }
    }
}

void SplitCategory(ParsedHeadline& item, const WordLists& words) {
    TakeBracketWord(item, words);
    if (!item.Category.isEmpty())
        return;
    const qsizetype dashes = item.Title.indexOf(QLatin1String("---"));
    if (dashes >= 0) {
        item.Category = item.Title.left(dashes);
        item.Title = item.Title.mid(dashes + 3);
    } else if (item.Title.contains(QStringLiteral("＝"))) {
        SplitAtSeparator(item, QStringLiteral("＝"), words);
    } else if (item.Title.contains(QStringLiteral("："))) {
        SplitAtSeparator(item, QStringLiteral("："), words);
    } else {
        TakeFallbackBracket(item);
    }
}

double PostedFrom(QString timeText, const QDate& pageDay, const QDate& today,
                  const QDateTime& future) {
    timeText.replace(QStringLiteral("月"), QStringLiteral("/"));
    timeText.replace(QStringLiteral("日"), QStringLiteral(" "));
    timeText.replace(QStringLiteral("時"), QStringLiteral(":"));
    timeText.remove(QStringLiteral("分"));
    timeText = Common::RemoveBetween(timeText, QStringLiteral("（"), QStringLiteral("）"), -1);

    const std::optional<QDateTime> read = Dates::ParseLenient(timeText, today);
    QDate day = pageDay;
    QTime time(0, 0);
    if (read) {
        time = read->time();
        if (timeText.contains(QLatin1Char('/')))
            day = read->date();
    }
    // A December list read in January. Local wall-clock parts compare as the moments do.
    if (day > future.date() || (day == future.date() && time > future.time()))
        day = day.addYears(-1);
    return detail::OleOf(day, time);
}

// The day of the list, from the date selector; today without one. std::nullopt: not a date.
std::optional<QDate> PageDay(const QString& page) {
    qsizetype position = page.indexOf(QLatin1String(" selected>")) + 1;
    const QDate today = Ports::Clock().Today();
    if (position == 0)
        return today;
    QString text =
        Common::CutOut(position, page, QStringLiteral("selected>"), QStringLiteral("（"));
    text.replace(QStringLiteral("年"), QStringLiteral("/"));
    text.replace(QStringLiteral("月"), QStringLiteral("/"));
    text.remove(QStringLiteral("日"));
    text = Common::Trim(text.section(QLatin1Char(')'), 0, 0));
    const std::optional<QDateTime> day = Dates::ParseLenient(text, today);
    if (!day)
        return std::nullopt;
    return day->date();
}

ParsedHeadlines ParsePage(WordLists& lists, const QString& page, const QString& address,
                          const QString& sourceName, QString& nextPage) {
    const WordLists& words = detail::EnsureWordLists(lists);
    const QString site = detail::SiteAddress(address);

    const std::optional<QDate> pageDay = PageDay(page);
    if (!pageDay)
        return std::nullopt;

    qsizetype position = 1;
    const QString section = Common::CutOut(position, page, QStringLiteral("<!---news list-->"),
                                           QStringLiteral("<!---/news list-->"));
    if (section.isEmpty())
        return std::nullopt;

    const QDateTime now = Ports::Clock().Now();
    const QDateTime future = now.addMonths(6);
    const QDate today = now.date();
    QList<ParsedHeadline> found;
    // Growing the list one headline at a time copies every record it holds.
    found.reserve(section.count(QLatin1String("<!-- 01 -->")));
    qsizetype blockPosition = 1;
    while (blockPosition > 0) {
        Common::YieldIfDue();
        const QString block = Common::CutOut(blockPosition, section, QStringLiteral("<!-- 01 -->"),
                                             QStringLiteral("<!-- /01 -->"));
        if (block.isEmpty())
            break;
        ParsedHeadline item;
        qsizetype at = 1;
        item.Url = Cut(at, block, QStringLiteral("<li class=\"yjMt ymuiArrow1L\"><a href=\""),
                       QStringLiteral("\">"), kWhere);
        item.Url.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        if (item.Url.startsWith(QLatin1Char('/')))
            item.Url.prepend(site);

        QString title = Cut(at, block, QString(), QStringLiteral("</a>"), kWhere);
        if (title.contains(QLatin1Char('&'))) {
            title.replace(QStringLiteral("&lt;"), QStringLiteral("("));
            title.replace(QStringLiteral("&gt;"), QStringLiteral(")"));
        }
        title.remove(QLatin1Char('\t'));
        item.Title = Common::DecodeEntities(title);

        TakeRevisionMark(item);
        SplitCategory(item, words);
        item.Source = sourceName;

        const QString timeText =
            Common::Trim(Cut(at, block, QStringLiteral("<li class=\"yjSt marB2 ymuiDate padL10\">"),
                             QStringLiteral("&nbsp;"), kWhere));
        item.Posted = PostedFrom(timeText, *pageDay, today, future);
        item.IsVip = item.Url.contains(QLatin1String(".vip"));
        found.append(std::move(item));
    }

    qsizetype pagingPosition = 1;
    const QString paging = Common::CutOut(pagingPosition, section, QStringLiteral("前のページ"),
                                          QStringLiteral("<!--/ページング-->"));
    if (!paging.isEmpty()) {
        qsizetype at = 1;
        QString next = Common::CutOut(at, paging, QStringLiteral("<a href=\""),
                                      QStringLiteral("\">次のページ"));
        next.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        nextPage = next;
        Common::TraceLine(QStringLiteral("Stat : Next Page is ") + nextPage);
    }

    if (found.isEmpty())
        return std::nullopt;
    return found;
}

void TraceFault(int number, const QString& source, const QString& description) {
    Common::TraceLine(QStringLiteral("Err  : [") + QString::number(number).trimmed() +
                      QStringLiteral(" for ") + source + QLatin1Char(']') + description);
}

} // namespace

// The page text is parsed as a whole: a fault anywhere gives nothing, not the headlines so far.
ParsedHeadlines ParseYahooNewsListText(WordLists& lists, const QString& page,
                                       const QString& address, const QString& sourceName,
                                       QString& nextPage) {
    try {
        return ParsePage(lists, page, address, sourceName, nextPage);
    } catch (const ParseFault& fault) {
        TraceFault(fault.number, fault.source, fault.description);
    } catch (const std::exception& e) {
        TraceFault(51, QString::fromLatin1(kWhere), QString::fromLocal8Bit(e.what()));
    }
    return std::nullopt;
}

} // namespace Yahoo
