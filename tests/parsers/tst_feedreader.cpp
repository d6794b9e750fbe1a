// The feed reader on feeds written here: the three formats, titles, links, dates, the four
// Japanese encodings and broken or hostile documents.

#include "parsers/FeedReader.h"
#include "text/Dates.h"

#include <QtTest>
#include <unicode/ucnv.h>

using Feeds::FeedFormat;

namespace {

const QString kFeedAddress = QStringLiteral("http://127.0.0.1:8080/feeds/market.xml");

// One entry in a minimal document of the format; inner is the entry's children as XML.
QByteArray Wrap(const QString& format, const QString& inner, const QString& entryAttributes = {}) {
    QString doc;
    if (format == u"rss2")
        doc = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
              "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel><title>T</title>"
              "<link>http://feed.test/</link>\n<item" +
              entryAttributes + ">" + inner + "</item>\n</channel></rss>\n";
    else if (format == u"rss1")
        doc = "<?xml version=\"1.0\"?>\n<rdf:RDF "
              "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
              "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
              "<channel rdf:about=\"http://feed.test/\"><title>T</title></channel>\n<item" +
              entryAttributes + ">" + inner + "</item>\n</rdf:RDF>\n";
    else
        doc = "<?xml version=\"1.0\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
              "<title>T</title>\n<entry" +
              entryAttributes + ">" + inner + "</entry>\n</feed>\n";
    return doc.toUtf8();
}

Feeds::FeedItem Only(const QByteArray& body, const QString& address = kFeedAddress) {
    const Feeds::FeedParse parse = Feeds::ParseFeed(body, "application/xml", address);
    if (!parse.Fault.isEmpty() || parse.Items.size() != 1) {
        qWarning("fault %s, %d items", qPrintable(parse.Fault), int(parse.Items.size()));
        return {};
    }
    return parse.Items.first();
}

QByteArray Encode(const QString& text, const char* charset) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(charset, &error);
    if (U_FAILURE(error))
        return {};
    QByteArray out(text.size() * 8 + 16, Qt::Uninitialized);
    const int32_t n =
        ucnv_fromUChars(converter, out.data(), int32_t(out.size()),
                        reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()), &error);
    ucnv_close(converter);
    out.truncate(U_FAILURE(error) ? 0 : n);
    return out;
}

QString Utc(const std::optional<QDateTime>& when) {
    return when ? when->toUTC().toString(Qt::ISODateWithMs) : QStringLiteral("none");
}

// Items numbered 1..count; the last one may be left open to cut a document short.
QString RssItems(int count) {
    QString items;
    for (int i = 1; i <= count; ++i)
        items += QStringLiteral("<item><title>見出し%1</title><link>http://feed.test/%1</link>"
                                "</item>\n")
                     .arg(i);
    return items;
}

QByteArray RssWith(const QString& items, const QString& prolog = {}) {
    return ("<?xml version=\"1.0\"?>\n" + prolog + "<rss version=\"2.0\"><channel>\n" + items +
            "</channel></rss>\n")
        .toUtf8();
}

QStringList Titles(const Feeds::FeedParse& parse) {
    QStringList titles;
    for (const Feeds::FeedItem& item : parse.Items)
        titles << item.Title;
    return titles;
}

} // namespace

class TestFeedReader : public QObject {
    Q_OBJECT

private slots:
    // Every field from each format, in document order, from a feed of two entries.
    void formats_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("first");  // title, link, category, guid
        QTest::addColumn<QStringList>("second"); // the same for the second entry

