#include "../fetch/support_feedsim.h"
#include "RecordingPorts.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "parsers/Opml.h"
#include "present/Session.h"
#include "ui/FormFeed.h"
#include "ui/FormOption.h"
#include "web/clsWEB.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Program::FeedSource;
using FeedList = QList<FeedSource>;

namespace {

const FeedList kFeeds{{"A", "https://a.example/feed", true},
                      {"B", "http://b.example/rss", false},
                      {"C", "https://c.example/atom", true}};

// The list as "A B- C": names in order, "-" after a disabled one.
QString Shown(const FeedList& feeds) {
    QStringList names;
    for (const FeedSource& feed : feeds)
        names << feed.Name + (feed.Enabled ? "" : "-");
    return names.join(' ');
}

// The same read off the table, so what is shown must match what is kept.
QString Shown(QTableWidget* grid) {
    QStringList names;
    for (int row = 0; row < grid->rowCount(); ++row)
        names << grid->item(row, 1)->text() +
                     (grid->item(row, 0)->checkState() == Qt::Checked ? "" : "-");
    return names.join(' ');
}

} // namespace

class TestFormOption : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    RecordingPrompt prompt_;
    std::unique_ptr<Program::Session> session_;

    static bool ApplyEnabled(FormOption& form) {
        return form.findChild<QPushButton*>("CommandApply")->isEnabled();
    }
    static QTableWidget* Grid(FormOption& form) {
        return form.findChild<QTableWidget*>("GridFeeds");
    }
    static void Click(FormOption& form, const char* command) {
        QPushButton* button = form.findChild<QPushButton*>(command);
        QVERIFY2(button, command);
        QVERIFY2(button->isEnabled(), command);
        button->click();
    }
    static QString FeedTestText(FormOption& form) {
        return form.findChild<QLabel*>("LabelFeedTest")->text();
    }

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetPrompt(&prompt_);
    }
    void init() {
        session_ = std::make_unique<Program::Session>();
        session_->settings.SearchWords[12] = "ＮＴＴ";
        session_->settings.Feeds = kFeeds;
        prompt_.boxes.clear();
    }

    // Every box, check, option and the font, changed and changed back.
    void applyFollowsChanges() {
        FormOption form(*session_);
        QVERIFY(!ApplyEnabled(form));
        QList<std::function<void(bool)>> changes;
        for (QLineEdit* box : form.findChildren<QLineEdit*>()) {
            // A spin box's own edit is changed through the spin box below.
            if (qobject_cast<QAbstractSpinBox*>(box->parent()))
                continue;
            const QString old = box->text();
            changes << [=](bool on) { box->setText(on ? old + "x" : old); };
        }
        for (QCheckBox* check : form.findChildren<QCheckBox*>())
            changes << [=](bool) { check->toggle(); };
        changes << [&](bool on) { form.OptionViewerPosition(on ? 0 : 1)->click(); };
        auto* keepDays = form.findChild<QSpinBox*>("SpinKeepDays");
        QVERIFY(keepDays);
        changes << [=](bool on) { keepDays->setValue(on ? 30 : 0); };
        const QFont old = form.SampleFont();
        changes << [&, old](bool on) {
            form.ChooseFont = [=](const QFont&) { return on ? QFont(old.family(), 12) : old; };
            form.CommandFont_Click();
        };
        // The watch page adds two boxes and three checks; the other settings a day count.
        QCOMPARE(changes.size(), 13 + 4 + 7 + 2 + 5 + 1);
        for (int i = 0; i < changes.size(); ++i) {
            changes[i](true);
            QVERIFY2(ApplyEnabled(form), qPrintable(QString::number(i)));
            changes[i](false);
            QVERIFY2(!ApplyEnabled(form), qPrintable(QString::number(i)));
        }
    }

    void storeAndReload_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer"); // to the re-fetch's question
        QTest::addColumn<bool>("stored");
        QTest::newRow("OK") << "CommandOK" << int(Ports::MsgAnswer::Ok) << true;
        QTest::newRow("reload") << "CommandNewsReload" << int(Ports::MsgAnswer::Yes) << true;
        QTest::newRow("reload, not confirmed")
            << "CommandNewsReload" << int(Ports::MsgAnswer::No) << false;
        QTest::newRow("cancel") << "CommandCancel" << int(Ports::MsgAnswer::Ok) << false;
    }
    void storeAndReload() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, stored);
        prompt_.answer = Ports::MsgAnswer(answer);
        const bool reload = command == "CommandNewsReload";
        int saves = 0;
        bool reloadRequested = false;
        {
            FormOption form(*session_);
            form.SaveAll = [&] { ++saves; };
            form.findChild<QLineEdit*>("TextBrowser")->setText("/usr/bin/browser");
            form.findChild<QLineEdit*>("TextSound")->setText("/tmp/a.wav");
            for (const char* check : {"CheckVIP", "CheckDontForward", "CheckQuickStart",
                                      "CheckFromTray", "CheckProxyUse", "CheckLockSearch"})
                form.findChild<QCheckBox*>(check)->toggle();
            form.OptionViewerPosition(0)->click();
            form.ChooseFont = [](const QFont&) { return QFont("Noto Sans", 11, -1, true); };
            form.CommandFont_Click();
            form.TextWord(3)->setText("日銀|金利");
            form.findChild<QLineEdit*>("TextProxyAdrs")->setText(" proxy.example ");
            form.findChild<QLineEdit*>("TextProxyPort")->setText("8080");
            Grid(form)->selectRow(0);
            Click(form, "CommandFeedDown");
            form.EditFeed = [](const QString&, const FeedSource&, const auto&) {
                return FeedSource{"D", "https://d.example/", true};
            };
            Click(form, "CommandFeedAdd");
            form.findChild<QPushButton*>(command)->click();
            QCOMPARE(form.result(), int(stored ? QDialog::Accepted : QDialog::Rejected));
            reloadRequested = form.ReloadRequested();
        }
        QCOMPARE(saves, stored ? 1 : 0);
        QCOMPARE(reloadRequested, reload && stored);
        // The re-fetch asks first; a "no" leaves the dialog open and nothing stored.
        QCOMPARE(prompt_.boxes.size(), (stored ? 1 : 0) + (reload ? 1 : 0));
        if (reload) {
            QCOMPARE(prompt_.boxes[0].buttons, Ports::MsgButtons::YesNo);
            QVERIFY(prompt_.boxes[0].text.contains(QStringLiteral("取得し直します")));
        }
        QCOMPARE(session_->settings.LockSearchInPatrol, stored);
        QCOMPARE(session_->pageWeb.Proxy, stored ? "proxy.example:8080" : "");
        QCOMPARE(session_->viewerWeb.Proxy, session_->pageWeb.Proxy);

        QCOMPARE(session_->settings.ViewerPosition, qint16(stored ? 0 : 1));
        QCOMPARE(Shown(session_->settings.Feeds), stored ? "B- A C D" : "A B- C");

        // A fresh dialog shows what was stored and has nothing to apply.
        FormOption again(*session_);
        QVERIFY(!ApplyEnabled(again));
        const QString sheet = again.DiagnosticSheet() + "\r\n";
        for (const char* line :
             {"ブラウザ：/usr/bin/browser", "アラート：/tmp/a.wav", "YahooVIP：×", "新着前面：○",
              "起動ＯＮ：○", "新着出す：○", "フォント：Noto Sans", "  Size　：11", "  Italic：○",
              "プロキシ：○", "　Adrs　：proxy.example", "　Port　：8080", "定型文４：日銀|金利"})
            QVERIFY2(sheet.contains("\r\n" + QString(line) + "\r\n") == stored, line);
        QVERIFY(sheet.endsWith("\r\n定型文Ｅ：ＮＴＴ\r\n"));
    }

    // The list's commands, one after another, then what the list, its table, the selection and
    // 適用 show. Steps: "select N", "up", "down", "remove", "add NAME URL", "edit NAME URL",
    // "toggle N" (the enabled check of row N, as a click on it does), "cell ROW COLUMN" (made
    // current), "space" (the key on the table).
    void feedCommands_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("apply");
        QTest::newRow("nothing") << QStringList{} << "A B- C" << 0 << false;
        QTest::newRow("up from the middle")
            << QStringList{"select 1", "up"} << "B- A C" << 0 << true;
        QTest::newRow("down from the top") << QStringList{"down"} << "B- A C" << 1 << true;
        QTest::newRow("up and down again")
            << QStringList{"select 2", "up", "down"} << "A B- C" << 2 << false;
        QTest::newRow("remove the last")
            << QStringList{"select 2", "remove"} << "A B-" << 1 << true;
        QTest::newRow("remove all")
            << QStringList{"remove", "remove", "remove"} << "" << -1 << true;
        QTest::newRow("add goes last, enabled")
            << QStringList{"add D https://d.example/x"} << "A B- C D" << 3 << true;
        QTest::newRow("edit keeps the place and the switch")
            << QStringList{"select 1", "edit B2 http://b.example/rss2"} << "A B2- C" << 1 << true;
        QTest::newRow("edit to the same")
            << QStringList{"select 1", "edit B http://b.example/rss"} << "A B- C" << 1 << false;
        QTest::newRow("switch off") << QStringList{"toggle 2"} << "A B- C-" << 0 << true;
        QTest::newRow("switch the selected one by Space")
            << QStringList{"down", "space"} << "B- A- C" << 1 << true;
        QTest::newRow("Space with the address current")
            << QStringList{"cell 1 2", "space"} << "A B C" << 1 << true;
        QTest::newRow("Space twice after a move")
            << QStringList{"select 2", "up", "space", "space"} << "A C B-" << 1 << true;
    }
    void feedCommands() {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        QFETCH(int, selected);
        QFETCH(bool, apply);
        FormOption form(*session_);
        QTableWidget* grid = Grid(form);
        for (const QString& step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == "select") {
                grid->selectRow(words[1].toInt());
            } else if (words[0] == "cell") {
                grid->setCurrentCell(words[1].toInt(), words[2].toInt());
            } else if (words[0] == "space") {
                grid->setFocus();
                QTest::keyClick(grid, Qt::Key_Space);
            } else if (words[0] == "toggle") {
                QTableWidgetItem* check = grid->item(words[1].toInt(), 0);
                check->setCheckState(check->checkState() == Qt::Checked ? Qt::Unchecked
                                                                        : Qt::Checked);
            } else if (words[0] == "add" || words[0] == "edit") {
                form.EditFeed = [&](const QString&, const FeedSource& feed, const auto& problem) {
                    FeedSource entered = feed;
                    entered.Name = words[1];
                    entered.Url = words[2];
                    return problem(entered).isEmpty() ? std::optional(entered) : std::nullopt;
                };
                Click(form, words[0] == "add" ? "CommandFeedAdd" : "CommandFeedEdit");
            } else {
                const QString command =
                    "CommandFeed" + words[0].left(1).toUpper() + words[0].mid(1);
                Click(form, qPrintable(command));
            }
        }
        QCOMPARE(Shown(form.Feeds()), shown);
        QCOMPARE(Shown(grid), shown);
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        QCOMPARE(rows.isEmpty() ? -1 : rows.first().row(), selected);
        QCOMPARE(ApplyEnabled(form), apply);
        QVERIFY(prompt_.boxes.isEmpty());
        // The session's list changes only when the page is applied.
        QCOMPARE(session_->settings.Feeds, kFeeds);
        if (apply) {
            form.SaveAll = [] {};
            Click(form, "CommandApply");
            QCOMPARE(Shown(session_->settings.Feeds), shown);
            QVERIFY(!ApplyEnabled(form));
        }
    }

    // Which commands a selection allows: moving stops at the ends, a full list takes no more.
    void feedCommandsEnabled_data() {
        QTest::addColumn<int>("feeds");
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("enabled"); // add edit remove up down test, as 1 / 0
        QTest::newRow("top") << 3 << 0 << "111011";
        QTest::newRow("middle") << 3 << 1 << "111111";
        QTest::newRow("bottom") << 3 << 2 << "111101";
        QTest::newRow("only one") << 1 << 0 << "111001";
        QTest::newRow("empty") << 0 << -1 << "100000";
        QTest::newRow("full") << Program::MaxFeeds << 5 << "011111";
    }
    void feedCommandsEnabled() {
        QFETCH(int, feeds);
        QFETCH(int, select);
        QFETCH(QString, enabled);
        session_->settings.Feeds.clear();
        for (int n = 0; n < feeds; ++n)
            session_->settings.Feeds.append(
                {QString::number(n), "http://f.example/" + QString::number(n), true});
        FormOption form(*session_);
        if (select >= 0)
            Grid(form)->selectRow(select);
        QString got;
        for (const char* command : {"CommandFeedAdd", "CommandFeedEdit", "CommandFeedRemove",
                                    "CommandFeedUp", "CommandFeedDown", "CommandFeedTest"})
            got += form.findChild<QPushButton*>(command)->isEnabled() ? "1" : "0";
        QCOMPARE(got, enabled);
    }

    // An address that cannot be read or is listed already is refused with a message, both by the
    // feed dialog (which stays open) and by the page when an entry reaches it otherwise.
    void feedRefused_data() {
        QTest::addColumn<int>("row"); // -1: a new feed
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("message"); // "" when taken
        const QString scheme = "アドレスは http:// か https:// で始まるURLで入力してください。";
        const QString listed = "このアドレスのフィードはすでに一覧にあります。";
        QTest::newRow("empty") << -1 << "  "
                               << "フィードのアドレスを入力してください。";
        QTest::newRow("no scheme") << -1 << "c.example/atom" << scheme;
        QTest::newRow("no host") << -1 << "http:///rss.xml" << scheme;
        QTest::newRow("ftp") << -1 << "ftp://c.example/atom" << scheme;
        QTest::newRow("listed") << -1 << "https://c.example/atom" << listed;
        QTest::newRow("listed, host case and blanks differ")
            << -1 << " https://C.EXAMPLE/atom " << listed;
        QTest::newRow("another's address on edit") << 1 << "https://a.example/feed" << listed;
        QTest::newRow("its own address on edit") << 1 << "http://b.example/rss"
                                                 << "";
        QTest::newRow("upper-case scheme and a port") << -1 << "HTTPS://d.example:8443/f"
                                                      << "";
        QTest::newRow("new address") << -1 << "https://d.example/rss?x=1"
                                     << "";
    }
    void feedRefused() {
        QFETCH(int, row);
        QFETCH(QString, url);
        QFETCH(QString, message);
        FormOption form(*session_);
        const auto problem = [&](const FeedSource& feed) { return form.FeedProblem(feed, row); };

        FormFeed dialog("フィード", row < 0 ? FeedSource{} : kFeeds.at(row), problem, &form);
        dialog.TextName()->setText("  新しい名前 ");
        dialog.TextUrl()->setText(url);
        dialog.CommandOK_Click();
        QCOMPARE(dialog.result(), int(message.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(dialog.Feed().Name, "新しい名前");
        QCOMPARE(dialog.Feed().Url, url.trimmed());
        QCOMPARE(prompt_.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(prompt_.boxes.at(0).text, message);
            QCOMPARE(prompt_.boxes.at(0).title, "フィード");
        }
        prompt_.boxes.clear();

        form.EditFeed = [&](const QString&, const FeedSource& feed, const auto&) {
            FeedSource entered = feed;
            entered.Url = url;
            return std::optional(entered);
        };
        if (row >= 0)
            Grid(form)->selectRow(row);
        Click(form, row < 0 ? "CommandFeedAdd" : "CommandFeedEdit");
        QCOMPARE(prompt_.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(prompt_.boxes.at(0).text, message);
            QCOMPARE(form.Feeds(), kFeeds);
        } else {
            QCOMPARE(form.Feeds().size(), kFeeds.size() + (row < 0 ? 1 : 0));
            QCOMPARE(form.Feeds().at(row < 0 ? kFeeds.size() : row).Url, url);
        }
    }

    // A name left empty in the dialog is the address; a cancelled dialog changes nothing.
    void feedDialogNameAndCancel() {
        FormFeed dialog("フィード", kFeeds.at(1), {});
        dialog.TextName()->clear();
        QCOMPARE(dialog.Feed(),
                 (FeedSource{"http://b.example/rss", "http://b.example/rss", false}));

        FormOption form(*session_);
        form.EditFeed = [](const QString&, const FeedSource&, const auto&) {
            return std::optional<FeedSource>();
        };
        Click(form, "CommandFeedAdd");
        Click(form, "CommandFeedEdit");
        QCOMPARE(form.Feeds(), kFeeds);
        QVERIFY(!ApplyEnabled(form));
    }

    void feedImport_data() {
        QTest::addColumn<QByteArray>("file"); // "missing": no file there
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const int info = int(Ports::MsgIcon::Information), warn = int(Ports::MsgIcon::Exclamation);
        QTest::newRow("new and listed")
            << QByteArray("<opml version=\"2.0\"><body><outline text=\"国内\">"
                          "<outline text=\"D\" xmlUrl=\"https://d.example/\"/>"
                          "<outline text=\"A again\" xmlUrl=\"https://A.example/feed\"/>"
                          "</outline><outline title=\"E\" xmlUrl=\"http://e.example/\"/>"
                          "</body></opml>")
            << "A B- C D E"
            << "2 件のフィードを追加しました。\n1 件はすでに一覧にあるため飛ばしました。" << info;
        QTest::newRow("addresses it cannot fetch")
            << QByteArray("<opml><body><outline text=\"F\" xmlUrl=\"file:///etc/passwd\"/>"
                          "<outline text=\"S\" xmlUrl=\"javascript:alert(1)\"/>"
                          "<outline text=\"国内\"/>"
                          "<outline text=\"D\" xmlUrl=\"https://d.example/\"/></body></opml>")
            << "A B- C D"
            << "1 件のフィードを追加しました。\n2 件は http・https "
               "のアドレスではないため飛ばしました。"
            << info;
        QTest::newRow("broken after one")
            << QByteArray("<opml><body><outline text=\"D\" xmlUrl=\"https://d.example/\"/>\n"
                          "<outline")
            << "A B- C D"
            << "OPMLの2行目が壊れています。そこまでの1件を読み込みました。\n1 "
               "件のフィードを追加しました。"
            << warn;
        QTest::newRow("none in it") << QByteArray("<opml><body/></opml>") << "A B- C"
                                    << "フィードが見つかりませんでした。" << info;
        QTest::newRow("not OPML")
            << QByteArray("<rss/>") << "A B- C"
            << "OPMLのファイルではありません。\n0 件のフィードを追加しました。" << warn;
        QTest::newRow("missing") << QByteArray("missing") << "A B- C"
                                 << "PATH を開けませんでした。" << warn;
    }
    void feedImport() {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QTemporaryDir dir;
        const QString path = dir.filePath("購読.opml");
        if (file != "missing") {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        FormOption form(*session_);
        QStringList asked;
        form.ChooseFile = [&](const QString& title, const QString&, const QString& filter) {
            asked << title << filter;
            return path;
        };
        Click(form, "CommandFeedImport");
        QCOMPARE(asked.value(0), "OPMLを読み込む");
        QVERIFY(asked.value(1).contains("*.opml"));
        QCOMPARE(Shown(form.Feeds()), shown);
        QCOMPARE(Shown(Grid(form)), shown);
        QCOMPARE(prompt_.boxes.size(), 1);
        QCOMPARE(prompt_.boxes.at(0).text, QString(message).replace("PATH", path));
        QCOMPARE(int(prompt_.boxes.at(0).icon), icon);
        QCOMPARE(ApplyEnabled(form), shown != "A B- C");
        if (shown != "A B- C")
            QCOMPARE(form.Feeds().last().Enabled, true);
    }

    // The list as edited is written where the user chose; a name without an extension gets one.
    void feedExport_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written"); // "" when nothing may be written
        QTest::addColumn<QString>("message");
        QTest::newRow("as chosen")
            << "out.xml"
            << "out.xml"
            << "2 件のフィードを DIR/out.xml に書き出しました。\n"
               "OPMLには有効・無効の区別がないため、無効のフィードも含まれます。";
        QTest::newRow("extension added")
            << "フィード"
            << "フィード.opml"
            << "2 件のフィードを DIR/フィード.opml に書き出しました。\n"
               "OPMLには有効・無効の区別がないため、無効のフィードも含まれます。";
        QTest::newRow("no such folder") << "none/out.opml"
                                        << ""
                                        << "DIR/none/out.opml に書き出せませんでした（フォルダがあ"
                                           "りません）。";
    }
    void feedExport() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QString, message);
        QTemporaryDir dir;
        FormOption form(*session_);
        // What is written is the list being edited, not the stored one.
        Click(form, "CommandFeedRemove");
        bool asked = false;
        form.ChooseSaveFile = [&](const QString& title, const QString& file, const QString&) {
            asked = title == "OPMLに書き出す" && file.endsWith(".opml");
            return dir.filePath(chosen);
        };
        Click(form, "CommandFeedExport");
        QVERIFY(asked);
        QCOMPARE(prompt_.boxes.size(), 1);
        QCOMPARE(prompt_.boxes.at(0).text, QString(message).replace("DIR", dir.path()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 written.isEmpty() ? QStringList() : QStringList{written});
        if (written.isEmpty())
            return;
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        FeedList expected = kFeeds.mid(1);
        expected[0].Enabled = true;
        QCOMPARE(Opml::ReadOpml(file.readAll(), &error), expected);
        QCOMPARE(error, QString());
    }

    // "取得テスト" shows what the reader found for the selected feed, or why not.
    void feedTest_data() {
        QTest::addColumn<bool>("wired");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("label");
        QTest::newRow("fetched") << true << true << 12 << "12 件の記事。最新: 日銀 <金利> & 円";
        QTest::newRow("empty feed") << true << true << 0 << "0 件の記事。";
        QTest::newRow("failed") << true << false << 0 << "取得できませんでした（HTTP 404）";
        QTest::newRow("no reader")
            << false << false << 0
            << "取得テストは使えません（フィードの読み込みが組み込まれていません）。";
    }
    void feedTest() {
        QFETCH(bool, wired);
        QFETCH(bool, ok);
        QFETCH(int, items);
        QFETCH(QString, label);
        FormOption form(*session_);
        QStringList fetched;
        if (wired) {
            form.TestFeed = [&](const QString& url) {
                fetched << url;
                // While it fetches the dialog takes no other command.
                if (form.isEnabled())
                    fetched << "enabled";
                return FeedTestResult{ok, items, items ? "日銀 <金利> & 円" : "", "HTTP 404"};
            };
        }
        Grid(form)->selectRow(2);
        Click(form, "CommandFeedTest");
        QCOMPARE(fetched, wired ? QStringList{kFeeds.at(2).Url} : QStringList());
        QCOMPARE(FeedTestText(form), label);
        QVERIFY(form.isEnabled());
        // Another feed chosen: the result no longer applies.
        Grid(form)->selectRow(0);
        QCOMPARE(FeedTestText(form), QString());
    }

    // The program's feed reader against a server that never answers: after a moment 中止 shows
    // in a window that takes clicks while the dialog does not, and it stops the download then and
    // there, well before the reader's own time-out; the dialog says so and is usable again.
    void feedTestStopped() {
        FeedsimProcess feedsim;
        QVERIFY(feedsim.Start({"--frozen"}));
        session_->settings.Feeds[1].Url =
            feedsim.Portal() + QStringLiteral("/feeds/rss2/reu.xml?fault=hang");
        FormOption form(*session_);
        form.UseFeedReader(QString());
        form.show();
        bool progressUsable = false;
        QString said;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            QProgressDialog* progress = form.FeedTestProgress();
            if (!progress || !progress->isVisible())
                return;
            watcher.stop();
            progressUsable = progress->isEnabled() && !form.isEnabled();
            said = progress->labelText();
            progress->findChild<QPushButton*>()->click();
        });
        watcher.start(20);
        Grid(form)->selectRow(1);
        QElapsedTimer took;
        took.start();
        Click(form, "CommandFeedTest");
        QVERIFY(progressUsable);
        QCOMPARE(said, kFeeds.at(1).Name + " を取得しています…");
        QCOMPARE(FeedTestText(form), QString("取得テストを中止しました。"));
        // The reader gives a feed ten seconds.
        QVERIFY2(took.elapsed() < 10000, "the download ran on to its time-out");
        QVERIFY(form.isEnabled());
        QVERIFY(!form.FeedTestProgress());
    }
};

QTEST_MAIN(TestFormOption)
#include "tst_formoption.moc"
