// The disclosure list parser on our own list pages: the older layout on 5 January 2024, the
// current one on 17 June 2026.

#include "ParserFixtures.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "parsers/Yahoo.h"
#include "present/HeadlineSearch.h"
#include "text/Dates.h"

#include <QTemporaryDir>

#include <QtTest>

using namespace ParserTest;

namespace {

const QString kHost = QStringLiteral("https://disclosure.test:8443");
const QString kFolder = kHost + QStringLiteral("/inbs/");
const QString kPage1 = kFolder + QStringLiteral("I_list_001_20240105.html");

const QString kToday1 = kFolder + QStringLiteral("I_list_001_20260617.html");
const QString kToday3 = kFolder + QStringLiteral("I_list_003_20260617.html");

double At(int hour, int minute, int second = 0, const QDate& day = QDate(2024, 1, 5)) {
    return Dates::ToOle(QDateTime(day, QTime(hour, minute, second)));
}
double On0617(int hour, int minute, int second = 0) {
    return At(hour, minute, second, QDate(2026, 6, 17));
}

// Links are checked by their file name in the list's folder.
QString FileOf(const QString& link) {
    return link.startsWith(kFolder) ? link.mid(kFolder.size()) : link;
}

// A page of the current layout around the given rows.
QString TodayPage(const QString& rows, const QString& table = "<table id=\"main-list-table\">") {
    return "<html><body><div id=\"pager-box-top\"></div>\n" + table + "\n" + rows +
           "\n</table></body></html>";
}

News::ParsedHeadlines Parse(const QString& file, double cutOff, QString& nextPage,
                            const QString& address = kPage1) {
    return Yahoo::ParseTdnetListText(kHost, FixturePage(file), address, nextPage, cutOff);
}

News::ParsedHeadlines Parse(const QString& file, double cutOff = 0) {
    QString nextPage;
    return Parse(file, cutOff, nextPage);
}

} // namespace

class TestTdnetList : public QObject {
    Q_OBJECT

private slots:

