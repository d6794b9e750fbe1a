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

// Kept out of the test class: raw strings there confuse moc.
const char* const rel = R"(<a href="../x.html">x</a> <a href="y.html">y</a>)";
const char* const dup = R"(<a href="a.html">1</a><a href="a.html">2</a><a href="b.html">3</a>)";
const char* const cab = R"(<a href="c">1</a><a href="a">2</a><a href="b">3</a>)";
const char* const exts = R"(<a href="x.pdf">1</a><a href="y.html">2</a><a href="z.asp">3</a>)";
// name, pattern, base, html, options, links
const std::tuple<const char*, const char*, const char*, const char*, int, const char*> linkRows[] =
    {
        {"relative kept", "*", "s://h/d/", rel, 0, "../x.html|y.html"},
        {"1: absolute", "*", "s://h/d/", rel, 1, "s://h/x.html|s://h/d/y.html"},
        {"1: two levels up", "*", "s://h/a/b/", R"(<a href="../../z.html">z</a>)", 1,
         "s://h/z.html"},
        {"1: absolute links untouched", "*", "s://h/d/", R"(<a href="http://o/z.html">z</a>)", 1,
         "http://o/z.html"},
        {"empty content stops", "*", "",
         R"(<a href="1.html">1</a><a href="2.html"></a><a href="3.html">3</a>)", 0, "1.html"},
        {"both spellings", "*", "", R"(<A HREF="u.html">U</A> <a href="l.html">l</a>)", 0,
         "u.html|l.html"},
        {"no href: the attributes", "*", "", R"(<a name=top>t</a><a href="">e</a>)", 0, "name=top"},
        {"entity and www", "*", "", R"(<a href="www.x.com/q?a=1&amp;b=2">w</a>)", 1,
         "http://www.x.com/q?a=1&b=2"},
        {"16: cut at #", "*.html", "", R"(<a href="p.html#s">p</a><a href="#top">t</a>)", 16,
         "p.html"},
        {"without 16", "*", "", R"(<a href="p.html#s">p</a>)", 0, "p.html#s"},
        {"32: no repeats", "*", "", dup, 32, "a.html|b.html"},
        {"without 32", "*", "", dup, 0, "a.html|a.html|b.html"},
        {"pattern", "*.pdf", "",
         R"(<a href="r.pdf">1</a><a href="r.html">2</a><a href="s.pdf">3</a>)", 0, "r.pdf|s.pdf"},
        {"2: descending", "*", "", cab, 2, "c|b|a"},
        {"2+8: ascending", "*", "", cab, (2 | 8), "a|b|c"},
        {"4+8: by extension", "*", "", exts, (4 | 8), "z.asp|y.html|x.pdf"},
        {"4: by extension, descending", "*", "", exts, 4, "x.pdf|y.html|z.asp"},
        {"4+8: equal extensions reversed", "*", "",
         R"(<a href="a.html">1</a><a href="b.html">2</a>)", (4 | 8), "b.html|a.html"},
        {"4 replaces 2", "*", "", R"(<a href="a.pdf">1</a><a href="b.html">2</a>)", (2 | 4 | 8),
         "b.html|a.pdf"},
        {"all bits", "*.html", "s://h/d/",
         R"(<a href="../b.html#t">1</a><a href="a.html">2</a><a href="../b.html">3</a>)",
         (1 | 2 | 8 | 16 | 32), "s://h/b.html|s://h/d/a.html"},
        {"anchor without end", "*", "", R"(<a href="x.html">x)", 0, ""},
};

} // namespace

class TestHtml : public QObject {
    Q_OBJECT
private slots:

    void urlParts_data() {
        QTest::addColumn<QString>("url");
        // Path|Name|Base|Ext|PathBase|Parent|ParentOnly|Address; "@" is the program's folder.
        QTest::addColumn<QString>("parts");
        QTest::newRow("page") << "s://h/dir/page.html"
                              << "s://h/dir|page.html|page|html|s://h/dir/page|s://h/dir|dir|s://h";
        QTest::newRow("folder") << "http://h/a/b/"
                                << "http://h/a/b||||http://h/a/b/|http://h/a/b|b|http://h";
        QTest::newRow("bare host") << "http://h"
                                   << "http:/|h|h||http://h|http:/||http://h";
        QTest::newRow("dotted host, two dots in name")
            << "https://www.x.co.jp/d/c.tar.gz"
            << "https://www.x.co.jp/d|c.tar.gz|c.tar|gz|https://www.x.co.jp/d/c.tar|"
               "https://www.x.co.jp/d|d|https://www.x.co.jp";
        QTest::newRow("no dot in name")
            << "http://h.com/news"
            << "http://h.com|news|news||http://h.com/news|http://h.com|h.com|http://h.com";
        QTest::newRow("no slash") << "page.html"
                                  << "@|page.html|page|html|@/page|||";
        QTest::newRow("relative") << "a/b.txt"
                                  << "a|b.txt|b|txt|a/b|a|a|";
        QTest::newRow("empty") << ""
                               << "@||||@/|||";
    }