        QTest::newRow("rss 2.0")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\" "
                          "xmlns:media=\"http://search.yahoo.com/mrss/\">\n<channel>\n"
                          "<title>市況</title><link>http://feed.test/</link>\n"
                          "<item><title>日経平均、続伸</title>"
                          "<media:title>not this</media:title>"
                          "<atom:link href=\"http://feed.test/not-this\"/>"
                          "<link>http://feed.test/a/1</link><category>市況</category>"
                          "<category>株式</category><guid isPermaLink=\"false\">id-1</guid>"
                          "<pubDate>Fri, 05 Jan 2024 09:05:00 +0900</pubDate></item>\n"
                          "<item><title>円相場</title><link>http://feed.test/a/2</link>"
                          "<source url=\"http://other.test/\">他社</source></item>\n"
                          "</channel></rss>\n")
            << int(FeedFormat::Rss2)
            << QStringList{"日経平均、続伸", "http://feed.test/a/1", "市況", "id-1"}
            << QStringList{"円相場", "http://feed.test/a/2", "", ""};
        QTest::newRow("rss 1.0")
            << QByteArray("<?xml version=\"1.0\"?>\n<rdf:RDF "
                          "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                          "xmlns=\"http://purl.org/rss/1.0/\" "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                          "<channel rdf:about=\"http://feed.test/\"><title>開示</title>"
                          "<link>http://feed.test/</link><items><rdf:Seq>"
                          "<rdf:li rdf:resource=\"http://feed.test/r/1\"/></rdf:Seq></items>"
                          "</channel>\n"
                          "<item rdf:about=\"http://feed.test/r/1\"><title>配当予想</title>"
                          "<link>http://feed.test/r/1.html</link><dc:subject>開示</dc:subject>"
                          "<dc:date>2024-01-05T15:00:00+09:00</dc:date></item>\n"
                          "<item rdf:about=\"http://feed.test/r/2\"><title>人事</title>"
                          "</item>\n</rdf:RDF>\n")
            << int(FeedFormat::Rss1)
            << QStringList{"配当予想", "http://feed.test/r/1.html", "開示", "http://feed.test/r/1"}
            << QStringList{"人事", "http://feed.test/r/2", "", "http://feed.test/r/2"};
        QTest::newRow("atom 1.0")
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>ニュース</title>"
                          "<id>urn:feed</id><link rel=\"self\" href=\"http://feed.test/atom\"/>\n"
                          "<entry><title>決算発表</title><id>urn:e1</id>"
                          "<link href=\"http://feed.test/e/1\"/>"
                          "<category term=\"earnings\" label=\"決算\"/>"
                          "<category term=\"second\"/>"
                          "<source><title>元</title><link href=\"http://src.test/\"/></source>"
                          "<updated>2024-01-05T06:00:00Z</updated></entry>\n"
                          "<entry><title>為替</title><id>urn:e2</id>"
                          "<category term=\"fx\"/>"
                          "<link rel=\"alternate\" href=\"http://feed.test/e/2\"/></entry>\n"
                          "</feed>\n")
            << int(FeedFormat::Atom)
            << QStringList{"決算発表", "http://feed.test/e/1", "決算", "urn:e1"}
            << QStringList{"為替", "http://feed.test/e/2", "fx", "urn:e2"};
    }
    void formats() {
        QFETCH(QByteArray, body);
        QFETCH(int, format);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        const Feeds::FeedParse parse = Feeds::ParseFeed(body, "", kFeedAddress);
        QCOMPARE(parse.Fault, QString());
        QCOMPARE(int(parse.Format), format);
        QCOMPARE(parse.Items.size(), 2);
        const QStringList expected[] = {first, second};
        for (int i = 0; i < 2; ++i) {
            const Feeds::FeedItem& item = parse.Items.at(i);
            QCOMPARE((QStringList{item.Title, item.Link, item.Category, item.Guid}), expected[i]);
        }
        QVERIFY(parse.Items.at(0).Posted > 0);
        QCOMPARE(parse.Items.at(1).Posted, 0.0);
    }

    void notAFeed_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("fault");
        QTest::newRow("html page") << QByteArray("<html><body>404</body></html>")
                                   << "RSS / Atom のフィードではありません（最初の要素は html）";
        QTest::newRow("atom element outside its namespace")
            << QByteArray("<feed><entry><title>x</title></entry></feed>")
            << "RSS / Atom のフィードではありません（最初の要素は feed）";
        QTest::newRow("empty") << QByteArray(" \r\n ") << "フィードが空です";
        QTest::newRow("declaration only")
            << QByteArray("<?xml version=\"1.0\"?>\n") << "フィードの要素がありません";
        QTest::newRow("text, not markup")
            << QByteArray("Service Unavailable")
            << "XML の 1 行目で読み取りを打ち切りました（XML の形式に誤りがあります）";
    }
    void notAFeed() {
        QFETCH(QByteArray, body);
        QFETCH(QString, fault);
        const Feeds::FeedParse parse = Feeds::ParseFeed(body, "text/html", kFeedAddress);
        QCOMPARE(parse.Fault, fault);
        QCOMPARE(parse.Items.size(), 0);
    }

    void titles_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("title");
        const auto row = [](const char* name, const char* format, const char* inner,
                            const char* title) {
            QTest::newRow(name) << QString::fromUtf8(format) << QString::fromUtf8(inner)
                                << QString::fromUtf8(title);
        };
        row("cdata unwrapped, its tags removed", "rss2",
            "<title><![CDATA[トヨタ、<b>増益</b>]]></title>", "トヨタ、増益");
        row("numeric references, decimal and hex", "rss2", "<title>&#x30C8;&#12520;タ</title>",
            "トヨタ");
        row("references inside cdata", "rss2", "<title><![CDATA[&#x30C8;&amp;ヨタ]]></title>",
            "ト&ヨタ");
        row("escaped markup removed", "rss2",
            "<title>&lt;b&gt;速報&lt;/b&gt; 日経平均&lt;br/&gt;反発</title>", "速報 日経平均 反発");
        row("twice-escaped ampersand", "rss2", "<title>M&amp;amp;A</title>", "M&A");
        row("a lone less-than stays", "rss2", "<title>1 &lt; 2 &lt;</title>", "1 < 2 <");
        row("html comment removed", "rss1", "<title><![CDATA[株<!-- x > y -->価]]></title>",
            "株価");
        row("white space runs, trimmed", "rss2", "<title>\n  日経平均\t\r\n 続伸  </title>",
            "日経平均 続伸");
        row("full-width blanks kept", "rss1", "<title> 　株価　急伸　 </title>", "　株価　急伸　");
        row("no-break space is a blank", "rss2", "<title>a&amp;nbsp;&#160; b</title>", "a b");
        row("unknown named reference stays", "rss2", "<title>&amp;zork; &amp;amp</title>",
            "&zork; &amp");
        row("child elements give their text", "rss2", "<title>上<b>方</b>修正</title>", "上方修正");
        row("first title wins", "rss1", "<title>一</title><title>二</title>", "一");
        row("atom text keeps angle brackets", "atom",
            "<title>&lt;b&gt;x&lt;/b&gt; &amp;amp;</title>", "<b>x</b> &amp;");
        row("atom html", "atom", "<title type=\"html\">&lt;b&gt;x&lt;/b&gt; &amp;amp;</title>",
            "x &");
        row("atom html in cdata", "atom",
            "<title type=\"html\"><![CDATA[<em>円高</em>&#x3001;進む]]></title>", "円高、進む");
        row("atom xhtml", "atom",
            "<title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
            "<b>太字</b>  と\n<i>&lt;斜体&gt;</i></div></title>",
            "太字 と <斜体>");
        row("no title", "atom", "<id>x</id>", "");
    }
    void titles() {
        QFETCH(QString, format);
        QFETCH(QString, inner);
        QFETCH(QString, title);
        QCOMPARE(Only(Wrap(format, inner)).Title, title);
    }

    // HTML's entities in a feed that names a DTD we do not read.
    void undeclaredEntitiesUnderAnExternalDtd() {
        const QByteArray body =
            "<?xml version=\"1.0\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS "
            "0.91//EN\" \"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n"
            "<rss version=\"0.91\"><channel><item><title>東証&nbsp;大引け&hellip;&zork;</title>"
            "</item></channel></rss>";
        QCOMPARE(Only(body).Title, QStringLiteral("東証 大引け…&zork;"));
    }

    void links_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("entryAttributes");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("link");
        const QString feed = kFeedAddress;
        QTest::newRow("atom alternate before other rels")
            << "atom"
            << "<link rel=\"enclosure\" href=\"http://a.test/x.mp3\"/><link rel=\"self\" "
               "href=\"http://a.test/self\"/><link rel=\"alternate\" href=\"http://a.test/1\"/>"
               "<link href=\"http://a.test/2\"/>"
            << "" << feed << "http://a.test/1";
        QTest::newRow("atom link without rel counts as alternate")
            << "atom"
            << "<link rel=\"related\" href=\"http://a.test/r\"/><link href=\"http://a.test/n\"/>"
            << "" << feed << "http://a.test/n";
        QTest::newRow("atom only another rel") << "atom"
                                               << "<link rel=\"related\" href=\"http://a.test/r\"/>"
                                               << "" << feed << "http://a.test/r";
        QTest::newRow("atom link with an empty href skipped")
            << "atom"
            << "<link href=\" \"/><link href=\"http://a.test/ok\"/>"
            << "" << feed << "http://a.test/ok";
        QTest::newRow("root-relative against the feed")
            << "atom"
            << "<link href=\"/news/1\"/>"
            << "" << feed << "http://127.0.0.1:8080/news/1";
        QTest::newRow("relative against the feed")
            << "rss2"
            << "<link> 2.html </link>"
            << "" << feed << "http://127.0.0.1:8080/feeds/2.html";
        QTest::newRow("dot segments") << "rss1"
                                      << "<link>../a/./b.html?x=1#f</link>"
                                      << "" << feed << "http://127.0.0.1:8080/a/b.html?x=1#f";
        QTest::newRow("xml:base on the entry")
            << "atom"
            << "<link href=\"x.html\"/>"
            << " xml:base=\"http://base.test/dir/\"" << feed << "http://base.test/dir/x.html";
        QTest::newRow("relative xml:base on the link, against the entry's")
            << "atom"
            << "<link xml:base=\"sub/\" href=\"x.html\"/>"
            << " xml:base=\"http://base.test/dir/\"" << feed << "http://base.test/dir/sub/x.html";
        QTest::newRow("relative xml:base against the feed address")
            << "rss2"
            << "<link>x.html</link>"
            << " xml:base=\"/other/\"" << feed << "http://127.0.0.1:8080/other/x.html";
        QTest::newRow("absolute link kept as written")
            << "rss2"
            << "<link>https://a.test/記事?id=1&amp;p=2</link>"
            << "" << feed << "https://a.test/記事?id=1&p=2";
        QTest::newRow("relative without a feed address stays relative") << "rss2"
                                                                        << "<link>/n/1</link>"
                                                                        << ""
                                                                        << ""
                                                                        << "/n/1";
        QTest::newRow("rss 2.0 permalink guid stands in") << "rss2"
                                                          << "<guid>http://a.test/g</guid>"
                                                          << "" << feed << "http://a.test/g";
        QTest::newRow("rss 2.0 guid that is no permalink")
            << "rss2"
            << "<guid isPermaLink=\"false\">http://a.test/g</guid>"
            << "" << feed << "";
        QTest::newRow("rss 2.0 link beats guid")
            << "rss2"
            << "<guid>http://a.test/g</guid><link>http://a.test/l</link>"
            << "" << feed << "http://a.test/l";
        QTest::newRow("rss 1.0 rdf:about stands in")
            << "rss1"
            << "<title>x</title>"
            << " rdf:about=\"http://a.test/about\"" << feed << "http://a.test/about";
        QTest::newRow("no link") << "atom"
                                 << "<title>x</title>"
                                 << "" << feed << "";
    }
    void links() {
        QFETCH(QString, format);
        QFETCH(QString, inner);
        QFETCH(QString, entryAttributes);
        QFETCH(QString, address);
        QFETCH(QString, link);
        QCOMPARE(Only(Wrap(format, inner, entryAttributes), address).Link, link);
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("utc"); // "none": not a date
        const auto row = [](const char* text, const char* utc) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(utc);
        };
        // RFC 822 and its relatives.
        row("Fri, 05 Jan 2024 09:05:00 +0900", "2024-01-05T00:05:00.000Z");
        row("Fri, 05 Jan 2024 09:05:00 JST", "2024-01-05T00:05:00.000Z");
        row("05 Jan 2024 00:05:00 GMT", "2024-01-05T00:05:00.000Z");
        row("Fri,05 Jan 2024 00:05:00 UT", "2024-01-05T00:05:00.000Z");
        row("Friday, 5 January 2024 00:05 UTC", "2024-01-05T00:05:00.000Z");
        row("fri, 05 jan 24 00:05 z", "2024-01-05T00:05:00.000Z");
        row("Tue, 05 Jan 99 12:00:00 GMT", "1999-01-05T12:00:00.000Z");
        row("Thu, 04 Jan 2024 19:05:00 EST", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 20:05:00 EDT", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 18:05:00 CST", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 19:05:00 CDT", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 17:05:00 MST", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 18:05:00 MDT", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 16:05:00 PST", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 17:05:00 PDT", "2024-01-05T00:05:00.000Z");
        row("Fri, 05 Jan 2024 00:05:00 A", "2024-01-05T00:05:00.000Z");
        row("Fri, 05 Jan 2024 00:05:00 Y", "2024-01-05T00:05:00.000Z");
        row("Fri, 05 Jan 2024 05:35:00 +05:30", "2024-01-05T00:05:00.000Z");
        row("Thu, 04 Jan 2024 21:05:00 -0300", "2024-01-05T00:05:00.000Z");
        row("Fri, 05 Jan 2024 09:05:00 +0900 (JST)", "2024-01-05T00:05:00.000Z");
        row("Fri, 05-Jan-2024 00:05:00 GMT", "2024-01-05T00:05:00.000Z");
        row("Sun, 31 Dec 2023 23:59:60 GMT", "2023-12-31T23:59:59.000Z");
        row("  Fri, 05 Jan 2024\n 09:05:00 +0900 ", "2024-01-05T00:05:00.000Z");
        // Without a zone the date is local (Tokyo in the tests).
        row("Fri, 05 Jan 2024 09:05:00", "2024-01-05T00:05:00.000Z");
        // RFC 3339 and W3C-DTF.
        row("2024-01-05T09:05:30+09:00", "2024-01-05T00:05:30.000Z");
        row("2024-01-05T00:05Z", "2024-01-05T00:05:00.000Z");
        row("2024-01-05t00:05:30.25z", "2024-01-05T00:05:30.250Z");
        row("2024-01-05T00:05:30.123456Z", "2024-01-05T00:05:30.123Z");
        row("2024-01-05T00:05:30.98765432109876543210Z", "2024-01-05T00:05:30.987Z");
        row("2024-01-04T19:05:00-05:00", "2024-01-05T00:05:00.000Z");
        row("2024-01-05 09:05:00+0900", "2024-01-05T00:05:00.000Z");
        row("2024-01-05T09:05:00+09", "2024-01-05T00:05:00.000Z");
        row("2024-01-05T09:05", "2024-01-05T00:05:00.000Z");
        row("2024-01-05", "2024-01-04T15:00:00.000Z");
        row("2024-01", "2023-12-31T15:00:00.000Z");
        row("2024", "2023-12-31T15:00:00.000Z");
        // Not dates.
        row("", "none");
        row("yesterday", "none");
        row("1704412800", "none");
        row("Fri, 32 Jan 2024 00:00:00 GMT", "none");
        row("Fri, 05 Foo 2024 00:00:00 GMT", "none");
        row("Fry, 05 Jan 2024 00:00:00 GMT", "none");
        row("Fri, 05 Jan 2024 24:00:00 GMT", "none");
        row("Fri, 05 Jan 2024 09:05:00 CEST", "none");
        row("Fri, 05 Jan 2024 09:05:00 +0960", "none");
        row("Fri, 05 Jan 2024 09:05:00 +2500", "none");
        row("Fri, 05 Jan 2024", "none");
        row("2024-13-01", "none");
        row("2023-02-29T00:00:00Z", "none");
        row("2024-01-05T09:05:00+25:00", "none");
        row("2024-01-05T9:05:00Z", "none");
        row("2024/01/05 09:05", "none");
    }
    void dates() {
        QFETCH(QString, text);
        QFETCH(QString, utc);
        QCOMPARE(Utc(Feeds::ParseFeedDate(text)), utc);
    }

    // Which of an entry's dates is taken, and that it is shown in local time.
    void posted_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("shown"); // as the headline table shows Posted; "" for 0
        QTest::newRow("rss 2.0 pubDate in GMT")
            << "rss2"
            << "<pubDate>Thu, 04 Jan 2024 16:05:00 GMT</pubDate>"
            << "2024/01/05 1:05:00";
        QTest::newRow("rss 2.0 pubDate before dc:date")
            << "rss2"
            << "<dc:date>2024-01-01T00:00:00Z</dc:date><pubDate>Fri, 05 Jan 2024 10:00:00 "
               "JST</pubDate>"
            << "2024/01/05 10:00:00";
        QTest::newRow("rss 2.0 unreadable pubDate, dc:date instead")
            << "rss2"
            << "<pubDate>someday</pubDate><dc:date>2024-01-05T01:02:03Z</dc:date>"
            << "2024/01/05 10:02:03";
        QTest::newRow("rss 1.0 dc:date without seconds")
            << "rss1"
            << "<dc:date>2024-01-05T15:30+09:00</dc:date>"
            << "2024/01/05 15:30:00";
        QTest::newRow("atom published before updated")
            << "atom"
            << "<updated>2024-01-06T00:00:00Z</updated><published>2024-01-05T00:00:00Z"
               "</published>"
            << "2024/01/05 9:00:00";
        QTest::newRow("atom updated when nothing was published")
            << "atom"
            << "<updated>2024-01-05T14:59:59Z</updated>"
            << "2024/01/05 23:59:59";
        QTest::newRow("atom midnight shows the date alone")
            << "atom"
            << "<published>2024-01-05T00:00:00+09:00</published>"
            << "2024/01/05";
        QTest::newRow("no date") << "rss2"
                                 << "<title>x</title>"
                                 << "";
        QTest::newRow("bad date") << "rss1"
                                  << "<dc:date>2024-02-30</dc:date>"
                                  << "";
    }
    void posted() {
        QFETCH(QString, format);
        QFETCH(QString, inner);
        QFETCH(QString, shown);
        const Feeds::FeedItem item = Only(Wrap(format, inner));
        QCOMPARE(item.Posted == 0, shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(Dates::DateTimeText(item.Posted), shown);
    }

    void encodings_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        const QString title = QStringLiteral("トヨタ自動車、営業益　５％増～①");
        const auto doc = [&](const char* declared, const char* charset) {
            QString text =
                QStringLiteral("<?xml version=\"1.0\"%1?>\n<rss version=\"2.0\"><channel>"
                               "<item><title>%2</title></item></channel></rss>\n")
                    .arg(declared[0]
                             ? QStringLiteral(" encoding=\"%1\"").arg(QString::fromLatin1(declared))
                             : QString(),
                         title);
            return Encode(text, charset);
        };
        QTest::newRow("utf-8, nothing declared") << doc("", "UTF-8") << QByteArray("text/xml");
        QTest::newRow("utf-8 declared") << doc("utf-8", "UTF-8") << QByteArray();
        QTest::newRow("utf-8 by header, declaration says shift_jis")
            << doc("Shift_JIS", "UTF-8") << QByteArray("text/xml; charset=UTF-8");
        QTest::newRow("utf-8 with bom, header says otherwise")
            << QByteArray("\xEF\xBB\xBF") + doc("", "UTF-8")
            << QByteArray("text/xml; charset=Shift_JIS");
        QTest::newRow("utf-16 with bom")
            << Encode(QChar(0xFEFF) + QString::fromUtf8(doc("", "UTF-8")), "UTF-16LE")
            << QByteArray();
        QTest::newRow("shift_jis by declaration")
            << doc("Shift_JIS", "windows-31j") << QByteArray("application/rss+xml");
        QTest::newRow("shift_jis by header")
            << doc("", "windows-31j") << QByteArray("application/rss+xml;charset=\"x-sjis\"");
        QTest::newRow("euc-jp by declaration") << doc("EUC-JP", "EUC-JP") << QByteArray();
        QTest::newRow("euc-jp by header, declaration lies")
            << doc("Shift_JIS", "EUC-JP") << QByteArray("text/xml; Charset = EUC-JP ; q=1");
        QTest::newRow("iso-2022-jp by declaration")
            << doc("ISO-2022-JP", "ISO-2022-JP") << QByteArray();
        QTest::newRow("iso-2022-jp by header")
            << doc("", "ISO-2022-JP") << QByteArray("text/xml; charset=iso-2022-jp");
        QTest::newRow("shift_jis, nothing declared") << doc("", "windows-31j") << QByteArray();
        QTest::newRow("header names the wrong charset")
            << doc("", "EUC-JP") << QByteArray("text/xml; charset=Shift_JIS");
        QTest::newRow("declaration names a charset nobody knows")
            << doc("x-unheard-of", "windows-31j") << QByteArray();
    }
    void encodings() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QVERIFY(!body.isEmpty());
        const Feeds::FeedParse parse = Feeds::ParseFeed(body, contentType, kFeedAddress);
        QCOMPARE(parse.Fault, QString());
        QCOMPARE(Titles(parse), QStringList{QStringLiteral("トヨタ自動車、営業益　５％増～①")});
    }

    // Broken documents give the entries completed before the break and say where it was.
    void malformed_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("fault");
        const QByteArray open = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>\n";
        QTest::newRow("cut inside the fourth item")
            << open + RssItems(3).toUtf8() + "<item><title>見出し4</title><link>http://f" << 3
            << "XML の 6 行目で読み取りを打ち切りました（文書が途中で終わっています）";
        QTest::newRow("cut between items")
            << RssWith(RssItems(2)).left(RssWith(RssItems(2)).indexOf("</channel>")) << 2
            << "XML の 5 行目で読み取りを打ち切りました（文書が途中で終わっています）";
        QTest::newRow("mismatched tag in the third item")
            << RssWith(RssItems(2) + "<item><title>壊れ</titel></item>\n" + RssItems(1)) << 2
            << "XML の 5 行目で読み取りを打ち切りました（XML の形式に誤りがあります）";
        QTest::newRow("undeclared entity without a DTD")
            << RssWith(RssItems(1) + "<item><title>a&nbsp;b</title></item>\n") << 1
            << "XML の 4 行目で読み取りを打ち切りました（XML の形式に誤りがあります）";
        QTest::newRow("bare ampersand")
            << RssWith(RssItems(2) + "<item><title>M&A</title></item>\n") << 2
            << "XML の 5 行目で読み取りを打ち切りました（XML の形式に誤りがあります）";
        QTest::newRow("junk after the root is not read")
            << RssWith(RssItems(2)) + "<<garbage>> \x01\xFF" << 2 << "";
        QTest::newRow("items straight under rss, in an unknown element")
            << QByteArray("<rss><x><item><title>a</title></item></x><item><title>b</title>"
                          "</item></rss>")
            << 2 << "";
    }
    void malformed() {
        QFETCH(QByteArray, body);
        QFETCH(int, items);
        QFETCH(QString, fault);
        const Feeds::FeedParse parse = Feeds::ParseFeed(body, "text/xml", kFeedAddress);
        QCOMPARE(parse.Format, FeedFormat::Rss2);
        QCOMPARE(parse.Fault, fault);
        QCOMPARE(parse.Items.size(), items);
        for (int i = 0; i < items && i < 3; ++i)
            QVERIFY(parse.Items.at(i).Title.startsWith(u"見出し") ||
                    parse.Items.at(i).Title.size() == 1);
    }

    // Entities that multiply, nesting without end: the reader stops without eating the machine.
    void hostile_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("items");
        QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY l0 \"lol\">\n";
        for (int i = 1; i <= 12; ++i)
            laughs += QStringLiteral("<!ENTITY l%1 \"&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;\">\n")
                          .arg(i)
                          .arg(i - 1)
                          .toLatin1();
        laughs += "]>\n<rss><channel><item><title>ok</title></item>"
                  "<item><title>&l12;</title></item></channel></rss>";
        QTest::newRow("billion laughs") << laughs << 1;
        QByteArray recursive = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY a \"&b;\">"
                               "<!ENTITY b \"&a;\">]>\n<rss><channel><item><title>&a;</title>"
                               "</item></channel></rss>";
        QTest::newRow("recursive entities") << recursive << 0;
        QByteArray deep = "<rss><channel><item><title>x</title></item><item><title>";
        deep += QByteArray("<b>").repeated(200000) + "y" + QByteArray("</b>").repeated(200000);
        deep += "</title></item><item>" + QByteArray("<z>").repeated(200000);
        QTest::newRow("deep nesting, then cut") << deep << 2;
    }
    // Long runs of "<" that close no tag and "&" that end no reference stay text as written; a
    // reference at the very end still decodes.
    void unclosedMarkupRuns() {
        const QString run = QStringLiteral("<a&x").repeated(100000) + QStringLiteral("&amp;");
        const Feeds::FeedItem item =
            Only(Wrap(QStringLiteral("rss2"), "<title><![CDATA[" + run + "]]></title>"));
        QCOMPARE(item.Title.size(), run.size() - 4);
        QVERIFY(item.Title == QStringLiteral("<a&x").repeated(100000) + u'&');
    }

    void hostile() {
        QFETCH(QByteArray, body);
        QFETCH(int, items);
        const Feeds::FeedParse parse = Feeds::ParseFeed(body, "", kFeedAddress);
        QCOMPARE(parse.Items.size(), items);
        QVERIFY(!parse.Fault.isEmpty());
        for (const Feeds::FeedItem& item : parse.Items)
            QVERIFY(item.Title.size() < 100);
    }
};

QTEST_GUILESS_MAIN(TestFeedReader)
#include "tst_feedreader.moc"
