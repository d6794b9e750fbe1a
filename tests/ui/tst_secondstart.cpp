// The program itself, started twice on one data folder: the second start hands over and ends.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSecondStart : public QObject {
    Q_OBJECT
private slots:
    void secondStartEndsAndTheFirstRunsOn() {
        const QString program = QCoreApplication::applicationDirPath() + "/../src/tickerwisp";
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QTemporaryDir home;
        const QString data = home.path() + "/Tickerwisp";
        QVERIFY(QDir().mkpath(data));
        {
            // The version page goes to a "browser" that does nothing; no host is reachable.
            QFile ini(data + "/SYSTEM.INI");
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(
                "[OPTION]\r\nBROWSER=/bin/true\r\n[SERVER]\r\nNEWS HOST=http://127.0.0.1:9\r\n"
                "TDNET HOST=http://127.0.0.1:10\r\n");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", home.path());

        QProcess first, second;
        first.setProcessEnvironment(env);
        second.setProcessEnvironment(env);
        first.start(program, {});
        // The word lists are copied once the first start owns the folder and listens.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + "/NewsWord/［］.txt") ||
                                     first.state() == QProcess::NotRunning,
                                 30000);
        QCOMPARE(first.state(), QProcess::Running);

        second.start(program, {});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        // The first took the request to come to the front and is still there.
        QTest::qWait(200);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        if (!first.waitForFinished(10000))
            first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestSecondStart)
#include "tst_secondstart.moc"
