// The portal news list parser on our own list pages.

#include "ParserFixtures.h"
#include "app/Trace.h"
#include "parsers/Yahoo.h"
#include "text/Dates.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ParserTest;

namespace {

const QString kAddress = QStringLiteral("http://news.test:8080/cp/rtrs?date=20240105");
const QString kSite = QStringLiteral("http://news.test:8080");

News::ParsedHeadlines Parse(Yahoo::WordLists& words, const QString& file, QString& nextPage) {
    return Yahoo::ParseYahooNewsListText(words, FixturePage(file), kAddress,
                                         QStringLiteral("ロイター"), nextPage);
}

News::ParsedHeadlines Parse(Yahoo::WordLists& words, const QString& file) {
    QString nextPage;
    return Parse(words, file, nextPage);
}

QString ReadTrace() {
    QFile file(Common::AppDataFolder() + QStringLiteral("/Debug.LOG"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestNewsList : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FixedClock clock_;
    Yahoo::WordLists words_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
    }
    void cleanupTestCase() { Ports::SetClock(nullptr); }
    void init() {
        clock_.now = QDateTime(QDate(2024, 1, 5), QTime(12, 0));
        QVERIFY(InstallWordLists());
        words_.Reset();
    }

    void titles_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("mark");
        // name, index on the page, title, category, mark
        const std::tuple<const char*, int, const char*, const char*, const char*> rows[] = {
            {"再送 drops three characters", 0, "トヨタ、新型車を発表", "", "再"},
            {"追加 with a wide blank", 1, "日産の決算", "", "追"},
            {"訂正", 2, "ホンダ株が続伸", "", "訂"},
            {"☆差替 at the end", 3, "ソニー、新工場を建設", "", "替"},
            {"UPDATE drops eight", 4, "日経平均は続伸", "", "更"},
            {"later mark wins", 6, "-原油先物が反落", "", "更"},
            {"listed bracket word", 7, "任天堂、純利益2割増", "決算", ""},
            {"unlisted bracket, separator without word", 8, "【注目】東証：日経平均が反発", "", ""},
            {"unlisted bracket reaches the fallback", 9, "半導体株が急伸", "注目", ""},
            {"fallback takes ＜＞ first, all spans go", 10, "[海外]ドル高が進む", "ＮＹ外為", ""},
            {"--- keeps both parts untrimmed", 11, "  日経平均は上値が重い", "相場観 ", ""},
            {"＝ header word", 12, "ドル全面高", "ＮＹ外為", ""},
            {"＝ footer word", 13, "利上げを示唆", "日銀総裁", ""},
            {"＝ without a listed word stays", 14, "円が下落＝輸出株に買い", "", ""},
            {"： header pattern", 15, "米利下げ観測が後退", "焦点", ""},
            {"＝ footer pattern", 16, "材料出尽くしで売り", "市場筋", ""},
            {"separator runs count once, third part dropped", 17, "大引け", "東証", ""},
            {"header word before footer word", 18, "関係者", "東証", ""},
            {"later bracket pair overwrites", 20, "社長交代", "人事", ""},
            {"angle entities become parentheses", 21, "S&P500が最高値 (速報)", "", ""},
            {"entities decoded once more, tab removed", 22, "A<B\"C\"'D&#40;", "", ""},
            {"wave dash becomes full-width tilde", 23, "日経平均、3万3000円～3万4000円で推移", "",
             ""},
            {"mark alone leaves an empty title", 27, "", "", "再"},
        };
        for (const auto& [name, index, title, category, mark] : rows)
            QTest::newRow(name) << index << QString(title) << QString(category) << QString(mark);
    }
    void titles() {
        QFETCH(int, index);
        const News::ParsedHeadlines items =
            Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        QCOMPARE(items->size(), 29);
        const News::ParsedHeadline& item = items->at(index);
        QTEST(item.Title, "title");
        QTEST(item.Category, "category");
        QTEST(item.Mark, "mark");
        QCOMPARE(item.Source, QStringLiteral("ロイター"));
    }

    void urls() {
        const News::ParsedHeadlines items =
            Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        // Completed with the site; "&amp;" decoded; an absolute address kept.
        QCOMPARE(items->at(0).Url, kSite + "/hl?a=20240105-00000001-rtrs-bus_all");
        QCOMPARE(items->at(25).Url, kSite + "/hl.vip?a=20240105-00000026-rtrs-bus_all&ref=list");
        QCOMPARE(items->at(26).Url, QStringLiteral("https://news.example.jp/article/27"));
        QCOMPARE(std::tuple(items->at(0).IsVip, items->at(25).IsVip), std::tuple(false, true));
    }

    // Read on 2 January 2025 at 10:00; the page is that day's list.
    void posted_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QDateTime>("posted");
        const QDate today(2025, 1, 2);
        QTest::newRow("time only takes the page day") << 0 << QDateTime(today, QTime(9, 5));
        QTest::newRow("month and day, current year")
            << 1 << QDateTime(today.addDays(-1), QTime(23, 50));
        QTest::newRow("31 December read in January is last year")
            << 2 << QDateTime(today.addDays(-2), QTime(23, 50));
        QTest::newRow("no valid time is midnight of the page day")
            << 3 << QDateTime(today, QTime(0, 0));
        QTest::newRow("a little ahead of now stays") << 4 << QDateTime(today, QTime(10, 30));
        QTest::newRow("weekday in parentheses removed") << 5 << QDateTime(today, QTime(8, 15));
    }
    void posted() {
        QFETCH(int, index);
        QFETCH(QDateTime, posted);
        clock_.now = QDateTime(QDate(2025, 1, 2), QTime(10, 0));
        const News::ParsedHeadlines items = Parse(words_, QStringLiteral("portal_times.sjis.html"));
        QVERIFY(items);
        QCOMPARE(items->size(), 6);
        QCOMPARE(Dates::FromOle(items->at(index).Posted), posted);
    }

