// URL parts, tag and link extraction, and the browser-bound half of clsWEB.

#include "web/clsWEB.h"

#include <QCoreApplication>
#include <QtTest>

namespace {

class FakeBrowser : public Ports::BrowserPort {
public:
    void Navigate(const QString& url, bool noCache) override {
        calls << QStringLiteral("navigate %1 %2").arg(url).arg(noCache ? "nocache" : "cache");
    }
    void SetVisible(bool visible) override { calls << (visible ? "show" : "hide"); }
    QString BodyOuterHtml() const override { return html; }
    QString BodyText() const override { return text; }
    QStringList calls;
    QString html, text;
};

} // namespace

class TestHtml : public QObject {
    Q_OBJECT
private slots:
    void urlParts_data();
    void urlParts();
    void htmlTagGet_data();
    void htmlTagGet();
    void getLinks_data();
    void getLinks();
    void linksFromTheBrowser();
    void navigateAndCapture();
};

void TestHtml::urlParts_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("parts"); // Path Name Base Ext PathBase Parent ParentOnly Address
    const QString app = QCoreApplication::applicationDirPath();
    QTest::newRow("page") << "s://h/dir/page.html"
                          << QStringList{"s://h/dir",      "page.html", "page", "html",
                                         "s://h/dir/page", "s://h/dir", "dir",  "s://h"};
    QTest::newRow("folder") << "http://h/a/b/"
                            << QStringList{"http://h/a/b", "",  "",        "", "http://h/a/b/",
                                           "http://h/a/b", "b", "http://h"};
    QTest::newRow("bare host") << "http://h" << QStringList{"http:/",   "h",      "h", "",
                                                            "http://h", "http:/", "",  "http://h"};
    QTest::newRow("dotted host, two dots in name") << "https://www.x.co.jp/d/c.tar.gz"
                                                   << QStringList{"https://www.x.co.jp/d",
                                                                  "c.tar.gz",
                                                                  "c.tar",
                                                                  "gz",
                                                                  "https://www.x.co.jp/d/c.tar",
                                                                  "https://www.x.co.jp/d",
                                                                  "d",
                                                                  "https://www.x.co.jp"};
    QTest::newRow("no dot in name")
        << "http://h.com/news"
        << QStringList{"http://h.com",      "news",         "news",  "",
                       "http://h.com/news", "http://h.com", "h.com", "http://h.com"};
    QTest::newRow("no slash") << "page.html"
                              << QStringList{app,           "page.html", "page", "html",
                                             app + "/page", "",          "",     ""};
    QTest::newRow("relative") << "a/b.txt"
                              << QStringList{"a", "b.txt", "b", "txt", "a/b", "a", "a", ""};
    QTest::newRow("empty") << "" << QStringList{app, "", "", "", app + "/", "", "", ""};
}

void TestHtml::urlParts() {
    QFETCH(QString, url);
    QFETCH(QStringList, parts);
    clsWEB web;
    web.SetFull(url);
    QCOMPARE(web.Full(), url);
    const QStringList got{web.Path(),     web.Name(),   web.Base(),       web.Ext(),
                          web.PathBase(), web.Parent(), web.ParentOnly(), web.Address()};
    QCOMPARE(got, parts);
}

