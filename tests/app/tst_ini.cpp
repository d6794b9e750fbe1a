#include "app/AppData.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIni : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString File() const { return dir_.path() + "/SYSTEM.INI"; }
    void WriteBytes(const QByteArray& bytes) {
        QFile f(File());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray ReadBytes() {
        QFile f(File());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() { Common::SetAppDataFolder(dir_.path()); }
    void init() { QFile::remove(File()); }

    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // of section "S" key "K"
        QTest::newRow("names ignore case") << QByteArray("[s]\r\nk=v\r\n") << "v";
        QTest::newRow("blanks and one pair of quotes")
            << QByteArray(" [ S ]\r\n K \t= \"\"a b \"\" \r\n") << "\"a b \"";
        QTest::newRow("comment skipped") << QByteArray("[S]\r\n ;K=1\r\nK=a=b\r\n") << "a=b";
        QTest::newRow("first duplicate wins") << QByteArray("[S]\r\nK=1\r\nk=2\r\n") << "1";
        QTest::newRow("other section") << QByteArray("K=0\r\n[A]\r\nK=1\r\n[S]\r\n") << "<none>";
        QTest::newRow("cp932") << QByteArray("[S]\r\nK=\x93\xFA\x96\x7B\r\n")
                               << QString::fromUtf8("日本");
        QTest::newRow("cut at 1023") << "[S]\r\nK=" + QByteArray(1500, 'x') << QString(1023, 'x');
        QTest::newRow("cut at nul") << QByteArray("[S]\r\nK=ab\0cd", 12) << "ab";
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        WriteBytes(bytes);
        QCOMPARE(Program::ReadIni("S", "K", "<none>", File()), expected);
        QCOMPARE(Program::ReadIni("S", "K", "<none>"), expected); // "" is the settings file
    }

    // The file around the written key stays byte for byte.
    void writeKeepsOtherLines_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("from"); // replaced in the file by "to"
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("in place") << "a"
                                  << "KEY1" << QByteArray(" \"one\"") << QByteArray("NEW");
        QTest::newRow("new key ends its section")
            << "A"
            << "k3" << QByteArray("two\r\n") << QByteArray("two\r\nk3=NEW\r\n");
        QTest::newRow("commented key is no key")
            << "B"
            << "k" << QByteArray(";k=1\r\n") << QByteArray(";k=1\r\nk=NEW\r\n");
        QTest::newRow("new section at the end")
            << "C"
            << "k" << QByteArray(";k=1\r\n") << QByteArray(";k=1\r\n[C]\r\nk=NEW\r\n");
    }
    void writeKeepsOtherLines() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        const QByteArray before(
            "; top\r\n[A]\r\n  Key1 = \"one\"\r\nkey2=two\r\n\r\n[B]\r\n;k=1\r\n");
        WriteBytes(before);
        QVERIFY(Program::WriteIni(section, key, "NEW", File()));
        QCOMPARE(ReadBytes(), QByteArray(before).replace(from, to));
    }

    void japaneseRoundTripIsUtf8() {
        const QString section = QString::fromUtf8("設定");
        const QString key = QString::fromUtf8("検索語");
        const QString value = QString::fromUtf8("トヨタ　決算");
        QVERIFY(Program::WriteIni(section, key, value, ""));
        QCOMPARE(Program::ReadIni(section, key, "", File()), value);
        QCOMPARE(ReadBytes(), ("[" + section + "]\r\n" + key + "=" + value + "\r\n").toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