    void noSelectorMeansToday() {
        clock_.now = QDateTime(QDate(2024, 3, 8), QTime(12, 0));
        const News::ParsedHeadlines items =
            Parse(words_, QStringLiteral("portal_no_selector.sjis.html"));
        QVERIFY(items);
        QCOMPARE(Dates::FromOle(items->at(0).Posted), QDateTime(QDate(2024, 3, 8), QTime(9, 5)));
    }

    void paging_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("nextPage"); // "-": nothing found on the page
        QTest::newRow("next link, &amp; decoded, not completed") << "portal_titles.sjis.html"
                                                                 << "/cp/rtrs?date=20240105&p=3";
        QTest::newRow("no paging block leaves it") << "portal_no_paging.sjis.html"
                                                   << "untouched";
        QTest::newRow("paging without a next link clears it") << "portal_last_page.sjis.html"
                                                              << "";
        QTest::newRow("selected day not a date") << "portal_bad_day.sjis.html"
                                                 << "-";
        QTest::newRow("no news list section") << "portal_no_section.sjis.html"
                                              << "-";
        QTest::newRow("a block without its link faults the page") << "portal_broken_block.sjis.html"
                                                                  << "-";
        QTest::newRow("empty page") << "missing.html"
                                    << "-";
    }
    void paging() {
        QFETCH(QString, file);
        QFETCH(QString, nextPage);
        QString got = QStringLiteral("untouched");
        const News::ParsedHeadlines items = Parse(words_, file, got);
        QCOMPARE(items.has_value(), nextPage != "-");
        if (items)
            QCOMPARE(got, nextPage);
    }

    void faultIsTraced() {
        QFile::remove(Common::AppDataFolder() + QStringLiteral("/Debug.LOG"));
        Common::TraceLog trace;
        trace.Enabled = true;
        Ports::SetTrace(&trace);
        Parse(words_, QStringLiteral("portal_broken_block.sjis.html"));
        Ports::SetTrace(nullptr);
        QVERIFY2(ReadTrace().endsWith(
                     "]Err  : [5 for ParseYahooNewsList]Invalid procedure call or argument\r\n"),
                 qPrintable(ReadTrace()));
    }

    // An empty line in the header list is an entry that the empty first part equals.
    void emptyHeaderLine_data() {
        QTest::addColumn<QByteArray>("headerFile");
        QTest::addColumn<QString>("title"); // the category stays empty
        QTest::newRow("empty line in the middle")
            << QByteArray("NY\r\n\r\n東証\r\n") << "新興市場の動向";
        QTest::newRow("final line end adds none")
            << QByteArray("NY\r\n東証\r\n") << "＝新興市場の動向";
        QTest::newRow("LF only, empty line first") << QByteArray("\nNY\n") << "新興市場の動向";
    }
    void emptyHeaderLine() {
        QFETCH(QByteArray, headerFile);
        QVERIFY(WriteWordList(QStringLiteral("ヘッダ：通常.txt"), headerFile));
        const News::ParsedHeadlines items =
            Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        QTEST(items->at(24).Title, "title");
        QCOMPARE(items->at(24).Category, QString());
        // The rest of the lists still applies.
        QCOMPARE(items->at(13).Category, QStringLiteral("日銀総裁"));
    }

    // Read once per run while the header list has entries; re-read on every parse without it.
    void wordListLoading_data() {
        QTest::addColumn<bool>("headerPresent");
        QTest::addColumn<QString>("titleAfterChange");
        QTest::newRow("header list present: kept") << true << "日銀が政策維持";
        QTest::newRow("header list missing: re-read") << false << "［速報］日銀が政策維持";
    }
    void wordListLoading() {
        QFETCH(bool, headerPresent);
        if (!headerPresent)
            QVERIFY(WriteWordList(QStringLiteral("ヘッダ：通常.txt"), QByteArray()));
        News::ParsedHeadlines items = Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        QCOMPARE(items->at(19).Title, QStringLiteral("日銀が政策維持"));

        QVERIFY(WriteWordList(QStringLiteral("［］.txt"), QByteArray("決算\r\n")));
        items = Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        QTEST(items->at(19).Title, "titleAfterChange");

        words_.Reset();
        items = Parse(words_, QStringLiteral("portal_titles.sjis.html"));
        QVERIFY(items);
        QCOMPARE(items->at(19).Title, QStringLiteral("［速報］日銀が政策維持"));
    }

    // Both encodings of a page read the same; the large page ends where it should.
    void encodingsAgreeAndLargePage() {
        for (const QString name : {"portal_titles", "portal_large"}) {
            const News::ParsedHeadlines sjis = Parse(words_, name + ".sjis.html");
            const News::ParsedHeadlines euc = Parse(words_, name + ".eucjp.html");
            QVERIFY(sjis && euc);
            QCOMPARE(sjis->size(), euc->size());
            for (qsizetype i = 0; i < sjis->size(); ++i) {
                const News::ParsedHeadline &a = sjis->at(i), &b = euc->at(i);
                QCOMPARE(std::tie(a.Title, a.Category, a.Mark, a.Url, a.Posted),
                         std::tie(b.Title, b.Category, b.Mark, b.Url, b.Posted));
            }
        }
        QString nextPage;
        const News::ParsedHeadlines items =
            Parse(words_, QStringLiteral("portal_large.sjis.html"), nextPage);
        QVERIFY(items);
        QCOMPARE(items->size(), 300);
        QCOMPARE(nextPage, QStringLiteral("/cp/rtrs?date=20240105&p=3"));
        QCOMPARE(Dates::FromOle(items->at(299).Posted), QDateTime(QDate(2024, 1, 5), QTime(9, 2)));
        QCOMPARE(items->at(299).Category, QStringLiteral("速報"));
    }
};

QTEST_GUILESS_MAIN(TestNewsList)
#include "tst_newslist.moc"