void TestHtml::htmlTagGet_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("content");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<QString>("attributes");

    QTest::newRow("nested") << "<td>a<b>x</b>c</td>" << qsizetype(1) << "td"
                            << "a<b>x</b>c" << qsizetype(11) << "";
    QTest::newRow("br does not nest") << "<td>a<br>b</td>" << qsizetype(1) << "td"
                                      << "a<br>b" << qsizetype(7) << "";
    QTest::newRow("case-sensitive name") << "<TD>x</TD>" << qsizetype(1) << "td"
                                         << "" << qsizetype(0) << "";
    QTest::newRow("input counts as opening") << "<div>a<input>b</div>" << qsizetype(1) << "div"
                                             << "" << qsizetype(0) << "";
    QTest::newRow("Br counts as opening") << "<p>a<Br>b</p>" << qsizetype(1) << "p"
                                          << "" << qsizetype(0) << "";
    QTest::newRow("attributes, no tag inside")
        << "<a href=x.html class=k>go</a>" << qsizetype(1) << "a"
        << "go" << qsizetype(24) << "href=x.html class=k";
    QTest::newRow("line feed in tag") << "<td\nclass=x  >v</td>" << qsizetype(1) << "td"
                                      << "v" << qsizetype(15) << "class=x";
    QTest::newRow("same tag nested") << "<div><div>in</div>out</div>" << qsizetype(1) << "div"
                                     << "<div>in</div>out" << qsizetype(14) << "";
    QTest::newRow("comment and image") << "<p>a<!-- c --><img src=i>b</p>" << qsizetype(1) << "p"
                                       << "a<!-- c --><img src=i>b" << qsizetype(16) << "";
    QTest::newRow("closing tag skipped") << "</td><td>z</td>" << qsizetype(1) << "td"
                                         << "z" << qsizetype(10) << "";
    QTest::newRow("name prefix is another tag") << "<tdx>a</tdx><td>b</td>" << qsizetype(1) << "td"
                                                << "b" << qsizetype(17) << "";
    QTest::newRow("from a position") << "<td>1</td><td>2</td>" << qsizetype(2) << "td"
                                     << "2" << qsizetype(15) << "";
    QTest::newRow("position past the end") << "<td>1</td>" << qsizetype(100) << "td"
                                           << "" << qsizetype(0) << "";
    QTest::newRow("unclosed tag text") << "<td" << qsizetype(1) << "td"
                                       << "" << qsizetype(0) << "";
    QTest::newRow("no closing tag") << "<td>open<b>x</b>" << qsizetype(1) << "td"
                                    << "" << qsizetype(0) << "";
    QTest::newRow("lone < at the end") << "<td>x<" << qsizetype(1) << "td"
                                       << "" << qsizetype(0) << "";
}

void TestHtml::htmlTagGet() {
    QFETCH(QString, html);
    QFETCH(qsizetype, start);
    QFETCH(QString, tag);
    QFETCH(QString, content);
    QFETCH(qsizetype, position);
    QFETCH(QString, attributes);
    clsWEB web;
    qsizetype pos = start;
    QString name = tag, attrs = QStringLiteral("unset");
    QCOMPARE(web.HtmlTagGet(html, pos, name, attrs), content);
    QCOMPARE(pos, position);
    QCOMPARE(name, tag);
    if (!content.isEmpty())
        QCOMPARE(attrs, attributes);
}

void TestHtml::getLinks_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("options");
    QTest::addColumn<QStringList>("links"); // empty: an undimensioned result

    const QString rel = R"(<a href="../x.html">x</a> <a href="y.html">y</a>)";
    QTest::newRow("relative kept") << "*"
                                   << "s://h/d/" << rel << 0 << QStringList{"../x.html", "y.html"};
    QTest::newRow("1: absolute") << "*"
                                 << "s://h/d/" << rel << 1
                                 << QStringList{"s://h/x.html", "s://h/d/y.html"};
    QTest::newRow("1: two levels up")
        << "*"
        << "s://h/a/b/"
        << R"(<a href="../../z.html">z</a>)" << 1 << QStringList{"s://h/z.html"};
    QTest::newRow("1: absolute links untouched")
        << "*"
        << "s://h/d/"
        << R"(<a href="http://o/z.html">z</a>)" << 1 << QStringList{"http://o/z.html"};
    QTest::newRow("empty content stops")
        << "*"
        << ""
        << R"(<a href="1.html">1</a><a href="2.html"></a><a href="3.html">3</a>)" << 0
        << QStringList{"1.html"};
    QTest::newRow("both spellings") << "*"
                                    << ""
                                    << R"(<A HREF="u.html">U</A> <a href="l.html">l</a>)" << 0
                                    << QStringList{"u.html", "l.html"};
    QTest::newRow("no href: the attributes")
        << "*"
        << ""
        << R"(<a name=top>t</a><a href="">e</a>)" << 0 << QStringList{"name=top"};
    QTest::newRow("entity and www") << "*"
                                    << ""
                                    << R"(<a href="www.x.com/q?a=1&amp;b=2">w</a>)" << 1
                                    << QStringList{"http://www.x.com/q?a=1&b=2"};
    QTest::newRow("16: cut at #") << "*.html"
                                  << ""
                                  << R"(<a href="p.html#s">p</a><a href="#top">t</a>)" << 16
                                  << QStringList{"p.html"};
    QTest::newRow("without 16") << "*"
                                << ""
                                << R"(<a href="p.html#s">p</a>)" << 0 << QStringList{"p.html#s"};
    const QString dup = R"(<a href="a.html">1</a><a href="a.html">2</a><a href="b.html">3</a>)";
    QTest::newRow("32: no repeats") << "*"
                                    << "" << dup << 32 << QStringList{"a.html", "b.html"};
    QTest::newRow("without 32") << "*"
                                << "" << dup << 0 << QStringList{"a.html", "a.html", "b.html"};
    QTest::newRow("pattern")
        << "*.pdf"
        << ""
        << R"(<a href="r.pdf">1</a><a href="r.html">2</a><a href="s.pdf">3</a>)" << 0
        << QStringList{"r.pdf", "s.pdf"};
    const QString cab = R"(<a href="c">1</a><a href="a">2</a><a href="b">3</a>)";
    QTest::newRow("2: descending") << "*"
                                   << "" << cab << 2 << QStringList{"c", "b", "a"};
    QTest::newRow("2+8: ascending") << "*"
                                    << "" << cab << (2 | 8) << QStringList{"a", "b", "c"};
    const QString exts = R"(<a href="x.pdf">1</a><a href="y.html">2</a><a href="z.asp">3</a>)";
    QTest::newRow("4+8: by extension")
        << "*"
        << "" << exts << (4 | 8) << QStringList{"z.asp", "y.html", "x.pdf"};
    QTest::newRow("4: by extension, descending")
        << "*"
        << "" << exts << 4 << QStringList{"x.pdf", "y.html", "z.asp"};
    QTest::newRow("4+8: equal extensions reversed")
        << "*"
        << ""
        << R"(<a href="a.html">1</a><a href="b.html">2</a>)" << (4 | 8)
        << QStringList{"b.html", "a.html"};
    QTest::newRow("4 replaces 2") << "*"
                                  << ""
                                  << R"(<a href="a.pdf">1</a><a href="b.html">2</a>)" << (2 | 4 | 8)
                                  << QStringList{"b.html", "a.pdf"};
    QTest::newRow("all bits")
        << "*.html"
        << "s://h/d/"
        << R"(<a href="../b.html#t">1</a><a href="a.html">2</a><a href="../b.html">3</a>)"
        << (1 | 2 | 8 | 16 | 32) << QStringList{"s://h/b.html", "s://h/d/a.html"};
    QTest::newRow("no anchors") << "*"
                                << ""
                                << "<p>none <a>bare</a></p>" << 0 << QStringList{};
    QTest::newRow("anchor without end") << "*"
                                        << ""
                                        << R"(<a href="x.html">x)" << 0 << QStringList{};
}

