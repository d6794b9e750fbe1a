// Feed lists read from and written to OPML: what other readers export, what we export, and what
// a broken or foreign file gives.

#include "parsers/Opml.h"

#include <QtTest>

using Program::FeedSource;
using Feeds = QList<FeedSource>;

namespace {

QByteArray Document(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\"><head><title>t"
           "</title></head><body>" +
           body + "</body></opml>";
}

} // namespace

class TestOpml : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Feeds>("feeds");
        const QString a = "https://example.jp/a.xml", b = "http://example.jp/b.rss",
                      c = "https://example.jp/c";
        QTest::newRow("flat, name from title before text")
            << Document("<outline type=\"rss\" text=\"テキスト\" title=\"タイトル\" xmlUrl=\"" +
                        a.toUtf8() + "\"/><outline text=\"B\" xmlUrl=\"" + b.toUtf8() + "\"/>")
            << Feeds{{"タイトル", a, true}, {"B", b, true}};
        QTest::newRow("no title or text: the address; blanks trimmed")
            << Document("<outline xmlUrl=\"  " + a.toUtf8() + " \" title=\"  \"/>")
            << Feeds{{a, a, true}};
        // As a title written from it reads back: runs of blanks made one.
        QTest::newRow("address as the name, blanks inside made one")
            << Document("<outline xmlUrl=\"http://example.jp/a?q=x   y\"/>")
            << Feeds{{"http://example.jp/a?q=x y", "http://example.jp/a?q=x   y", true}};
        QTest::newRow("nested categories flattened in document order")
            << Document("<outline text=\"国内\"><outline text=\"A\" xmlUrl=\"" + a.toUtf8() +
                        "\"/><outline text=\"深い\"><outline text=\"B\" xmlUrl=\"" + b.toUtf8() +
                        "\"/></outline></outline><outline text=\"C\" xmlUrl=\"" + c.toUtf8() +
                        "\"/>")
            << Feeds{{"A", a, true}, {"B", b, true}, {"C", c, true}};
        QTest::newRow("outlines without a fetchable address skipped")
            << Document("<outline text=\"web only\" htmlUrl=\"" + a.toUtf8() +
                        "\"/><outline text=\"e\" xmlUrl=\"\"/><outline text=\"rel\" "
                        "xmlUrl=\"/feed.xml\"/><outline text=\"ftp\" xmlUrl=\"ftp://x/f\"/>"
                        "<outline text=\"B\" type=\"atom\" xmlUrl=\"" +
                        b.toUtf8() + "\"/>")
            << Feeds{{"B", b, true}};
        QTest::newRow("a second outline of one address dropped, host case ignored")
            << Document("<outline text=\"1\" xmlUrl=\"https://example.jp/a.xml\"/><outline "
                        "text=\"2\" xmlUrl=\"https://EXAMPLE.jp/a.xml\"/><outline text=\"3\" "
                        "xmlUrl=\"https://example.jp/A.xml\"/>")
            << Feeds{{"1", a, true}, {"3", "https://example.jp/A.xml", true}};
        QTest::newRow("entities, line breaks and Shift_JIS declared")
            << QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><opml><body><outline "
                          "text=\"R&amp;D &lt;&quot;\x93\xfa\x8b\xe2&quot;&gt;\n  news\" "
                          "xmlUrl=\"http://example.jp/b.rss?a=1&amp;b=2\"/></body></opml>")
            << Feeds{{"R&D <\"日銀\"> news", "http://example.jp/b.rss?a=1&b=2", true}};
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(Feeds, feeds);
        QString error = "stale";
        QCOMPARE(Opml::ReadOpml(bytes, &error), feeds);
        QCOMPARE(error, QString());
    }

    // What comes back when the file breaks off or is something else, and the message that says so.
    void faults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("feeds");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << 0 << "OPMLのファイルではありません。";
        QTest::newRow("not XML") << QByteArray("name,url\n") << 0
                                 << "OPMLのファイルではありません。";
        QTest::newRow("an RSS file") << QByteArray("<rss><channel><outline xmlUrl=\"http://a.jp/"
                                                   "\"/></channel></rss>")
                                     << 0 << "OPMLのファイルではありません。";
        QTest::newRow("cut off after two")
            << QByteArray("<opml><body>\n<outline xmlUrl=\"http://a.jp/1\"/>\n<outline "
                          "xmlUrl=\"http://a.jp/2\"/>\n<outline xmlUrl=\"http://a.jp/3")
            << 2 << "OPMLの4行目が壊れています。そこまでの2件を読み込みました。";
        QTest::newRow("mismatched tag after one")
            << QByteArray("<opml><body><outline xmlUrl=\"http://a.jp/1\"/>\n</head></opml>") << 1
            << "OPMLの2行目が壊れています。そこまでの1件を読み込みました。";
        QByteArray many = "<opml><body>";
        for (int i = 1; i <= Program::MaxFeeds + 5; ++i)
            many += "<outline xmlUrl=\"http://a.jp/" + QByteArray::number(i) + "\"/>";
        QTest::newRow("more than the list holds")
            << many + "</body></opml>" << Program::MaxFeeds
            << QString("フィードは%1件までです。残りは読み込みませんでした。")
                   .arg(Program::MaxFeeds);
    }
    void faults() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, feeds);
        QFETCH(QString, error);
        QString got;
        const Feeds read = Opml::ReadOpml(bytes, &got);
        QCOMPARE(read.size(), feeds);
        for (int i = 0; i < read.size(); ++i)
            QCOMPARE(read.at(i).Url, "http://a.jp/" + QString::number(i + 1));
        QCOMPARE(got, error);
    }

    // Our own file read back: names and addresses exactly, every feed enabled again.
    void roundTrip() {
        const Feeds feeds{{"株探 & <速報> \"注目\"", "https://example.jp/a.xml?x=1&y=<2>", true},
                          {"止めてある'フィード'", "http://example.jp/b", false},
                          {"\U0001F4C8 tab\there", "https://example.jp/c", true}};
        const QByteArray bytes = Opml::WriteOpml(feeds, "Tickerwisp & フィード");
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        QVERIFY(bytes.contains("<opml version=\"2.0\">"));
        QVERIFY(bytes.contains("<title>Tickerwisp &amp; フィード</title>"));
        QVERIFY(bytes.contains("<outline type=\"rss\" text=\"株探 &amp; &lt;速報&gt; "
                               "&quot;注目&quot;\" title=\"株探 &amp; &lt;速報&gt; "
                               "&quot;注目&quot;\" xmlUrl=\"https://example.jp/"
                               "a.xml?x=1&amp;y=&lt;2&gt;\"/>"));
        QString error = "stale";
        Feeds expected = feeds;
        expected[1].Enabled = true;
        // A tab is a blank in a name as the reader tidies it.
        expected[2].Name = "\U0001F4C8 tab here";
        QCOMPARE(Opml::ReadOpml(bytes, &error), expected);
        QCOMPARE(error, QString());
    }

    // Characters XML cannot hold are left out instead of spoiling the file.
    void writeUnwritableCharacters() {
        const Feeds feeds{
            {QString("a\x01z") + QChar(0xFFFF) + QChar(0xD800), "http://a.jp/1", true}};
        QString error;
        const Feeds read = Opml::ReadOpml(Opml::WriteOpml(feeds, QString("\x02")), &error);
        QCOMPARE(error, QString());
        QCOMPARE(read, (Feeds{{"az", "http://a.jp/1", true}}));
    }
};

QTEST_MAIN(TestOpml)
#include "tst_opml.moc"
