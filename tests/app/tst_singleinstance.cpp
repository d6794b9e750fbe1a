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

namespace {

// Name, size and time of every file in a folder: a second start must leave all of them alone.
QStringList Snapshot(const QString& folder) {
    QStringList out;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& f : files)
        out << f.fileName() + QString::number(f.size()) +
                   QString::number(f.lastModified().toMSecsSinceEpoch());
    return out;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondStartAsksTheFirstAndTouchesNothing() {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QCOMPARE(first->Start(), Outcome::Primary);
        QVERIFY(first->IsListening());
        QSignalSpy asked(first.get(), &SingleInstance::ActivationRequested);
        const QStringList before = Snapshot(dir.path());

        // The same folder spelt another way is the same folder.
        for (const QString& spelling : {dir.path(), dir.path() + "/./"}) {
            SingleInstance second(spelling);
            QCOMPARE(second.Start(), Outcome::Forwarded);
            QVERIFY(!second.IsPrimary());
        }
        QCOMPARE(asked.count(), 2);
        QCOMPARE(Snapshot(dir.path()), before);

        // Once the first has ended, the folder is free again.
        first.reset();
        SingleInstance next(dir.path());
        QCOMPARE(next.Start(), Outcome::Primary);
    }

    void foldersAreIndependent() {
        QTemporaryDir a, b;
        SingleInstance onA(a.path()), onB(b.path());
        QCOMPARE(onA.Start(), Outcome::Primary);
        QCOMPARE(onB.Start(), Outcome::Primary);
        QVERIFY(SingleInstance::ServerName(a.path()) != SingleInstance::ServerName(b.path()));
    }

    void leftoversOfAKilledStartAreTakenOver() {
        QTemporaryDir dir;
        const QString lockPath = dir.filePath(SingleInstance::LockFileName());
        // A lock file in the real format whose process is gone: a finished child's id.
        QByteArray lockBytes;
        {
            QLockFile probe(lockPath);
            QVERIFY(probe.tryLock(0));
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            lockBytes = f.readAll();
        }
        QProcess child;
        child.start(QStringLiteral("true"), {});
        QVERIFY(child.waitForStarted());
        const qint64 deadPid = child.processId();
        QVERIFY(child.waitForFinished());
        lockBytes = QByteArray::number(deadPid) + lockBytes.mid(lockBytes.indexOf('\n'));
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(lockBytes);
        lock.close();
        // And the socket file it could not remove.
        QFile socketFile(QDir::tempPath() + "/" + SingleInstance::ServerName(dir.path()));
        QVERIFY(socketFile.open(QIODevice::WriteOnly));
        socketFile.close();

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
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        SingleInstance under(dir.filePath("plain/Tickerwisp"));
        QCOMPARE(under.Start(0), Outcome::NoLock);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
