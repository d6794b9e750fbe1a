// Inputs the fuzz targets found, with the behaviour they must have.
#include "text/TextCodec.h"

#include <QtTest>

class TestFuzzFound : public QObject {
    Q_OBJECT
private slots:
    // Two BOMs in a row lost the second only on the UTF-8 path, and three kept the third, so a
    // settings file saved twice by an editor could hide its first section header.
    void leadingBoms_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("two, UTF-8") << bom + bom + "日日"
                                    << "日日";
        QTest::newRow("three, UTF-8") << bom + bom + bom + "[OPTION]"
                                      << "[OPTION]";
        QTest::newRow("two, code page 932") << bom + bom + "\x93\xFA\x96\x7B"
                                            << "日本";
        QTest::newRow("one inside the text stays") << "a" + bom << "a\uFEFF";
    }
    void leadingBoms() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Common::DecodeUtf8OrCp932(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestFuzzFound)
#include "tst_fuzzfound.moc"
