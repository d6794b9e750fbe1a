#include "text/TextCodec.h"

#include <QtTest>

class TestCodec : public QObject {
    Q_OBJECT
private slots:
    // The Windows mapping, not plain Shift_JIS: wave dash and minus go to the full-width forms,
    // and the NEC and IBM rows exist.
    void cp932Mapping() {
        const std::pair<QByteArray, QString> rows[] = {
            {"\x81\x60", "\uFF5E"}, {"\x81\x7C", "\uFF0D"},       {"\x87\x40", "\u2460"},
            {"\xFA\x40", "\u2170"}, {"\x93\xFA\x96\x7B", "日本"}, {"\xB1\xDD", "ｱﾝ"},
            {"a\\b", "a\\b"},       {"\x81\x40", "\u3000"},
        };
        for (const auto& [bytes, text] : rows) {
            QCOMPARE(Common::DecodeCp932(bytes), text);
            QCOMPARE(Common::EncodeCp932(text), bytes);
        }
        // Outside the code page: one "?" per character.
        QCOMPARE(Common::EncodeCp932("a\U0001F600b"), QByteArray("a?b"));
    }

    void roundTrip() {
        for (const QString text : {"", "【訂正】トヨタ自動車、通期予想を上方修正（連結）",
                                   "①～②　－＝：☆★〒", "ABC 123 ｶﾀｶﾅ かな 漢字\r\n"}) {
            const QByteArray bytes = Common::EncodeCp932(text);
            QCOMPARE(Common::DecodeCp932(bytes), text);
            QCOMPARE(Common::DecodeUtf8OrCp932(bytes), text);
            QCOMPARE(Common::DecodeUtf8OrCp932("\xEF\xBB\xBF" + text.toUtf8()), text);
        }
    }

    void validUtf8() {
        const std::pair<QByteArray, bool> rows[] = {
            {"", true},
            {"\xE6\x97\xA5", true},
            {"\xF0\x9F\x98\x80", true},
            {"\xC0\xAF", false},
            {"\xED\xA0\x80", false},
            {"\xF4\x90\x80\x80", false},
            {"ab\xE6\x97", false},
            {"\x93\xFA\x96\x7B", false},
        };
        for (const auto& [bytes, valid] : rows)
            QVERIFY2(Common::IsValidUtf8(bytes) == valid, bytes.toHex().constData());
        // Valid UTF-8 wins even where CP932 would also read something.
        QCOMPARE(Common::DecodeUtf8OrCp932("\xE3\x81\x82"), QStringLiteral("あ"));
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