    void urlParts() {
        QFETCH(QString, url);
        QFETCH(QString, parts);
        clsWEB web;
        web.SetFull(url);
        QCOMPARE(web.Full(), url);
        const QStringList got{web.Path(),     web.Name(),   web.Base(),       web.Ext(),
                              web.PathBase(), web.Parent(), web.ParentOnly(), web.Address()};
        QCOMPARE(got.join(u'|'), parts.replace(u'@', QCoreApplication::applicationDirPath()));
    }

    void htmlTagGet_data() {
        for (const char* c : {"html", "tag", "content", "attributes"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("position");
        // name, html, start, tag, content, position after, attributes
        const std::tuple<const char*, const char*, int, const char*, const char*, int, const char*>
            rows[] = {
                {"nested", "<td>a<b>x</b>c</td>", 1, "td", "a<b>x</b>c", 11, ""},
                {"br does not nest", "<td>a<br>b</td>", 1, "td", "a<br>b", 7, ""},
                {"case-sensitive name", "<TD>x</TD>", 1, "td", "", 0, ""},
                {"input counts as opening", "<div>a<input>b</div>", 1, "div", "", 0, ""},
                {"Br counts as opening", "<p>a<Br>b</p>", 1, "p", "", 0, ""},
                {"attributes, no tag inside", "<a href=x.html class=k>go</a>", 1, "a", "go", 24,
                 "href=x.html class=k"},
                {"line feed in tag", "<td\nclass=x  >v</td>", 1, "td", "v", 15, "class=x"},
                {"same tag nested", "<div><div>in</div>out</div>", 1, "div", "<div>in</div>out", 14,
                 ""},
                {"comment and image", "<p>a<!-- c --><img src=i>b</p>", 1, "p",
                 "a<!-- c --><img src=i>b", 16, ""},
                {"closing tag skipped", "</td><td>z</td>", 1, "td", "z", 10, ""},
                {"name prefix is another tag", "<tdx>a</tdx><td>b</td>", 1, "td", "b", 17, ""},
                {"from a position", "<td>1</td><td>2</td>", 2, "td", "2", 15, ""},
                {"position past the end", "<td>1</td>", 100, "td", "", 0, ""},
                {"no closing tag", "<td>open<b>x</b>", 1, "td", "", 0, ""},
            };
        for (const auto& [name, html, start, tag, content, position, attributes] : rows)
            QTest::newRow(name) << QString(html) << QString(tag) << QString(content)
                                << QString(attributes) << qsizetype(start) << qsizetype(position);
    }

    void htmlTagGet() {
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

    void getLinks_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("html");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("links"); // "|"-joined; empty: an undimensioned result
        for (const auto& [name, pattern, base, html, options, links] : linkRows)
            QTest::newRow(name) << QString(pattern) << QString(base) << QString(html) << options
                                << QString(links);
    }

    void getLinks() {
        QFETCH(QString, pattern);
        QFETCH(QString, base);
        QFETCH(QString, html);
        QFETCH(int, options);
        QFETCH(QString, links);
        clsWEB web;
        const Common::StrArray result = web.GetLinks(pattern, base, html, options);
        QCOMPARE(result.has_value(), !links.isEmpty());
        QCOMPARE(result.value_or(QStringList()).join(u'|'), links);
    }

    void linksFromTheBrowser() {
        FakeBrowser browser;
        browser.html = "<body><a href=\"k.html\">k</a></body>";
        clsWEB web;
        QVERIFY(!web.GetLinks("*", "", "", 0).has_value()); // no browser, no page
        web.SetBrowser(&browser);
        QCOMPARE(web.GetLinks("*", "s://h/", "", 1).value_or(QStringList()),
                 QStringList{"s://h/k.html"});
        // Without a base: the folder of Full.
        web.SetFull("s://h/d/index.html");
        QCOMPARE(web.GetLinks("*", "", "", 1).value_or(QStringList()),
                 QStringList{"s://h/dk.html"});
    }

    void navigateAndCapture() {
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
};

QTEST_GUILESS_MAIN(TestHtml)
#include "tst_html.moc"
