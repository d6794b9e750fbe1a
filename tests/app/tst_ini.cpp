#include "app/AppData.h"
#include "app/IniFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIni : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString File() const { return dir_.path() + "/test.ini"; }
    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray ReadBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() { Common::SetAppDataFolder(dir_.path()); }
    void init() { QFile::remove(File()); }

    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names ignore case")
            << QByteArray("[Option]\r\nFont Name=Serif\r\n") << "OPTION"
            << "font name"
            << "Serif";
        QTest::newRow("blanks around key and value")
            << QByteArray("  [ S ]\r\n  K \t=  v w \t\r\n") << "S"
            << "K"
            << "v w";
        QTest::newRow("one pair of quotes") << QByteArray("[S]\r\nK= \"\"a b \"\" \r\n") << "S"
                                            << "K"
                                            << "\"a b \"";
        QTest::newRow("lone quote stays") << QByteArray("[S]\r\nK=\"abc\r\n") << "S"
                                          << "K"
                                          << "\"abc";
        QTest::newRow("comment line skipped") << QByteArray("[S]\r\n;K=1\r\nK=2\r\n") << "S"
                                              << "K"
                                              << "2";
        QTest::newRow("only a comment") << QByteArray("[S]\r\n ; K=1\r\n") << "S"
                                        << "K"
                                        << "<default>";
        QTest::newRow("first duplicate wins") << QByteArray("[S]\r\nK=1\r\nk=2\r\n") << "S"
                                              << "K"
                                              << "1";
        QTest::newRow("key of another section") << QByteArray("[A]\r\nK=1\r\n[S]\r\nJ=2\r\n") << "S"
                                                << "K"
                                                << "<default>";
        QTest::newRow("key before any section") << QByteArray("K=1\r\n[S]\r\n") << "S"
                                                << "K"
                                                << "<default>";
        QTest::newRow("empty value is not missing") << QByteArray("[S]\r\nK=\r\n") << "S"
                                                    << "K"
                                                    << "";
        QTest::newRow("equals inside value") << QByteArray("[S]\r\nK=a=b\r\n") << "S"
                                             << "K"
                                             << "a=b";
        QTest::newRow("lf only, no final line end") << QByteArray("[S]\nK=lf") << "S"
                                                    << "K"
                                                    << "lf";
        QTest::newRow("japanese utf8")
            << QString::fromUtf8("[検索]\r\n語=株価\r\n").toUtf8() << QString::fromUtf8("検索")
            << QString::fromUtf8("語") << QString::fromUtf8("株価");
        QTest::newRow("cp932 file") << QByteArray("[S]\r\nK=\x93\xFA\x96\x7B\r\n") << "S"
                                    << "K" << QString::fromUtf8("日本");
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        WriteBytes(File(), bytes);
        QCOMPARE(Program::ReadIni(section, key, "<default>", File()), expected);
    }

    void readCutsLongValuesAndNul() {
        const QString longValue(1500, QLatin1Char('x'));
        WriteBytes(File(), "[S]\r\nLONG=" + longValue.toUtf8() + "\r\nNUL=ab" +
                               QByteArray(1, '\0') + "cd\r\n");
        QCOMPARE(Program::ReadIni("S", "LONG", "", File()), QString(1023, QLatin1Char('x')));
        QCOMPARE(Program::ReadIni("S", "NUL", "", File()), QString("ab"));
    }

    void readEmptyFileNameMeansSettingsFile() {
        WriteBytes(dir_.path() + "/SYSTEM.INI", "[OPTION]\r\nSOUND=bell.wav\r\n");
        QCOMPARE(Program::ReadIni("OPTION", "SOUND", "", ""), QString("bell.wav"));
        QVERIFY(Program::WriteIni("OPTION", "SOUND", "gong.wav", ""));
        QCOMPARE(ReadBytes(dir_.path() + "/SYSTEM.INI"),
                 QByteArray("[OPTION]\r\nSOUND=gong.wav\r\n"));
    }

    void writeKeepsOtherLines_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        const QByteArray file("; settings\r\n[A]\r\n  Key1 = \"one\"\r\nkey2=two\r\n\r\n"
                              "[B]\r\nkey1=b1\r\n;note\r\n");
        QTest::newRow("in place, spelling and other lines kept")
            << file << "a"
            << "KEY1"
            << QByteArray("; settings\r\n[A]\r\n  Key1 =NEW\r\nkey2=two\r\n\r\n"
                          "[B]\r\nkey1=b1\r\n;note\r\n");
        QTest::newRow("new key ends its section")
            << file << "A"
            << "key3"
            << QByteArray("; settings\r\n[A]\r\n  Key1 = \"one\"\r\nkey2=two\r\nkey3=NEW\r\n\r\n"
                          "[B]\r\nkey1=b1\r\n;note\r\n");
        QTest::newRow("new key after a trailing comment")
            << file << "B"
            << "key2"
            << QByteArray("; settings\r\n[A]\r\n  Key1 = \"one\"\r\nkey2=two\r\n\r\n"
                          "[B]\r\nkey1=b1\r\n;note\r\nkey2=NEW\r\n");
        QTest::newRow("new section at the end")
            << file << "C"
            << "k"
            << QByteArray("; settings\r\n[A]\r\n  Key1 = \"one\"\r\nkey2=two\r\n\r\n"
                          "[B]\r\nkey1=b1\r\n;note\r\n[C]\r\nk=NEW\r\n");
        QTest::newRow("commented key is not replaced")
            << QByteArray("[A]\r\n;k=old\r\n") << "A"
            << "k" << QByteArray("[A]\r\n;k=old\r\nk=NEW\r\n");
        QTest::newRow("missing file") << QByteArray() << "S"
                                      << "K" << QByteArray("[S]\r\nK=NEW\r\n");
    }
    void writeKeepsOtherLines() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) {
            WriteBytes(File(), before);
        }
        QVERIFY(Program::WriteIni(section, key, "NEW", File()));
        QCOMPARE(ReadBytes(File()), after);
    }

    void japaneseRoundTripIsUtf8() {
        const QString section = QString::fromUtf8("設定");
        const QString key = QString::fromUtf8("検索語");
        const QString value = QString::fromUtf8("トヨタ　決算");
        QVERIFY(Program::WriteIni(section, key, value, File()));
        QCOMPARE(Program::ReadIni(section, key, "", File()), value);
        QCOMPARE(ReadBytes(File()),
                 (QString("[") + section + "]\r\n" + key + "=" + value + "\r\n").toUtf8());
    }

    void cp932FileIsRewrittenAsUtf8() {
        WriteBytes(File(), "[S]\r\nA=\x93\xFA\x96\x7B\r\n");
        QVERIFY(Program::WriteIni("S", "B", "x", File()));
        QCOMPARE(ReadBytes(File()), QString::fromUtf8("[S]\r\nA=日本\r\nB=x\r\n").toUtf8());
    }

    void iniFileSavesManyChangesAtOnce() {
        WriteBytes(File(), "[S]\r\nkeep=1\r\n");
        Program::IniFile ini(File());
        ini.SetValue("S", "a", "1");
        ini.SetValue("T", "b", "2");
        ini.SetValue("S", "c", "3");
        // Nothing reaches the disk before Save.
        QCOMPARE(ReadBytes(File()), QByteArray("[S]\r\nkeep=1\r\n"));
        QVERIFY(ini.Save(File()));
        QCOMPARE(ReadBytes(File()), QByteArray("[S]\r\nkeep=1\r\na=1\r\nc=3\r\n[T]\r\nb=2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
