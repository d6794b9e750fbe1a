// Page decoding: every encoding the sites use gives the same text.

#include "support_samples.h"
#include "web/Encoding.h"

#include <QtTest>

class TestEncoding : public QObject {
    Q_OBJECT
private slots:
    void convert_data();
    void convert();
    void trimAtNul_data();
    void trimAtNul();
};

void TestEncoding::convert_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QString page = SamplePage();
    const QString shortText = QStringLiteral("東証①～株価");
    QTest::newRow("shift_jis") << EncodeAs("windows-31j", page) << page;
    QTest::newRow("euc-jp") << EncodeAs("EUC-JP", page) << page;
    QTest::newRow("iso-2022-jp") << EncodeAs("ISO-2022-JP", page) << page;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + page.toUtf8() << page;
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE") + EncodeAs("UTF-16LE", page) << page;
    // Too short for statistics: the decoder with fewer broken sequences must win.
    QTest::newRow("short shift_jis") << EncodeAs("windows-31j", shortText) << shortText;
    QTest::newRow("short euc-jp") << EncodeAs("EUC-JP", shortText) << shortText;
    // The detector must taste the Japanese part, not a long ASCII head.
    const QString longHead = QStringLiteral("<script>") + QString(100000, u'x') +
                             QStringLiteral("</script>") + shortText;
    QTest::newRow("euc-jp after long ascii") << EncodeAs("EUC-JP", longHead) << longHead;
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zero first") << QByteArray("\0abc", 4) << QString();
    QTest::newRow("zero in the middle")
        << EncodeAs("windows-31j", QStringLiteral("前半①")) + QByteArray(1, '\0') +
               EncodeAs("windows-31j", QStringLiteral("後半"))
        << QStringLiteral("前半①");
    QTest::newRow("zero in euc-jp")
        << EncodeAs("EUC-JP", page) + QByteArray(1, '\0') + QByteArray(5000, '\xA4') << page;
}

void TestEncoding::convert() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QVERIFY2(!bytes.isEmpty() || expected.isEmpty(), "fixture could not be encoded");
    const QString text = modNkf32::ConvertToShiftJisText(bytes);
    QCOMPARE(text, expected);
    QVERIFY(bytes.isEmpty());
}

void TestEncoding::trimAtNul_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty") << QByteArray() << qsizetype(0) << QByteArray();
    QTest::newRow("middle") << QByteArray("ab\0cd", 5) << qsizetype(2) << QByteArray("ab");
    QTest::newRow("last") << QByteArray("ab\0", 3) << qsizetype(2) << QByteArray("ab");
    // A leading zero leaves the array as it is.
    QTest::newRow("first") << QByteArray("\0ab", 3) << qsizetype(0) << QByteArray("\0ab", 3);
}

void TestEncoding::trimAtNul() {
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, count);
    QFETCH(QByteArray, after);
    QCOMPARE(modNkf32::TrimAtNul(bytes), count);
    QCOMPARE(bytes, after);
}

QTEST_GUILESS_MAIN(TestEncoding)
#include "tst_encoding.moc"
