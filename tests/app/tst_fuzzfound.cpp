// Inputs the fuzz targets found, with the behaviour they must have.
#include "app/AppData.h"
#include "app/IniFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFuzzFound : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { Common::SetAppDataFolder(dir_.path()); }

    // Values that reading trims or unquotes came back changed after a save: a search word in
    // quotes lost them, a path with a trailing blank lost it.
    void valueReadsBackAsSet_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("in quotes") << "\"v\"" << QByteArray("K=\"\"v\"\"");
        QTest::newRow("leading blank") << " v" << QByteArray("K=\" v\"");
        QTest::newRow("trailing tab") << "v\t" << QByteArray("K=\"v\t\"");
        QTest::newRow("two quotes") << "\"\"" << QByteArray("K=\"\"\"\"");
        QTest::newRow("one quote stays bare") << "\"v" << QByteArray("K=\"v");
        QTest::newRow("plain stays bare") << "a b" << QByteArray("K=a b");
    }
    void valueReadsBackAsSet() {
        QFETCH(QString, value);
        QFETCH(QByteArray, line);
        const QString path = dir_.filePath("value.ini");
        Program::IniFile ini;
        ini.SetValue("S", "K", value);
        QVERIFY(ini.Save(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[S]\r\n" + line + "\r\n");
        QCOMPARE(Program::IniFile(path).Value("S", "K"), value);
    }

    // A font size of 12.3456789 was written with seven digits and read back as another float.
    void fontSizeReadsBackAsSaved() {
        QFile file(Program::SettingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[OPTION]\r\nFONT SIZE=12.3456789\r\n");
        file.close();
        Program::SettingsState settings;
        Program::LoadSettings(settings);
        const float size = settings.FontSize;
        QVERIFY(Program::SaveSettings(settings, {}));
        settings.FontSize = 9;
        Program::LoadSettings(settings);
        QVERIFY(settings.FontSize == size); // QCOMPARE would forgive the difference
    }
};

QTEST_GUILESS_MAIN(TestFuzzFound)
#include "tst_fuzzfound.moc"