    void nextPage_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("nextPage");
        QTest::addColumn<bool>("rows");
        QTest::newRow("page 1 mentions page 2")
            << "tdnet_page1.sjis.html" << kPage1 << kFolder + "I_list_002_20240105.html" << true;
        QTest::newRow("another day's name is not mentioned")
            << "tdnet_page1.sjis.html" << kFolder + "I_list_001_20240106.html"
            << "" << true;
        QTest::newRow("last page clears it")
            << "tdnet_last.sjis.html" << kFolder + "I_list_002_20240105.html"
            << "" << true;
        QTest::newRow("set even when the list is missing")
            << "tdnet_no_history.sjis.html" << kPage1 << kFolder + "I_list_002_20240105.html"
            << false;
    }
    void nextPage() {
        QFETCH(QString, file);
        QFETCH(QString, address);
        QString nextPage = QStringLiteral("stale");
        const News::ParsedHeadlines items = Parse(file, 0, nextPage, address);
        QTEST(nextPage, "nextPage");
        QTEST(items.has_value(), "rows");
    }

    // Row 0 of the result is the page's first row; the withdrawn 15:15 row is skipped.
    void rows_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("posted");
        QTest::addColumn<QString>("fields"); // code|company|title|mark|cell link 1|cell link 9
        QTest::newRow("five-digit code, 業・配")
            << 0 << At(15, 30)
            << "13010|極洋|2024年3月期 第3四半期決算短信|業|140120240105000101.pdf|"
               "081220240105000001.zip";
        QTest::newRow("leading zero goes, other mark kept")
            << 1 << At(15, 0)
            << "1234|テスト工業|業績予想の修正に関するお知らせ|修正|140120240105000103.pdf|"
               "081220240105000003.zip";
        QTest::newRow("blanks around the code, no links")
            << 2 << At(14, 45) << "6758|ソニーグループ|自己株式の取得状況に関するお知らせ|||";
        QTest::newRow("title entities in their order")
            << 3 << At(14, 30)
            << "99840|ソフトバンクグループ|\"Ｒ＆Ｄ\" &lt;説明会> <開催> のお知らせ|||"
               "081220240105000005.zip";
        QTest::newRow("single-digit hour")
            << 4 << At(9, 5) << "86970|日本取引所グループ|月次概況|||";
    }
    void rows() {
        QFETCH(int, index);
        const News::ParsedHeadlines items = Parse(QStringLiteral("tdnet_page1.sjis.html"));
        QVERIFY(items);
        QCOMPARE(items->size(), 5);
        const News::ParsedHeadline& item = items->at(index);
        QTEST(item.Posted, "posted");
        QTEST(QStringList({item.CodeText, item.CompanyName, item.Title, item.Mark,
                           FileOf(item.CellLink1), FileOf(item.CellLink9)})
                  .join(u'|'),
              "fields");
        QCOMPARE(item.Category, item.CompanyName + "(東:" + item.CodeText + ")");
        QCOMPARE(item.Source, QStringLiteral("適時開示情報"));
        QVERIFY(item.Url.startsWith(kFolder + "140120240105"));
        QVERIFY(!item.IsVip);
    }

    void cutOff_data() {
        QTest::addColumn<double>("cutOff");
        QTest::addColumn<int>("count");
        QTest::newRow("equal to a row stops at it") << At(15, 0) << 1;
        QTest::newRow("a second earlier keeps it") << At(14, 59, 59) << 2;
        QTest::newRow("withdrawn row neither counts nor stops") << At(15, 15) << 1;
        QTest::newRow("equal to the first row: nothing") << At(15, 30) << 0;
    }
    void cutOff() {
        QFETCH(double, cutOff);
        QFETCH(int, count);
        const News::ParsedHeadlines items = Parse(QStringLiteral("tdnet_page1.sjis.html"), cutOff);
        QCOMPARE(items ? int(items->size()) : 0, count);
        if (items) {
            for (const News::ParsedHeadline& item : *items)
                QVERIFY(item.Posted > cutOff);
        }
    }

    void faults_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("number");
        QTest::newRow("code not a number") << "tdnet_bad_code.sjis.html" << kPage1 << 13;
        QTest::newRow("time not a time") << "tdnet_bad_time.sjis.html" << kPage1 << 13;
        QTest::newRow("page number not a number")
            << "tdnet_page1.sjis.html" << kFolder + "I_list_x_20240105.html" << 13;
        QTest::newRow("address too short for a date") << "tdnet_page1.sjis.html"
                                                      << "I_list_1_.ht" << 5;
        QTest::newRow("current layout, address day not a date")
            << "tdnet_today_page1.sjis.html" << kFolder + "I_list_001_20261345.html" << 13;
    }
    void faults() {
        QFETCH(QString, file);
        QFETCH(QString, address);
        QFETCH(int, number);
        QString nextPage;
        try {
            Parse(file, 0, nextPage, address);
            QFAIL("no fault");
        } catch (const Yahoo::ParseFault& fault) {
            QCOMPARE(fault.number, number);
            QCOMPARE(fault.source, QStringLiteral("ParseTdnetList"));
        }
    }

    // A bad row after the cut-off is never read.
    void faultBehindCutOffIsNotReached() {
        QVERIFY(!Parse(QStringLiteral("tdnet_bad_code.sjis.html"), At(15, 30)));
    }

    // Both encodings of a page read the same; the large page runs newest to oldest.
    void encodingsAgreeAndLargePage() {
        for (const QString name : {"tdnet_page1", "tdnet_large"}) {
            const News::ParsedHeadlines sjis = Parse(name + ".sjis.html");
            const News::ParsedHeadlines euc = Parse(name + ".eucjp.html");
            QVERIFY(sjis && euc);
            QCOMPARE(sjis->size(), euc->size());
            for (qsizetype i = 0; i < sjis->size(); ++i) {
                const News::ParsedHeadline &a = sjis->at(i), &b = euc->at(i);
                QCOMPARE(std::tie(a.Category, a.Title, a.Mark, a.Posted),
                         std::tie(b.Category, b.Title, b.Mark, b.Posted));
            }
        }
        QString nextPage;
        const News::ParsedHeadlines items =
            Parse(QStringLiteral("tdnet_large.sjis.html"), 0, nextPage);
        QVERIFY(items);
        QCOMPARE(items->size(), 1000);
        QCOMPARE(nextPage, kFolder + "I_list_002_20240105.html");
        QCOMPARE(items->at(999).Posted, At(7, 20));
        QCOMPARE(items->at(999).Title, QStringLiteral("第1000回 定時株主総会招集通知 & 参考書類"));
        for (qsizetype i = 1; i < items->size(); ++i)
            QVERIFY(items->at(i).Posted < items->at(i - 1).Posted);
    }

    // The current layout, chosen although the header also says "更新履歴". The commented-out
    // row, the row without a time and the row without a link are not read.
    void todayRows_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("posted");
        QTest::addColumn<QString>("fields"); // code|company|exchange|title|mark|XBRL|document
        QTest::newRow("plain row, ASCII padding")
            << 0 << On0617(15, 30)
            << "13010|極洋|東|2026年3月期 決算短信〔日本基準〕(連結)|業|081220260617000001.zip|"
               "140120260617000001.pdf";
        QTest::newRow("letter code, full-width padding, no target, no XBRL")
            << 1 << On0617(15, 15)
            << "330A0|北浜データ|東名|Ｍ&Ａ\u3000に関するお知らせ|||140120260617000002.pdf";
        QTest::newRow("attributes reordered, quotes, case, line breaks")
            << 2 << On0617(15, 0)
            << "1234|テスト工業|名|業績予想の修正に関するお知らせ|業|081220260617000003.zip|"
               "140120260617000003.pdf";
        QTest::newRow("extra linked cell, exchange before name")
            << 3 << On0617(14, 45)
            << "67580|ソニーグループ|東|自己株式の取得状況に関するお知らせ|||"
               "140120260617000004.pdf";
        QTest::newRow("lower-case letter code, entities")
            << 4 << On0617(14, 30)
            << "398A0|ソフトバンクグループ|東|<訂正>\"中期経営計画\"の一部訂正&再掲|業|"
               "081220260617000007.zip|140120260617000007.pdf";
        QTest::newRow("morning row")
            << 5 << On0617(9, 5) << "86970|日本取引所グループ|東|月次概況|||140120260617000008.pdf";
    }
    void todayRows() {
        QFETCH(int, index);
        QString nextPage;
        const News::ParsedHeadlines items =
            Parse(QStringLiteral("tdnet_today_page1.sjis.html"), 0, nextPage, kToday1);
        QVERIFY(items);
        QCOMPARE(items->size(), 6);
        const News::ParsedHeadline& item = items->at(index);
        QTEST(item.Posted, "posted");
        QTEST(QStringList({item.CodeText, item.CompanyName, item.CodePrefix, item.Title, item.Mark,
                           FileOf(item.CellLink1), FileOf(item.Url)})
                  .join(u'|'),
              "fields");
        QCOMPARE(item.Category,
                 item.CompanyName + "(" + item.CodePrefix + ":" + item.CodeText + ")");
        QCOMPARE(item.Source, QStringLiteral("適時開示情報"));
        QVERIFY(item.Url.startsWith(kFolder) && item.CellLink9.isEmpty() && !item.IsVip);
    }

    void todayNextPage_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("nextPage");
        QTest::addColumn<int>("rows");
        QTest::newRow("pager names page 2") << "tdnet_today_page1.sjis.html" << kToday1
                                            << kFolder + "I_list_002_20260617.html" << 6;
        QTest::newRow("last page names no page 4")
            << "tdnet_today_last.sjis.html" << kToday3 << "" << 2;
        QTest::newRow("the day list names only first pages")
            << "tdnet_today_page1.sjis.html" << kFolder + "I_list_001_20260616.html"
            << "" << 6;
        QTest::newRow("day without disclosures")
            << "tdnet_today_empty.sjis.html" << kToday1 << "" << 0;
    }
    void todayNextPage() {
        QFETCH(QString, file);
        QFETCH(QString, address);
        QString nextPage = QStringLiteral("stale");
        const News::ParsedHeadlines items = Parse(file, 0, nextPage, address);
        QTEST(nextPage, "nextPage");
        QTEST(items ? int(items->size()) : 0, "rows");
    }

    void todayCutOff_data() {
        QTest::addColumn<double>("cutOff");
        QTest::addColumn<int>("count");
        QTest::newRow("equal to a row stops at it") << On0617(15, 0) << 2;
        QTest::newRow("a second earlier keeps it") << On0617(14, 59, 59) << 3;
        QTest::newRow("equal to the first row: nothing") << On0617(15, 30) << 0;
        QTest::newRow("skipped rows never stop it") << On0617(9, 4) << 6;
    }
    void todayCutOff() {
        QFETCH(double, cutOff);
        QString nextPage;
        const News::ParsedHeadlines items =
            Parse(QStringLiteral("tdnet_today_page1.sjis.html"), cutOff, nextPage, kToday1);
        QTEST(items ? int(items->size()) : 0, "count");
        if (items) {
            for (const News::ParsedHeadline& item : *items)
                QVERIFY(item.Posted > cutOff);
        }
    }

    // Markup that trips readers which count cells or search for fixed strings.
    void todayMarkup_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("rows"); // per row: time|code|title|document|mark
        const QString cell = QStringLiteral("<td class=\"x kj%1\">%2</td>");
        auto row = [&](const QString& time, const QString& title) {
            return "<tr>" + cell.arg(QStringLiteral("Time"), time) +
                   cell.arg(QStringLiteral("Code"), QStringLiteral("13010")) +
                   cell.arg(QStringLiteral("Title"), title) + "</tr>";
        };
        QTest::newRow("no end tags")
            << TodayPage("<tr><td class=\"a kjTime\">10:00<td class=\"a kjTitle\"><a href=a.pdf>A"
                         "<tr><td class=\"a kjTitle\"><a href=b.pdf>B<td class=kjtime>09:00")
            << "10:00||A|a.pdf|;09:00||B|b.pdf|";
        QTest::newRow("nested table's rows ignored")
            << TodayPage(row("10:00", "<a href=\"a.pdf\">A</a><table><tr><td class=\"x kjTime\">"
                                      "11:00</td></tr></table>"))
            << "10:00|13010|A|a.pdf|";
        QTest::newRow("first linked anchor, references in the link")
            << TodayPage(row("10:00", "<a name=\"top\"></a><a href=\"a&amp;b.pdf\">A &lt; B</a>"))
            << "10:00|13010|A < B|a&b.pdf|";
        QTest::newRow("lone < and unknown entity stay")
            << TodayPage(row("10:00", "<a href=a.pdf>1 < 2 &copy &#xZZ;</a>"))
            << "10:00|13010|1 < 2 &copy &#xZZ;|a.pdf|";
        QTest::newRow("no time or a blank link")
            << TodayPage(row("25:00", "<a href=a.pdf>A</a>") + row("9:5", "<a href=b.pdf>B</a>") +
                         row("9:05:30", "<a href=c.pdf>C</a>") + row("", "<a href=d.pdf>D</a>") +
                         row("11:00", "<a href=\" \">E</a>"))
            << "09:05|13010|C|c.pdf|";
        QTest::newRow("only the first cell of a role counts")
            << TodayPage("<tr><td class=\"kjTime\">10:00</td><td class=\"kjTime\">11:00</td>"
                         "<td class=\"kjTitle\"><a href=a.pdf>A</a></td><td class=\"kjTitle\">"
                         "<a href=b.pdf>B</a></td><td class=kjXbrl><a>x</a><a href=x.zip>X</a>"
                         "</td></tr>")
            << "10:00||A|a.pdf|業";
        QTest::newRow("id in single quotes, upper-case attribute")
            << TodayPage(row("10:00", "<a href=a.pdf>A</a>"), "<TABLE ID='main-list-table'>")
            << "10:00|13010|A|a.pdf|";
        QTest::newRow("another id is not the list")
            << TodayPage(row("10:00", "<a href=a.pdf>A</a>"),
                         "<table data-id=\"main-list-table\"><table id=\"main-list-table2\">")
            << "";
        QTest::newRow("unclosed quote ends the page")
            << TodayPage(row("10:00", "<a href=a.pdf>A</a>") + "<tr><td class=\"kjTime>")
            << "10:00|13010|A|a.pdf|";
    }
    void todayMarkup() {
        QFETCH(QString, page);
        QString nextPage;
        const News::ParsedHeadlines items =
            Yahoo::ParseTdnetListText(kHost, page, kToday1, nextPage, 0);
        QStringList rows;
        for (const News::ParsedHeadline& item : items.value_or(QList<News::ParsedHeadline>())) {
            rows << QStringList({Dates::FromOle(item.Posted).toString("hh:mm"), item.CodeText,
                                 item.Title, FileOf(item.Url), item.Mark})
                        .join(u'|');
        }
        QTEST(rows.join(u';'), "rows");
    }

    // One set of disclosures written in both layouts reads to the same records.
    void bothLayoutsReadAlike() {
        const News::ParsedHeadlines classic = Parse(QStringLiteral("tdnet_both_classic.sjis.html"));
        const News::ParsedHeadlines today = Parse(QStringLiteral("tdnet_both_today.sjis.html"));
        QVERIFY(classic && today);
        QCOMPARE(classic->size(), 4);
        QCOMPARE(today->size(), classic->size());
        for (qsizetype i = 0; i < classic->size(); ++i) {
            const News::ParsedHeadline &a = classic->at(i), &b = today->at(i);
            QCOMPARE(std::tie(a.Posted, a.Source, a.Category, a.Title, a.Url, a.Mark, a.IsVip),
                     std::tie(b.Posted, b.Source, b.Category, b.Title, b.Url, b.Mark, b.IsVip));
            QCOMPARE(std::tie(a.CellLink1, a.CellLink9, a.CompanyName, a.CodeText, a.CodePrefix),
                     std::tie(b.CellLink1, b.CellLink9, b.CompanyName, b.CodeText, b.CodePrefix));
        }
        QCOMPARE(today->at(2).Title, QStringLiteral("\"Ｒ&Ｄ\" <説明会> のお知らせ"));
        QCOMPARE(today->at(0).Mark, QStringLiteral("業"));
    }

    // A code with a letter is kept in the category, so it is shown, searched and exported as
    // it is; only the day file's number stays 0 for it.
    void letterCodesInStoreSearchAndCsv() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString nextPage;
        const News::ParsedHeadlines items =
            Parse(QStringLiteral("tdnet_today_page1.sjis.html"), 0, nextPage, kToday1);
        QVERIFY(items);
        const Program::SettingsState settings;
        News::NewsStore store(settings);
        for (const News::ParsedHeadline& item : *items) {
            int position = store.FindInsertPosition(item.Posted);
            store.InsertNewsItem(position, item.Posted, item.Source, item.Category, item.Title,
                                 item.Url, item.IsVip, item.Mark);
        }
        QCOMPARE(store.Count(), 6);
        QList<qint32> codes;
        for (int i = 0; i < store.Count(); ++i)
            codes << store.Item(i).StockCode;
        QCOMPARE(codes, (QList<qint32>{1301, 0, 0, 6758, 0, 8697}));
        QVERIFY(Present::MatchesExpression(store, QStringLiteral("330A"), 1));
        QVERIFY(Present::MatchesExpression(store, QStringLiteral("398A&ソフトバンク"), 4));
        QVERIFY(!Present::MatchesExpression(store, QStringLiteral("330A"), 4));
        const QString csv = dir.filePath(QStringLiteral("out.csv"));
        QVERIFY(News::ExportCsv(store, csv));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll())
                    .contains(QStringLiteral(",適時開示情報,北浜データ(東名:330A0),,\"Ｍ&Ａ")));
        store.Clear();
    }
};

QTEST_GUILESS_MAIN(TestTdnetList)
#include "tst_tdnetlist.moc"
