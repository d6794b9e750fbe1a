#include "text/TextCodec.h"

#include <QtTest>

class TestCodec : public QObject {
    Q_OBJECT
private slots:
    void cp932Mapping_data();
    void cp932Mapping();
    void cp932RoundTrip_data();
    void cp932RoundTrip();
    void unmappableCharacter();
    void validUtf8_data();
    void validUtf8();
    void utf8OrCp932_data();
    void utf8OrCp932();
};

void TestCodec::cp932Mapping_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // The Windows mapping, not plain Shift_JIS: wave dash and minus go to the full-width forms,
    // and the NEC row (circled digits) exists.
    QTest::newRow("wave dash") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
    QTest::newRow("minus") << QByteArray("\x81\x7C") << QStringLiteral("\uFF0D");
    QTest::newRow("circled one") << QByteArray("\x87\x40") << QStringLiteral("\u2460");
    QTest::newRow("roman numeral (IBM)") << QByteArray("\xFA\x40") << QStringLiteral("\u2170");
    QTest::newRow("kanji") << QByteArray("\x93\xFA\x96\x7B") << QStringLiteral("日本");
    QTest::newRow("hiragana") << QByteArray("\x82\xA0") << QStringLiteral("あ");
    QTest::newRow("half-width kana") << QByteArray("\xB1\xDD") << QStringLiteral("ｱﾝ");
    QTest::newRow("backslash stays") << QByteArray("a\\b") << QStringLiteral("a\\b");
    QTest::newRow("ideographic space") << QByteArray("\x81\x40") << QStringLiteral("\u3000");
}

void TestCodec::cp932Mapping() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Common::DecodeCp932(bytes), text);
    QCOMPARE(Common::EncodeCp932(text), bytes);
}

void TestCodec::cp932RoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("headline") << QStringLiteral("【訂正】トヨタ自動車、通期予想を上方修正（連結）");
    QTest::newRow("marks") << QStringLiteral("①～②　－＝：☆★〒");
    QTest::newRow("mixed") << QStringLiteral("ABC 123 ｶﾀｶﾅ かな 漢字\r\n");
}

void TestCodec::cp932RoundTrip() {
    QFETCH(QString, text);
    const QByteArray bytes = Common::EncodeCp932(text);
    QCOMPARE(Common::IsValidUtf8(bytes), text.toUtf8() == bytes);
    QCOMPARE(Common::DecodeCp932(bytes), text);
    QCOMPARE(Common::DecodeUtf8OrCp932(bytes), text);
}

void TestCodec::unmappableCharacter() {
    // Outside code page 932: one "?" per character, the rest intact.
    QCOMPARE(Common::EncodeCp932(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
}

void TestCodec::validUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("ascii") << QByteArray("abc") << true;
    QTest::newRow("japanese") << QStringLiteral("日本語").toUtf8() << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("highest") << QByteArray("\xF4\x8F\xBF\xBF") << true;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above the last") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("cut short") << QByteArray("ab\xE6\x97") << false;
    QTest::newRow("lone continuation") << QByteArray("a\x80") << false;
    QTest::newRow("shift_jis") << QByteArray("\x93\xFA\x96\x7B") << false;
}

void TestCodec::validUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(Common::IsValidUtf8(bytes), valid);
}

void TestCodec::utf8OrCp932_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString words = QStringLiteral("決算\r\n速報");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("bom only") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("utf-8") << words.toUtf8() << words;
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + words.toUtf8() << words;
    QTest::newRow("cp932") << Common::EncodeCp932(words) << words;
    // Valid UTF-8 wins even where CP932 would also read something.
    QTest::newRow("ambiguous") << QByteArray("\xE3\x81\x82") << QStringLiteral("あ");
}

void TestCodec::utf8OrCp932() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Common::DecodeUtf8OrCp932(bytes), text);
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
