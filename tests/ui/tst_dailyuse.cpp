// What a user meets on the first day and every day after: the version page after an update, a
// failed fetch that says why, the empty table's hint, the tray menu, the CSV name, the options
// dialog's information and sound checks, Qt's own dialogs in Japanese.

#include "WindowFixture.h"

#include "app/AppData.h"
#include "app/Settings.h"
#include "app/SettingsState.h"
#include "app/Version.h"
#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "present/FailureReport.h"
#include "present/HeadlineTable.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "ui/Accessibility.h"
#include "ui/ArticleViewer.h"
#include "ui/CTray.h"
#include "ui/FormMain.h"
#include "ui/FormOption.h"
#include "ui/GridView.h"
#include "ui/LaunchUrl.h"
#include "ui/QtJapanese.h"
#include "ui/StatusPanels.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPorts.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using App::Command;
using App::Panel;

Q_DECLARE_METATYPE(News::CycleResult)

namespace {

void NoPause(int, bool, bool) {}

// Nothing listens here: every request is refused at once.
const QString kClosedHost = QStringLiteral("http://127.0.0.1:1");

struct Window : WindowFixture {
    Window() : WindowFixture(&NoPause) {
        session->settings.NewsHost = kClosedHost;
        session->settings.TdnetHost = kClosedHost;
    }
    void AddHeadlines(int count) {
        News::NewsStore& store = session->store;
        for (int i = 0; i < count; ++i) {
            const double posted = Dates::ToOle(QDateTime(QDate::currentDate(), QTime(9, i)));
            int at = store.FindInsertPosition(posted);
            store.InsertNewsItem(at, posted, News::SourceNames().at(0), QString(),
                                 QStringLiteral("見出し %1").arg(i),
                                 QStringLiteral("http://127.0.0.1:9/%1").arg(i), false, QString());
        }
        session->table.Fill();
    }
    TrayMenu* Menu() const { return qobject_cast<TrayMenu*>(form->Tray()->Menu()); }
};

News::CycleResult Failed(int tried, const QList<QPair<QString, QString>>& failures) {
    News::CycleResult result;
    result.ran = true;
    result.tried = tried;
    for (const auto& [name, reason] : failures)
        result.failed.append({name, reason});
    return result;
}

} // namespace

class TestDailyUse : public QObject {
    Q_OBJECT

private slots:
    // --- the version page at start ---

    void versionPageAtStart_data() {
        QTest::addColumn<QString>("lastVersion"); // "-" leaves the key out
        QTest::addColumn<bool>("everyStart");
        QTest::addColumn<bool>("shown");
        const QString current = Program::FullVersionText();
        QTest::newRow("first start ever") << "-" << false << true;
        QTest::newRow("after an update") << "0.9.9" << false << true;
        QTest::newRow("same version again") << current << false << false;
        QTest::newRow("same version, shown at every start") << current << true << true;
    }
    void versionPageAtStart() {
        QFETCH(QString, lastVersion);
        QFETCH(bool, everyStart);
        QFETCH(bool, shown);
        QTemporaryDir dir;
        Common::SetAppDataFolder(dir.path());
        Common::SetPauseHook(&NoPause);
        RecordingPrompt prompt;
        Ports::SetPrompt(&prompt);
        if (lastVersion != "-")
            Program::WriteIni("OPTION", "LAST VERSION", lastVersion);
        Program::WriteIni("OPTION", "SHOW VERSION AT START", everyStart ? "True" : "False");
        {
            Program::Session session;
            FormMain form(session, true);
            session.settings.Feeds.clear();
            QStringList opened;
            form.OpenAddressStep = [&](const QString& url, bool) {
                opened << url;
                return true;
            };
            QTest::qWait(50);
            QCOMPARE(opened,
                     shown ? QStringList{Launch::TopPageAddress(session.settings)} : QStringList());
            form.close();
        }
        // Seen now: the next start of this version stays quiet unless asked.
        QCOMPARE(Program::ReadIni("OPTION", "LAST VERSION", "-"), Program::FullVersionText());
        QCOMPARE(Program::ReadIni("OPTION", "SHOW VERSION AT START", "-"),
                 everyStart ? "True" : "False");
        Ports::SetPrompt(nullptr);
        Common::SetPauseHook(nullptr);
    }

