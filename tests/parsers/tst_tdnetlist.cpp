// The disclosure list parser on our own list pages of 5 January 2024.

#include "ParserFixtures.h"
#include "app/SettingsState.h"
#include "parsers/Yahoo.h"
#include "text/Dates.h"

#include <QtTest>

using namespace ParserTest;

namespace {

const QString kHost = QStringLiteral("https://disclosure.test:8443");
const QString kFolder = kHost + QStringLiteral("/inbs/");
const QString kPage1 = kFolder + QStringLiteral("I_list_001_20240105.html");

double At(int hour, int minute, int second = 0) {
    return Dates::ToOle(QDateTime(QDate(2024, 1, 5), QTime(hour, minute, second)));
}

News::ParsedHeadlines Parse(const QString& file, double cutOff, QString& nextPage,
                            const QString& address = kPage1) {
    return Yahoo::ParseTdnetListText(FixturePage(file), address, nextPage, cutOff);
}

News::ParsedHeadlines Parse(const QString& file, double cutOff = 0) {
    QString nextPage;
    return Parse(file, cutOff, nextPage);
}

} // namespace

class TestTdnetList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Program::Settings().TdnetHost = kHost; }

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
        // Links are checked by their file name in the list's folder.
        auto file = [](const QString& link) {
            return link.startsWith(kFolder) ? link.mid(kFolder.size()) : link;
        };
        QTEST(QStringList({item.CodeText, item.CompanyName, item.Title, item.Mark,
                           file(item.CellLink1), file(item.CellLink9)})
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
};

QTEST_GUILESS_MAIN(TestTdnetList)
#include "tst_tdnetlist.moc"
