#include "RecordingPorts.h"
#include "app/AppData.h"
#include "app/Ports.h"
#include "app/Trace.h"
#include "app/Version.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestTrace : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FixedClock clock_{QDateTime(QDate(2024, 1, 5), QTime(9, 5, 7))};

    QByteArray ReadLog(const QString& name = "Debug.LOG") {
        QFile f(dir_.path() + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
    }
    void cleanupTestCase() { Ports::SetClock(nullptr); }

    void padLeft() {
        QCOMPARE(Common::PadLeft(12, " ", 8), QStringLiteral("      12"));
        QCOMPARE(Common::PadLeft(1, "0", 2), QStringLiteral("01"));
        QCOMPARE(Common::PadLeft(12345, "0", 3), QStringLiteral("345")); // too wide keeps right
    }

    void traceLinesAreNumberedStampedAndCapped() {
        // Lines go to the trace that is installed; the default one is off.
        Common::TraceLine("Timr : Call");
        QVERIFY(!QFile::exists(dir_.path() + "/Debug.LOG"));
        Common::TraceLog trace;
        Ports::SetTrace(&trace);
        trace.Enabled = false;
        Common::TraceLine("Timr : Call");
        QVERIFY(!QFile::exists(dir_.path() + "/Debug.LOG"));
        QCOMPARE(trace.Counter, 0);
        trace.Enabled = true;
        Common::TraceLine("OS Version : Linux");
        clock_.now = QDateTime(QDate(2024, 11, 30), QTime(23, 59, 0));
        trace.Counter = Common::TraceCounterCap - 1;
        Common::TraceLine(QString::fromUtf8("Stat : 適時開示情報"));
        Common::TraceLine("a");
        Common::TraceLine("b");
        Ports::SetTrace(nullptr);
        Common::TraceLine("c");
        QCOMPARE(ReadLog(), QString::fromUtf8("       0[2024/01/05 9:05:07]OS Version : Linux\r\n"
                                              "16777213[2024/11/30 23:59:00]Stat : 適時開示情報\r\n"
                                              "16777214[2024/11/30 23:59:00]a\r\n"
                                              "16777214[2024/11/30 23:59:00]b\r\n")
                                .toUtf8());
    }

    void appDataFolderFollowsXdgDataHome() {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        Common::SetAppDataFolder("");
        QCOMPARE(Common::AppDataFolder(), home.path() + "/Tickerwisp");
        Common::EnsureDataFolder();
        QVERIFY(QFileInfo(home.path() + "/Tickerwisp/Data").isDir());
        Common::SetAppDataFolder(dir_.path());
    }

    void versionTexts() {
        QCOMPARE(Program::FormatVersionText(2, 1, 5), QStringLiteral("2.15"));
        QCOMPARE(Program::FormatVersionPageName(2, 1, 5), QStringLiteral("version_0215.htm"));
        QCOMPARE(Program::FormatVersionText(1, 10, 0), QStringLiteral("1.100"));
        QCOMPARE(Program::FormatVersionPageName(1, 10, 0), QStringLiteral("version_01100.htm"));
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
