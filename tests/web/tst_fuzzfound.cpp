// Inputs the fuzz targets found, with the behaviour they must have.
#include "web/clsWEB.h"

#include <QtTest>
#include <algorithm>

class TestFuzzFound : public QObject {
    Q_OBJECT
private slots:
    // A megabyte list page of 45,000 links in one spelling, 30,000 of them distinct, froze the
    // link collector: it searched to the page's end for the other spelling at every link,
    // compared each link with every one kept, and sorted by picking minima.
    void manyLinks_data() {
        QTest::addColumn<int>("options");
        QTest::newRow("distinct, page order (the board list)") << 1 + 32;
        QTest::newRow("distinct, descending") << 1 + 2 + 32;
        QTest::newRow("all, ascending") << 1 + 2 + 8;
    }
    void manyLinks() {
        QFETCH(int, options);
        QString page;
        QStringList all;
        for (int i = 0; i < 45000; ++i) {
            page += QStringLiteral("<a href=\"/p/%1\">t</a>\n").arg(i % 30000);
            all << QStringLiteral("http://b.test/p/%1").arg(i % 30000);
        }
        QStringList expected = (options & 32) ? all.first(30000) : all;
        if (options & 2) {
            std::sort(expected.begin(), expected.end());
            if (!(options & 8))
                std::reverse(expected.begin(), expected.end());
        }
        clsWEB web;
        const Common::StrArray links =
            web.GetLinks(QStringLiteral("*"), QStringLiteral("http://b.test"), page, options);
        QVERIFY(links);
        QCOMPARE(*links, expected);
    }
};

QTEST_GUILESS_MAIN(TestFuzzFound)
#include "tst_fuzzfound.moc"
