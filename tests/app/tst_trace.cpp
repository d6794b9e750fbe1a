#include "app/AppData.h"
#include "app/Ports.h"
#include "app/Trace.h"
#include "app/Version.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FixedClock : public Ports::ClockPort {
public:
    QDateTime now;
    QDateTime Now() const override { return now; }
    qint64 TickMs() const override { return 0; }
};

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestTrace : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FixedClock clock_;

    QString LogPath() const { return dir_.path() + "/Debug.LOG"; }

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
    }
    void cleanupTestCase() { Ports::SetClock(nullptr); }
    void init() {
        QFile::remove(LogPath());
        clock_.now = QDateTime(QDate(2024, 1, 5), QTime(9, 5, 7));
        Common::TraceCounter = 0;
    }

    void padLeft_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("pad");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks") << qint64(12) << " " << 8 << "      12";
        QTest::newRow("zero padded") << qint64(1) << "0" << 2 << "01";
        QTest::newRow("exact width") << qint64(42) << "0" << 2 << "42";
        QTest::newRow("too wide keeps right") << qint64(12345) << "0" << 3 << "345";
        QTest::newRow("negative") << qint64(-5) << "0" << 4 << "00-5";
        QTest::newRow("width zero") << qint64(7) << " " << 0 << "";
    }
    void padLeft() {
        QFETCH(qint64, value);
        QFETCH(QString, pad);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Common::PadLeft(value, pad, width), expected);
    }

    void traceLinesAreNumberedAndStamped() {
        Common::TraceEnabled = true;
        Common::TraceLine("OS Version : Linux");
        clock_.now = QDateTime(QDate(2024, 11, 30), QTime(23, 59, 0));
        Common::TraceLine(QString::fromUtf8("Stat : 適時開示情報"));
        Common::TraceEnabled = false;
        QCOMPARE(ReadBytes(LogPath()),
                 QString::fromUtf8("       0[2024/01/05 9:05:07]OS Version : Linux\r\n"
                                   "       1[2024/11/30 23:59:00]Stat : 適時開示情報\r\n")
                     .toUtf8());
        QCOMPARE(Common::TraceCounter, 2);
    }

    void counterStopsAtCap() {
        Common::TraceEnabled = true;
        Common::TraceCounter = Common::TraceCounterCap - 1;
        Common::TraceLine("a");
        Common::TraceLine("b");
        Common::TraceLine("c");
        Common::TraceEnabled = false;
        QCOMPARE(Common::TraceCounter, 16777214);
        const QList<QByteArray> lines = ReadBytes(LogPath()).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("16777213["));
        QVERIFY(lines[1].startsWith("16777214["));
        QVERIFY(lines[2].startsWith("16777214["));
    }

    void traceOffWritesNothing() {
        Common::TraceEnabled = false;
        Common::TraceLine("Timr : Call");
        QVERIFY(!QFile::exists(LogPath()));
        QCOMPARE(Common::TraceCounter, 0);
    }

    void logFileAppendAndDelete() {
        const QString defaultLog = dir_.path() + QString::fromUtf8("/ログ.Log");
        Common::DeleteLogFile(""); // missing: ignored
        Common::AppendLogLine("", "one");
        Common::AppendLogLine("", QString::fromUtf8("二"));
        QCOMPARE(ReadBytes(defaultLog), QString::fromUtf8("one\r\n二\r\n").toUtf8());
        Common::DeleteLogFile("");
        QVERIFY(!QFile::exists(defaultLog));

        const QString other = dir_.path() + "/other.log";
        Common::AppendLogLine(other, "x");
        QCOMPARE(ReadBytes(other), QByteArray("x\r\n"));
        Common::DeleteLogFile(other);
        QVERIFY(!QFile::exists(other));
    }

    void appDataFolder() {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        Common::SetAppDataFolder("");
        QCOMPARE(Common::AppDataFolder(), home.path() + "/Tickerwisp");
        Common::EnsureDataFolder();
        QVERIFY(QFileInfo(home.path() + "/Tickerwisp/Data").isDir());

        Common::SetAppDataFolder(home.path() + "/elsewhere/");
        QCOMPARE(Common::AppDataFolder(), home.path() + "/elsewhere");
        Common::SetAppDataFolder(dir_.path());
    }

    void versionTexts_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("page");
        QTest::newRow("2.1.5") << 2 << 1 << 5 << "2.15"
                               << "version_0215.htm";
        QTest::newRow("1.10.0") << 1 << 10 << 0 << "1.100"
                                << "version_01100.htm";
        QTest::newRow("1.0.0") << 1 << 0 << 0 << "1.00"
                               << "version_0100.htm";
        QTest::newRow("1.2.3") << 1 << 2 << 3 << "1.23"
                               << "version_0123.htm";
        QTest::newRow("12.0.1") << 12 << 0 << 1 << "12.01"
                                << "version_1201.htm";
    }
    void versionTexts() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QFETCH(QString, page);
        QCOMPARE(Program::FormatVersionText(major, minor, revision), text);
        QCOMPARE(Program::FormatVersionPageName(major, minor, revision), page);
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
