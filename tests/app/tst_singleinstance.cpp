#include "FileBytes.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using Program::SingleInstance;
using Outcome = SingleInstance::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondStartAsksTheFirstAndTouchesNothing() {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QCOMPARE(first->Start(), Outcome::Primary);
        QVERIFY(first->IsListening());
        QSignalSpy asked(first.get(), &SingleInstance::ActivationRequested);
        const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const QByteArray lockBytes = ReadBytes(first->LockFilePath());

        // The same folder spelt another way is the same folder.
        for (const QString& spelling : {dir.path(), dir.path() + "/./"}) {
            SingleInstance second(spelling);
            QCOMPARE(second.Start(), Outcome::Forwarded);
            QVERIFY(!second.IsPrimary());
        }
        QCOMPARE(asked.count(), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
        QCOMPARE(ReadBytes(first->LockFilePath()), lockBytes);

        // Once the first has ended, the folder is free again; other folders always were.
        first.reset();
        QTemporaryDir other;
        SingleInstance next(dir.path()), elsewhere(other.path());
        QCOMPARE(next.Start(), Outcome::Primary);
        QCOMPARE(elsewhere.Start(), Outcome::Primary);
    }

    void leftoversOfAKilledStartAreTakenOver() {
        QTemporaryDir dir;
        const QString lockPath = dir.filePath(SingleInstance::LockFileName());
        // A lock file in the real format whose process is gone: a finished child's id.
        QByteArray lockBytes;
        {
            QLockFile probe(lockPath);
            QVERIFY(probe.tryLock(0));
            lockBytes = ReadBytes(lockPath);
        }
        QProcess child;
        child.start(QStringLiteral("true"), {});
        QVERIFY(child.waitForStarted());
        const qint64 deadPid = child.processId();
        QVERIFY(child.waitForFinished());
        WriteBytes(lockPath, QByteArray::number(deadPid) + lockBytes.mid(lockBytes.indexOf('\n')));
        // And the socket file it could not remove.
        WriteBytes(QDir::tempPath() + "/" + SingleInstance::ServerName(dir.path()), QByteArray());

        SingleInstance next(dir.path());
        QCOMPARE(next.Start(1000), Outcome::Primary);
        QVERIFY(next.IsListening());
        SingleInstance later(dir.path());
        QCOMPARE(later.Start(), Outcome::Forwarded);
    }

    // The lock is held by a start that has not opened its socket (yet).
    void lockHeldWithoutSocket_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<Outcome>("expected");
        QTest::newRow("never answers") << "" << Outcome::NoAnswer;
        QTest::newRow("owner listens late") << "listen" << Outcome::Forwarded;
        QTest::newRow("owner ends") << "end" << Outcome::Primary;
    }
    void lockHeldWithoutSocket() {
        QFETCH(QString, meanwhile);
        QFETCH(Outcome, expected);
        QTemporaryDir dir;
        QLockFile held(dir.filePath(SingleInstance::LockFileName()));
        held.setStaleLockTime(0);
        QVERIFY(held.tryLock(0));
        SingleInstance owner(dir.path());
        if (!meanwhile.isEmpty()) {
            QTimer::singleShot(150, this, [&] {
                held.unlock();
                if (meanwhile == "listen")
                    QCOMPARE(owner.Start(), Outcome::Primary);
            });
        }
        SingleInstance late(dir.path());
        QCOMPARE(late.Start(1500), expected);
    }

    void noLockWhereNoFolderCanBeMade() {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("plain"), "x");
        SingleInstance under(dir.filePath("plain/Tickerwisp"));
        QCOMPARE(under.Start(0), Outcome::NoLock);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
