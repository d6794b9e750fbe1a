// The board report against the loopback simulator: the expected text is built here from the
// pages the simulator serves (fetched in UTF-8 with plain regular expressions).
#include "../fetch/support_feedsim.h"

#include "RecordingPorts.h"
#include "app/AppData.h"
#include "app/SettingsState.h"
#include "parsers/Board.h"
#include "web/clsWEB.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString kStart = QStringLiteral("2024-03-14T15:00:00");
const QStringList kSentiments{"強く買いたい", "買いたい", "様子見", "売りたい", "強く売りたい"};

// Boxes as "text|icon"; a wrong title shows instead of the icon.
class ScriptedPrompt : public Ports::PromptPort {
public:
    std::optional<QString> answer;
    QStringList events;
    Ports::MsgAnswer MessageBox(const QString& text, const QString& title, Ports::MsgIcon icon,
                                Ports::MsgButtons) override {
        events << text + "|" + (title == Yahoo::BoardTitle ? QString::number(int(icon)) : title);
        return Ports::MsgAnswer::Ok;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return answer;
    }
    void EndProgram() override {}
};

} // namespace

class TestBoard : public QObject {
    Q_OBJECT
    FeedsimProcess sim_;
    QTemporaryDir dir_;
    FixedClock clock_{QDateTime::fromString(kStart, Qt::ISODate)};

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
            QString body = m.captured(5).replace("<br>", "\r\n").replace("&amp;", "&");
            body.replace("&lt;", "<").replace("&gt;", ">");
            if (markLinks && (body.contains("http://") || body.contains("おすすめ")))
                body = "//━━━━  ********\r\n";
            text += "//" + QString(40, QChar(0x2501)) + "\r\n//\t" + m.captured(1) +
                    (m.captured(3).isEmpty() ? QString() : "(" + m.captured(3) + ")") +
                    "\r\n//━━━━\t" + m.captured(2) + ":" + m.captured(4) + "\r\n" + body +
                    "\r\n\r\n";
        }
        return text;
    }

    clsWEB web_;
    std::unique_ptr<Yahoo::BoardSite> site_;

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
        QVERIFY(sim_.Start({"--frozen", "--start", kStart}));
        site_ = std::make_unique<Yahoo::BoardSite>(Yahoo::BoardSite{web_, sim_.Portal()});
    }

    void reportMatchesPages() {
        const QString board = "7203";
        const QDateTime limit = clock_.Now().addSecs(-3600 * 40);
        int fetched = 0;
        const QString expected = Expected(board, true, limit, fetched);
        sim_.Control("/_feedsim/stats?reset=1");

        QString previous, next;
        int last = -1;
        const QString report = Yahoo::SummariseBoard(
            *site_, Yahoo::BoardListAddress(*site_, board), [&](int value, int) { last = value; },
            true, limit, previous, next);
        QCOMPARE(report, expected);
        QVERIFY(previous.isEmpty());
        QCOMPARE(next, "/?action=q&board=" + board + "&p=2");
        QCOMPARE(last, 39);

        // The newest message is never fetched, and nothing after the first one past the limit.
        QCOMPARE(sim_.RequestedPaths().filter("/bbs?").size(), fetched);
        QVERIFY(fetched < 39);
    }

    void tableLine() {
        const QString label = QStringLiteral("様子見　　　　… ");
        QCOMPARE(Yahoo::BoardTableLine(label, 2, 3), label + "  2 Pts.  66.67% ■■\r\n");
        // A count too wide for its field keeps its last three digits.
        QCOMPARE(Yahoo::BoardTableLine(label, 1000, 1000),
                 label + "000 Pts. 100.00% " + QString(1000, QChar(0x25A0)) + "\r\n");
    }

    void command_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("events");
        QTest::newRow("blanks trimmed") << " 6758 " << QString("busy;open;idle");
        QTest::newRow("letter code in lower case") << "330a" << QString("busy;open;idle");
        QTest::newRow("cancelled") << QString() << QString();
        for (const char* code : {"67580", "６７５８", "A30A", "33-A"})
            QTest::newRow(code) << code << QString("busy;銘柄コードではないようです。|1;idle");
        QTest::newRow("no such board")
            << "0000" << QString("busy;銘柄コードが存在しないか、取得に失敗したようです。|4;idle");
    }
    void command() {
        QFETCH(QString, answer);
        QFETCH(QString, events);
        QFile::remove(Yahoo::BoardReportPath());
        ScriptedPrompt prompt;
        prompt.answer = answer;
        QString opened;
        const QString path = Yahoo::RunBoardCommand(
            *site_, prompt, [&](bool busy) { prompt.events << (busy ? "busy" : "idle"); },
            [&](const QString& p) { prompt.events << "open", opened = p; });
        QCOMPARE(prompt.events.join(';'), events);
        QCOMPARE(path, opened);
        QCOMPARE(QFile::exists(dir_.path() + "/掲示板.TXT"), !opened.isEmpty());
        QFile file(opened);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QString text = QString::fromUtf8(file.readAll());
        // Three days back from midnight: the oldest block is no older than that.
        QVERIFY(text.contains("\r\n//━━━━\t2024/03/11 "));
        QVERIFY(!text.contains("\r\n//━━━━\t2024/03/10 "));
    }
};

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