    void bundledPagesAreTheProgramsOwn_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("bundled");
        const QString folder = BundledSiteFolder();
        QVERIFY(!folder.isEmpty());
        QTest::newRow("help page") << QUrl::fromLocalFile(folder + "/help.htm").toString() << true;
        QTest::newRow("version page")
            << QUrl::fromLocalFile(folder + "/version_0100.htm").toString() << true;
        QTest::newRow("out of the folder by ..")
            << QUrl::fromLocalFile(folder + "/../README.md").toString() << false;
        QTest::newRow("a folder named like it")
            << QUrl::fromLocalFile(folder + "-other/help.htm").toString() << false;
        QTest::newRow("web page") << "http://127.0.0.1/help.htm" << false;
    }
    void bundledPagesAreTheProgramsOwn() {
        QFETCH(QString, url);
        QFETCH(bool, bundled);
        QCOMPARE(IsBundledPage(url), bundled);
    }

    // --- a fetch that fails, and the empty table ---

    void failureWording_data() {
        QTest::addColumn<News::CycleResult>("result");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::newRow("nothing failed") << Failed(26, {}) << ""
                                        << "";
        QTest::newRow("one reason")
            << Failed(26, {{"A", "接続できません"}, {"B", "接続できません"}})
            << "26 件中 2 件の取得に失敗しました（接続できません）"
            << "A：接続できません\nB：接続できません";
        QTest::newRow("the most common reason leads")
            << Failed(
                   27,
                   {{"A", "サーバーの応答 404"}, {"B", "接続できません"}, {"C", "接続できません"}})
            << "27 件中 3 件の取得に失敗しました（接続できません ほか）"
            << "A：サーバーの応答 404\nB：接続できません\nC：接続できません";
        QTest::newRow("a tie names the first")
            << Failed(5, {{"A", "ページが空です"}, {"B", "接続できません"}})
            << "5 件中 2 件の取得に失敗しました（ページが空です ほか）"
            << "A：ページが空です\nB：接続できません";
        QTest::newRow("no reason given, cycle cut short")
            << Failed(1, {{"A", ""}, {"B", ""}})
            << "2 件中 2 件の取得に失敗しました（理由は不明です）"
            << "A：理由は不明です\nB：理由は不明です";
    }
    void failureWording() {
        QFETCH(News::CycleResult, result);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        const Present::FailureReport report = Present::ReportFailures(result);
        QCOMPARE(report.text, text);
        QCOMPARE(report.tip, tip);
    }

    void failedReloadSaysWhy() {
        Window w;
        w.form->show();
        GridView* grid = w.form->GridNews();
        // Nothing stored yet: the headers and the hint, not a blank window.
        QVERIFY(!grid->isHidden());
        QVERIFY(grid->ShowsEmptyHint());
        QCOMPARE(grid->accessibleDescription(),
                 QStringLiteral("リロード で今日のニュースを取得します"));

        w.form->TBar_ButtonClick(Command::Reload);
        StatusPanels* bar = w.form->SBar();
        const int sources = int(News::SourceNames().size());
        QCOMPARE(
            bar->text(Panel::Message),
            QStringLiteral("%1 件中 %1 件の取得に失敗しました（接続できません）").arg(sources));
        const QStringList tip = bar->tip(Panel::Message).split('\n');
        QCOMPARE(tip.size(), sources);
        QCOMPARE(tip.first(), News::SourceNames().first() + QStringLiteral("：接続できません"));
        QVERIFY(!grid->isHidden());
        QVERIFY(grid->ShowsEmptyHint());

        // Headlines end the hint; a cycle without failures takes the old tip away.
        w.AddHeadlines(3);
        QVERIFY(!grid->ShowsEmptyHint());
        QCOMPARE(grid->accessibleDescription(), Accessibility::Of("GridNews").description);
        News::CycleResult clean;
        clean.ran = true;
        emit w.form->Patrol().CycleFinished(clean);
        QVERIFY(bar->tip(Panel::Message).isEmpty());
    }

    // --- the tray menu ---

    // Showing the window and quitting from the menu are walked through in the black-box suite.
    void trayMenuTimerFollowsThePatrol() {
        Window w;
        w.form->show();
        TrayMenu* menu = w.Menu();
        QAction* timer = w.form->Action(Command::Timer);
        menu->Sync();
        QVERIFY(!menu->TimerEntry()->isChecked());
        menu->TimerEntry()->trigger();
        QTRY_VERIFY(timer->isChecked());
        QTRY_VERIFY(timer->isEnabled());
        menu->Sync();
        QVERIFY(menu->TimerEntry()->isChecked());
        QVERIFY(menu->TimerEntry()->isEnabled());
        // The patrol's first cycle ran and failed against the closed host: it said so.
        QVERIFY(w.form->SBar()->text(Panel::Message).contains("の取得に失敗しました"));

        menu->TimerEntry()->trigger();
        QTRY_VERIFY(!timer->isChecked());
        menu->Sync();
        QVERIFY(!menu->TimerEntry()->isChecked());

        // A command the window has locked is locked in the menu too.
        timer->setEnabled(false);
        w.form->Action(Command::Reload)->setEnabled(false);
        menu->Sync();
        QVERIFY(!menu->TimerEntry()->isEnabled());
        QVERIFY(!menu->ReloadEntry()->isEnabled());
    }

    // --- the CSV file's name ---

    void csvNameGetsItsExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "ニュース"
                                      << "ニュース.csv";
        QTest::newRow("ends in a dot") << "ニュース."
                                       << "ニュース.csv";
        QTest::newRow("csv already") << "list.csv"
                                     << "list.csv";
        QTest::newRow("another extension kept") << "list.txt"
                                                << "list.txt";
    }
    void csvNameGetsItsExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        Window w;
        w.AddHeadlines(3);
        const QString folder = w.dir.filePath("export");
        QVERIFY(QDir().mkpath(folder));
        w.form->SaveFileDialogStep = [&](const QString&, QString&) { return folder + "/" + typed; };
        w.form->TBar_ButtonMenuClick(App::MenuCommand::ExportCsv);
        const QString path = folder + "/" + written;
        QVERIFY(QFile::exists(path));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{written});
        QCOMPARE(w.prompt.boxes.size(), 1);
        QCOMPARE(w.prompt.boxes[0].text, path + " にニュースデータを出力しました。");
    }

    // --- the options dialog ---

    void optionsSpeakLinux() {
        Window w;
        w.session->settings.FontName = "No Such Font Family 4711";
        FormOption dialog(*w.session);
        // The sample names a font the system has: the one the table is really drawn in.
        const QString shown = dialog.findChild<QLabel*>("LabelFont")->text();
        QVERIFY2(QFontDatabase::families().contains(shown), qPrintable(shown));
        QCOMPARE(shown, QFontInfo(QFont("No Such Font Family 4711")).family());
        const QStringList sheet = dialog.DiagnosticSheet().split("\r\n");
        QVERIFY(sheet.value(0).startsWith("OS      ："));
        QVERIFY(sheet.value(1).startsWith("ブラウザエンジン：Qt WebEngine "));
        QVERIFY(sheet.contains("  実際　：" + shown));
        for (const QString& line : sheet)
            QVERIFY2(!line.startsWith("Windows") && !line.startsWith("IE "), qPrintable(line));
    }

    void versionAtEveryStartIsAnOption() {
        Window w;
        QVERIFY(!w.session->settings.ShowVersionAtStart);
        FormOption dialog(*w.session);
        auto* check = dialog.findChild<QCheckBox*>("CheckShowVersion");
        QVERIFY(check);
        QCOMPARE(check->text(), QStringLiteral("起動時にバージョン情報を表示"));
        QVERIFY(!check->accessibleDescription().isEmpty());
        QVERIFY(!dialog.findChild<QPushButton*>("CommandApply")->isEnabled());
        check->click();
        QVERIFY(dialog.findChild<QPushButton*>("CommandApply")->isEnabled());
        dialog.findChild<QPushButton*>("CommandOK")->click();
        QVERIFY(w.session->settings.ShowVersionAtStart);
    }

    void soundFileProblems_data() {
        QTest::addColumn<QString>("file"); // relative to a scratch folder; "" = none set
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says"); // "" = it plays
        QTest::newRow("none set") << "" << QByteArray() << "";
        QTest::newRow("a WAV file")
            << "alert.wav" << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) << "";
        QTest::newRow("missing file") << "gone.wav" << QByteArray() << " が見つかりません。";
        QTest::newRow("missing folder") << "nowhere/gone.wav" << QByteArray() << " のフォルダ ";
        QTest::newRow("not a WAV") << "tune.mp3" << QByteArray("ID3\x03\0\0\0\0\0\0", 10)
                                   << " は WAV 形式ではないため鳴らせません。";
        QTest::newRow("a folder") << "." << QByteArray() << " はフォルダです。";
    }
    void soundFileProblems() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        Window w;
        const QString path = file.isEmpty() ? QString() : w.dir.filePath(file);
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        FormOption dialog(*w.session);
        QStringList played;
        dialog.PlaySound = [&](const QString& f) { played << f; };
        dialog.findChild<QLineEdit*>("TextSound")->setText(path);
        dialog.findChild<QPushButton*>("CommandSoundPlay")->click();
        if (says.isEmpty()) {
            QVERIFY(w.prompt.boxes.isEmpty());
            QCOMPARE(played, QStringList{path});
            return;
        }
        QVERIFY(played.isEmpty());
        QCOMPARE(w.prompt.boxes.size(), 1);
        const QString text = w.prompt.boxes[0].text;
        // The message names the file the user chose and what is wrong with it.
        QVERIFY2(text.startsWith("サウンドファイル " + path), qPrintable(text));
        QVERIFY2(text.contains(says), qPrintable(text));

        // The alert of a cycle says the same in the status bar, after what it said before.
        w.form->SBar()->setText(Panel::Message, QStringLiteral("3 件の新着ニュースがあります！！"));
        w.form->WindowPorts()->PlaySound(path);
        const QString status = w.form->SBar()->text(Panel::Message);
        QVERIFY2(status.startsWith(
                     QStringLiteral("3 件の新着ニュースがあります！！　サウンドファイル ") + path),
                 qPrintable(status));
        QVERIFY2(status.contains(says), qPrintable(status));
    }

    // Last: the translation stays installed for the rest of the run.
    void qtDialogsSpeakJapanese() {
        QVERIFY2(QtJapanese::Install(*QCoreApplication::instance()),
                 "qtbase_ja.qm not found: is qt6-translations-l10n installed?");
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }
};

QTEST_MAIN(TestDailyUse)
#include "tst_dailyuse.moc"
