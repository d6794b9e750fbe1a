// The whole program in one process: a fresh data folder, the feed simulator as the remote
// sites, the first patrol cycle, and a second start on the same day.

#include "FileBytes.h"
#include "app/AppData.h"
#include "app/Settings.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "text/Common.h"
#include "ui/FormMain.h"
#include "ui/WindowPorts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using Present::GridCol;
using Present::GridRow;

namespace {

int g_pauseCount = 0;
void RecordPause(int, bool, bool) {
    ++g_pauseCount;
}

QByteArray IniLines(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void firstPatrolThenRestart() {
        QTemporaryDir dir;
        Common::SetAppDataFolder(dir.path());
        Common::SetPauseHook(&RecordPause);

        QProcess feedsim;
        feedsim.setProgram(QStringLiteral(TW_FEEDSIM));
        const QString start =
            QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("T10:00:00");
        feedsim.setArguments({"--port", "0", "--tdnet-port", "0", "--frozen", "--start", start});
        feedsim.start();
        QVERIFY(feedsim.waitForStarted(5000));
        QByteArray out;
        while (out.count('\n') < 2 && feedsim.waitForReadyRead(5000))
            out += feedsim.readAllStandardOutput();
        QString portal, tdnet;
        for (const QByteArray& line : out.split('\n')) {
            if (line.startsWith("portal "))
                portal = QStringLiteral("http://") + QString::fromLatin1(line.mid(7)).trimmed();
            else if (line.startsWith("tdnet "))
                tdnet = QStringLiteral("http://") + QString::fromLatin1(line.mid(6)).trimmed();
        }
        QVERIFY2(!portal.isEmpty() && !tdnet.isEmpty(), out.constData());

        WriteBytes(dir.filePath(QStringLiteral("SYSTEM.INI")),
                   IniLines({"[OPTION]", "QUICK START=True", "[SERVER]", "NEWS HOST=" + portal,
                             "TDNET HOST=" + tdnet, "BOARD HOST=" + portal}));

        QList<News::NewsItem> fetched;
        {
            // The window drives the program without the embedded browser.
            Program::Session session;
            FormMain form(session, false);
            QVERIFY(!QFile::exists(News::DayFilePath()));
            QCOMPARE(session.store.Count(), 0);
            // The quick start switches the patrol on; its first cycle reads every list (inside
            // one timer event, as its waits pump the loop).
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(News::DayFilePath()) && !session.patrol.CycleRunning(), 120000);
            QVERIFY(form.WindowPorts()->ButtonPressed(App::Command::Timer));
            QVERIFY(g_pauseCount > 26);

            QFile file(News::DayFilePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const auto saved = News::DecodeDayFile(file.readAll());
            QVERIFY(saved);
            fetched = session.store.Items();
            QVERIFY(fetched.size() > 26);
            QCOMPARE(saved->size(), fetched.size());
            QSet<QString> sources;
            for (int i = 0; i < fetched.size(); ++i) {
                QCOMPARE(saved->at(i).Title, fetched[i].Title);
                sources.insert(fetched[i].Source);
            }
            // Portal lists of many providers and the disclosure list.
            QVERIFY(sources.size() > 10);
            QVERIFY(sources.contains(News::TdnetSourceName));
            QCOMPARE(session.table.Model().Rows(), fetched.size() + 1);
            form.close();
        }
        feedsim.kill();
        feedsim.waitForFinished(3000);

        // Same day, the network gone: the stored headlines show before any download.
        QVERIFY(Program::WriteIni(QStringLiteral("SERVER"), QStringLiteral("NEWS HOST"),
                                  QStringLiteral("http://127.0.0.1:9")));
        QVERIFY(Program::WriteIni(QStringLiteral("OPTION"), QStringLiteral("QUICK START"),
                                  QStringLiteral("False")));
        // A new run of the program: nothing carried over but the files.
        Program::Session session;
        FormMain second(session, false);
        QCOMPARE(session.store.Count(), fetched.size());
        const Present::GridModel& grid = session.table.Model();
        QCOMPARE(grid.Rows(), fetched.size() + 1);
        QCOMPARE(grid.Text(GridRow{1}, GridCol{9}), fetched.last().Title);
        QCOMPARE(grid.Text(GridRow{grid.Rows() - 1}, GridCol{9}), fetched.first().Title);
        QVERIFY(second.WindowPorts()->GridVisible());
        Common::SetPauseHook(nullptr);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
