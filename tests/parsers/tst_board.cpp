// The board report against the loopback simulator: the expected text is built here from the
// pages the simulator serves (fetched in UTF-8 with plain regular expressions).
#include "../fetch/support_feedsim.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "parsers/Board.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kStart = QStringLiteral("2024-03-14T15:00:00");
const QStringList kSentiments{"強く買いたい", "買いたい", "様子見", "売りたい", "強く売りたい"};

class FixedClock : public Ports::ClockPort {
public:
    QDateTime Now() const override { return QDateTime::fromString(kStart, Qt::ISODate); }
    qint64 TickMs() const override { return 0; }
};

class ScriptedPrompt : public Ports::PromptPort {
public:
    std::optional<QString> answer;
    QStringList boxes;
    QList<Ports::MsgIcon> icons;
    Ports::MsgAnswer MessageBox(const QString& text, const QString& title, Ports::MsgIcon icon,
                                Ports::MsgButtons) override {
        boxes << text + QLatin1Char('|') + title;
        icons << icon;
        return Ports::MsgAnswer::Ok;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return answer;
    }
    void EndProgram() override {}
};

QString Decode(QString s) {
    s.replace("&quot;", "\"").replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">");
    return s;
}

} // namespace

class TestBoard : public QObject {
    Q_OBJECT
    FeedsimProcess sim_;
    QTemporaryDir dir_;
    FixedClock clock_;

    QString Get(const QString& address) {
        const QString target = address.startsWith('/') ? sim_.Portal() + address : address;
        return QString::fromUtf8(sim_.Control(target.mid(sim_.Portal().size()) + "&enc=utf8"));
    }

    // The report as the board's pages say it should read.
    QString Expected(const QString& board, bool markLinks, const QDateTime& limit, int& fetched) {
        const QString list = Get("/?action=q&board=" + board);
        static const QRegularExpression row(
            "<tr><td><a href=\"([^\"]+)\">.*?</a></td><td>.*?</td><td>(?:<b>(.*?)</b>|-)</td>");
        QStringList links;
        int counts[6] = {};
        for (auto it = row.globalMatch(list); it.hasNext();) {
            const auto m = it.next();
            links << m.captured(1);
            const int k = kSentiments.indexOf(m.captured(2));
            ++counts[k < 0 ? 5 : k];
        }
        const QString rule = "//" + QString(64, '=');
        QString text = rule + "\r\n//\tＢＢＳ総括\r\n" + rule + "\r\n\r\n";
        for (int i = 0; i < 6; ++i)
            text += Yahoo::BoardLabels().at(i) +
                    QString::asprintf("%3d Pts. %6.2f%% ", counts[i],
                                      counts[i] * 100.0 / links.size()) +
                    QString(counts[i], QChar(0x25A0)) + "\r\n";
        text += "\r\n";
        static const QRegularExpression message(
            R"(<b>(.*?)</b>.*?<font[^>]*>(.{16}).*?<small>(?:[^<]*<b>(.*?)</b>)?.*?</small>.*?)"
            R"(<!--// USER -->.*?<small>(.*?)</small>.*?<!--// MESSAGE -->.*?<td>(.*?)</td>)",
            QRegularExpression::DotMatchesEverythingOption);
        fetched = 0;
        for (int i = 1; i < links.size(); ++i) {
            const auto m = message.match(Get(links.at(i)));
            ++fetched;
            if (QDateTime::fromString(m.captured(2), "yyyy/MM/dd HH:mm") < limit)
                break;
            QString body = Decode(m.captured(5).replace("<br>", "\r\n"));
            if (markLinks && (body.contains("http://") || body.contains("おすすめ")))
                body = "//━━━━  ********\r\n";
            text += "//" + QString(40, QChar(0x2501)) + "\r\n//\t" + m.captured(1) +
                    (m.captured(3).isEmpty() ? QString() : "(" + m.captured(3) + ")") +
                    "\r\n//━━━━\t" + m.captured(2) + ":" + m.captured(4) + "\r\n" + body +
                    "\r\n\r\n";
        }
        return text;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
        QVERIFY(sim_.Start({"--frozen", "--start", kStart}));
        Program::Settings().BoardHost = sim_.Portal();
    }
    void cleanupTestCase() { Ports::SetClock(nullptr); }

