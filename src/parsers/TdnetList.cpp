#include "app/Ports.h"
#include "parsers/ParseSupport.h"
#include "parsers/TdnetTable.h"
#include "text/Dates.h"

#include <QtMath>

namespace Yahoo {

using detail::Cut;
using News::ParsedHeadline;
using News::ParsedHeadlines;

namespace {

constexpr const char* kWhere = "ParseTdnetList";

[[noreturn]] void Fault(int number, const char* description) {
    throw ParseFault{number, QString::fromLatin1(kWhere), QString::fromLatin1(description)};
}

qint64 MustBeNumber(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        Fault(13, "Type mismatch");
    return value;
}

// The address parts as numbers without leading zeros; a part that is no number stays as it is
// (and makes the date of the first row invalid).
QString Unpadded(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? QString::number(value) : text;
}

// "00"-style formatting of an address part; a part that is no number stays as it is.
QString TwoDigits(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')) : text;
}

QString WithoutLineFeeds(QString text) {
    return Common::Trim(text.remove(QLatin1Char('\n')));
}

// Whole milliseconds, so a cut-off that went through a day file compares equal to the same time
// read from the page.
qint64 Millis(double oleDate) {
    return qRound64(oleDate * 86400000.0);
}

} // namespace

ParsedHeadlines ParseTdnetListText(const QString& tdnetHost, const QString& page,
                                   const QString& address, QString& nextPage, double cutOff) {
    if (page.isEmpty())
        return std::nullopt;

    // The address ends in I_list_ppp_yyyymmdd.html.
    qsizetype at = 1;
    const qint64 pageNumber =
        MustBeNumber(Common::CutOut(at, address, QStringLiteral("I_list_"), QStringLiteral("_")));
    const qsizetype length = address.size();
    if (length < 13)
        Fault(5, "Invalid procedure call or argument");
    const QString year = address.mid(length - 13, 4);
    const QString month = address.mid(length - 9, 2);
    const QString day = address.mid(length - 7, 2);

    const QString folder = tdnetHost + QStringLiteral("/inbs/");
    const QString nextName =
        QStringLiteral("I_list_%1_").arg(pageNumber + 1, 3, 10, QLatin1Char('0')) + year +
        TwoDigits(month) + TwoDigits(day) + QStringLiteral(".html");
    nextPage = page.contains(nextName) ? folder + nextName : QString();

    // The service's current layout; pages of the older one are read below as they always were.
    const qsizetype tableStart = detail::MainListTableStart(page);
    if (tableStart >= 0) {
        const QDate listDay(year.toInt(), month.toInt(), day.toInt());
        return detail::ParseTdnetTable(page, tableStart, folder, listDay, cutOff);
    }

    qsizetype position = page.indexOf(QStringLiteral("更新履歴")) + 1;
    if (position == 0)
        return std::nullopt;

    const QString datePart = Unpadded(year) + QLatin1Char('/') + Unpadded(month) +
                             QLatin1Char('/') + Unpadded(day) + QLatin1Char(' ');
    const QDate today = Ports::Clock().Today();
    const qint64 cutOffMs = Millis(cutOff);
    const QString cellStart = QStringLiteral("\">\n");
    const QString cellEnd = QStringLiteral("</td>");

    QList<ParsedHeadline> found;
    // Growing the list one row at a time copies every record it holds.
    found.reserve(QStringView(page).mid(position).count(QLatin1String("start->\n")));
    // A busy day's list runs to thousands of rows: the window keeps drawing meanwhile. Everything
    // the loop works on is its own; the patrol keeps the store's commands locked.
    while (position > 0) {
        Common::YieldIfDue();
        const QString row =
            Common::CutOut(position, page, QStringLiteral("start->\n"), QStringLiteral("<!-I"));
        if (row.isEmpty())
            break;
        // Withdrawn disclosures stay listed, struck through.
        if (row.contains(QStringLiteral("del\">\n")))
            continue;

        qsizetype cell = 1;
        const QString time = Cut(cell, row, cellStart, cellEnd, kWhere).trimmed();
        if (time.isEmpty())
            break;
        const std::optional<QDateTime> posted = Dates::ParseLenient(datePart + time, today);
        if (!posted)
            Fault(13, "Type mismatch");
        ParsedHeadline item;
        item.Posted = detail::OleOf(posted->date(), posted->time());
        if (Millis(item.Posted) <= cutOffMs)
            break;

        item.CodeText = QString::number(MustBeNumber(Cut(cell, row, cellStart, cellEnd, kWhere)));
        item.CompanyName = WithoutLineFeeds(Cut(cell, row, cellStart, cellEnd, kWhere));
        item.Url = folder + Common::Trim(Cut(cell, row, QStringLiteral("a href=\""),
                                             QStringLiteral("\""), kWhere));
        item.Title = Common::ReplaceList(
            Common::Trim(Cut(cell, row, cellStart, QStringLiteral("</a>"), kWhere)),
            QStringLiteral("&lt;,&gt;,&amp;,&quot;"), QStringLiteral("<,>,&,\""),
            QStringLiteral(","));

        const QString cell001 = Cut(cell, row, QStringLiteral("001\">\n"), cellEnd, kWhere);
        qsizetype inside = 1;
        const QString link1 =
            Common::CutOut(inside, cell001, QStringLiteral("href=\""), QStringLiteral("\""));
        if (!link1.isEmpty()) {
            item.CellLink1 = folder + link1;
            inside = 1;
            item.Mark =
                Common::CutOut(inside, cell001, QStringLiteral("_blank\">"), QStringLiteral("<"));
            item.Mark.replace(QStringLiteral("業・配"), QStringLiteral("業"));
        }
        const QString cell009 = Cut(cell, row, QStringLiteral("009\">\n"), cellEnd, kWhere);
        inside = 1;
        const QString link9 =
            Common::CutOut(inside, cell009, QStringLiteral("href=\""), QStringLiteral("\""));
        if (!link9.isEmpty())
            item.CellLink9 = folder + link9;

        item.CodePrefix = WithoutLineFeeds(Cut(cell, row, cellStart, cellEnd, kWhere));
        item.Source = QStringLiteral("適時開示情報");
        item.Category = item.CompanyName + QLatin1Char('(') + item.CodePrefix + QLatin1Char(':') +
                        Common::Trim(item.CodeText) + QLatin1Char(')');
        found.append(std::move(item));
    }

    if (found.isEmpty())
        return std::nullopt;
    return found;
}

} // namespace Yahoo
