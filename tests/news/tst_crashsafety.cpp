// Kills a child with SIGKILL while it saves the day file or the settings, again and again, and
// checks that every file it leaves is one whole version: never empty, never cut.
// TW_CRASH_SEED=<n> replays a run.

#include "app/AppData.h"
#include "files/WholeFile.h"
#include "news/DayFile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file in the folder and in its Data folder, relative to the folder.
QStringList Entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : QDir(folder + "/Data").entryList(QDir::Files | QDir::Hidden))
        names << "Data/" + name;
    names.sort();
    return names;
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT
private slots:

    void killWhileSaving_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("files"); // sorted
        QTest::newRow("day file") << "day" << QStringList{"Data/20240315.DAT"};
        QTest::newRow("settings") << "settings" << QStringList{"Data/検索.INI", "SYSTEM.INI"};
    }

    void killWhileSaving() {
        QFETCH(QString, mode);
        QFETCH(QStringList, files);
        constexpr int kRounds = 80;
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString work = tmp.filePath("work");

        QList<QByteArray> reference[2];
        for (int v = 0; v < 2; ++v) {
            const QString folder = tmp.filePath(QString::number(v));
            QCOMPARE(QProcess::execute(TW_CRASH_CHILD, {folder, mode, QString::number(v)}), 0);
            for (const QString& file : files)
                reference[v] << ReadAll(folder + '/' + file);
        }
        // The references themselves are whole: every entry, or the settings down to the last key.
        for (int v = 0; v < 2; ++v) {
            if (mode == "day") {
                QCOMPARE(
                    News::DecodeDayFile(reference[v][0]).value_or(QList<News::NewsItem>()).size(),
                    800 + 100 * v);
            } else {
                QVERIFY(reference[v][1].endsWith(
                    QString("SITE=http://site%1.test\r\n").arg(v).toUtf8()));
            }
        }

        const quint32 seed = qEnvironmentVariableIsSet("TW_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("TW_CRASH_SEED"))
                                 : QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);

        int seen[2] = {0, 0};
        for (int round = 0; round < kRounds; ++round) {
            QProcess child;
            child.start(TW_CRASH_CHILD, {work, mode});
            QVERIFY(child.waitForReadyRead(30000)); // the first save is done
            QThread::usleep(random.bounded(30000));
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            for (qsizetype f = 0; f < files.size(); ++f) {
                const QByteArray bytes = ReadAll(work + '/' + files[f]);
                const int version = bytes == reference[0][f]   ? 0
                                    : bytes == reference[1][f] ? 1
                                                               : -1;
                QVERIFY2(version >= 0,
                         qPrintable(QString("round %1: %2 is neither version (%3 bytes)")
                                        .arg(round)
                                        .arg(files[f])
                                        .arg(bytes.size())));
                ++seen[version];
            }
        }
        qInfo(
            "%s: %d kills, files found as version 0: %d, as version 1: %d, save copies left: %lld",
            qPrintable(mode), kRounds, seen[0], seen[1], Entries(work).size() - files.size());

        // Whatever the kills left beside the files, the start-up clean-up takes away.
        Common::SetAppDataFolder(work);
        Common::RemoveStaleSaveCopies(QDateTime::currentDateTime().addSecs(3600));
        QCOMPARE(Entries(work), files);
    }

    void staleCopies_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("removed");
        QTest::newRow("settings copy") << "SYSTEM.INI.twsave-0a1b2c3d" << 7200 << true;
        QTest::newRow("day file copy") << "Data/20240315.DAT.twsave-9f00e1d2" << 7200 << true;
        QTest::newRow("history copy") << "Data/検索.INI.twsave-00000000" << 7200 << true;
        QTest::newRow("report copy") << "掲示板.TXT.twsave-ffffffff" << 7200 << true;
        QTest::newRow("fresh copy: maybe another instance saving")
            << "SYSTEM.INI.twsave-0a1b2c3d" << 0 << false;
        QTest::newRow("damaged day file kept aside") << "Data/20240315.DAT.bad" << 7200 << false;
        QTest::newRow("not one of ours") << "notes.txt.twsave-0a1b2c3d" << 7200 << false;
        QTest::newRow("user's backup") << "SYSTEM.INI.backup" << 7200 << false;
        QTest::newRow("wrong folder") << "Data/SYSTEM.INI.twsave-0a1b2c3d" << 7200 << false;
        QTest::newRow("short random part") << "SYSTEM.INI.twsave-0a1b2c3" << 7200 << false;
    }

    void staleCopies() {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, removed);
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath("Data"));
        QFile file(tmp.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                 QFileDevice::FileModificationTime));
        file.close();
        Common::SetAppDataFolder(tmp.path());
        Common::EnsureDataFolder();
        QCOMPARE(!QFileInfo::exists(tmp.filePath(name)), removed);
    }

    // A save that fails or is given up leaves the file as it was and no copy beside it.
    void abandonedSaveLeavesNothing() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("SYSTEM.INI");
        {
            Files::WholeFile first(path);
            QVERIFY(first.open() && first.write("old") && first.commit());
        }
        {
            Files::WholeFile abandoned(path);
            QVERIFY(abandoned.open() && abandoned.write("new"));
            QCOMPARE(Entries(tmp.path()).size(), 2); // the file and its copy
        }
        QCOMPARE(Entries(tmp.path()), QStringList{"SYSTEM.INI"});
        QCOMPARE(ReadAll(path), QByteArray("old"));
        // A folder in the way: nothing is written and nothing left.
        Files::WholeFile folder(tmp.path());
        QVERIFY(!folder.open() && !folder.write("x") && !folder.commit());
        QCOMPARE(Entries(tmp.path()), QStringList{"SYSTEM.INI"});
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