    void reportMatchesPages_data() {
        QTest::addColumn<QString>("board");
        QTest::addColumn<bool>("markLinks");
        QTest::addColumn<int>("hoursBack");
        QTest::newRow("marked, two days") << "7203" << true << 40;
        QTest::newRow("plain, one day") << "9984" << false << 20;
    }
    void reportMatchesPages() {
        QFETCH(QString, board);
        QFETCH(bool, markLinks);
        QFETCH(int, hoursBack);
        const QDateTime limit = clock_.Now().addSecs(-3600 * hoursBack);
        int fetched = 0;
        const QString expected = Expected(board, markLinks, limit, fetched);
        sim_.Control("/_feedsim/stats?reset=1");

        QString previous, next;
        QList<int> progress;
        const QString report = Yahoo::SummariseBoard(
            Yahoo::BoardListAddress(board), [&](int value, int) { progress << value; }, markLinks,
            limit, previous, next);
        QCOMPARE(report, expected);
        QVERIFY(previous.isEmpty());
        QCOMPARE(next, "/?action=q&board=" + board + "&p=2");

        // The newest message is never fetched, and nothing after the first one past the limit.
        const QStringList paths = sim_.RequestedPaths().filter("/bbs?");
        QCOMPARE(paths.size(), fetched);
        QVERIFY(fetched < 39);
        QCOMPARE(progress.first(), 0);
        QCOMPARE(progress.last(), 39);
    }

    void noBoardGivesNothing() {
        QString previous, next;
        QCOMPARE(Yahoo::SummariseBoard(Yahoo::BoardListAddress("0000"), nullptr, true, QDateTime(),
                                       previous, next),
                 QString());
    }

    void tableLine_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("numbers");
        QTest::newRow("thousand") << 1000 << 1000 << "000 Pts. 100.00% ";
        QTest::newRow("few") << 3 << 40 << "  3 Pts.   7.50% ";
        QTest::newRow("none") << 0 << 7 << "  0 Pts.   0.00% ";
        QTest::newRow("two thirds") << 2 << 3 << "  2 Pts.  66.67% ";
    }
    void tableLine() {
        QFETCH(int, count);
        QFETCH(int, messages);
        QFETCH(QString, numbers);
        QCOMPARE(Yahoo::BoardTableLine("様子見　　　　… ", qint16(count), messages),
                 "様子見　　　　… " + numbers + QString(count, QChar(0x25A0)) + "\r\n");
    }

    void command_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("written");
        QTest::newRow("blanks trimmed") << " 6758 " << QString() << true;
        QTest::newRow("three digits") << "675"
                                      << "銘柄コードではないようです。" << false;
        QTest::newRow("five digits") << "67580"
                                     << "銘柄コードではないようです。" << false;
        QTest::newRow("letters") << "67a8"
                                 << "銘柄コードではないようです。" << false;
        QTest::newRow("full-width") << "６７５８"
                                    << "銘柄コードではないようです。" << false;
        QTest::newRow("no such board")
            << "0000"
            << "銘柄コードが存在しないか、取得に失敗したようです。" << false;
    }
    void command() {
        QFETCH(QString, answer);
        QFETCH(QString, box);
        QFETCH(bool, written);
        QFile::remove(Yahoo::BoardReportPath());
        ScriptedPrompt prompt;
        prompt.answer = answer;
        QStringList calls;
        const QString path = Yahoo::RunBoardCommand(
            prompt, [&](bool busy) { calls << (busy ? "busy" : "idle"); },
            [&](const QString& p) { calls << p; });
        const QString title = "Yahoo!ファイナンス掲示板閲覧";
        QCOMPARE(prompt.boxes, box.isEmpty() ? QStringList() : QStringList{box + "|" + title});
        if (!written) {
            QCOMPARE(calls, QStringList({"busy", "idle"}));
            QVERIFY(!QFile::exists(Yahoo::BoardReportPath()));
            return;
        }
        QCOMPARE(path, dir_.path() + "/掲示板.TXT");
        QCOMPARE(calls, QStringList({"busy", path, "idle"}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.startsWith("//" + QString(64, '=') + "\r\n"));
        // Three days back from midnight: the oldest block is no older than that.
        QVERIFY(text.contains("\r\n//━━━━\t2024/03/11 "));
        QVERIFY(!text.contains("\r\n//━━━━\t2024/03/10 "));
    }

    void cancelledCommandDoesNothing() {
        ScriptedPrompt prompt;
        bool touched = false;
        Yahoo::RunBoardCommand(
            prompt, [&](bool) { touched = true; }, [&](const QString&) { touched = true; });
        QVERIFY(!touched);
        QVERIFY(prompt.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