void TestHtml::getLinks() {
    QFETCH(QString, pattern);
    QFETCH(QString, base);
    QFETCH(QString, html);
    QFETCH(int, options);
    QFETCH(QStringList, links);
    clsWEB web;
    const Common::StrArray result = web.GetLinks(pattern, base, html, options);
    QCOMPARE(result.has_value(), !links.isEmpty());
    QCOMPARE(result.value_or(QStringList()), links);
}

void TestHtml::linksFromTheBrowser() {
    FakeBrowser browser;
    browser.html = R"(<body><a href="k.html">k</a></body>)";
    clsWEB web;
    QVERIFY(!web.GetLinks("*", "", "", 0).has_value()); // no browser, no page
    web.SetBrowser(&browser);
    QCOMPARE(web.GetLinks("*", "s://h/", "", 1).value_or(QStringList()),
             QStringList{"s://h/k.html"});
    // Without a base: the folder of Full.
    web.SetFull("s://h/d/index.html");
    QCOMPARE(web.GetLinks("*", "", "", 1).value_or(QStringList()), QStringList{"s://h/dk.html"});
}

void TestHtml::navigateAndCapture() {
    FakeBrowser browser;
    browser.html = "<body>one</body>";
    browser.text = "one";
    clsWEB web;
    web.SetBrowser(&browser);

    web.PageNavigate("");
    QVERIFY(browser.calls.isEmpty());
    QVERIFY(!web.CaptureFlag());
    web.Web_DocumentComplete(); // not capturing yet
    QVERIFY(web.PageHtml.isEmpty());

    web.PageNavigate("http://h/a.html");
    QCOMPARE(browser.calls, (QStringList{"hide", "navigate http://h/a.html nocache", "show"}));
    QVERIFY(web.CaptureFlag());
    web.Web_DocumentComplete();
    QCOMPARE(web.PageHtml, QStringLiteral("<body>one</body>"));
    QCOMPARE(web.PageText, QStringLiteral("one"));

    // Every later completion overwrites; an empty address does not clear the flag.
    web.PageNavigate("");
    browser.html = "<body>two</body>";
    browser.text = "two";
    web.Web_DocumentComplete();
    QVERIFY(web.CaptureFlag());
    QCOMPARE(web.PageText, QStringLiteral("two"));
}

QTEST_GUILESS_MAIN(TestHtml)
#include "tst_html.moc"
