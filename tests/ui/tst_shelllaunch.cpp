#include "RecordingPorts.h"

#include "app/SettingsState.h"
#include "ui/ArticleViewer.h"
#include "ui/ShellLaunch.h"
#include "web/clsWEB.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Stands in for the desktop's handler of web addresses.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestShellLaunch : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    RecordingPrompt prompt_;
    UrlRecorder urls_;

    // A program that writes its argument count and arguments, one a line, and then appears.
    QString WriteRecorder() {
        const QString script = dir_.filePath(QStringLiteral("browser with blank"));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        const QString out = dir_.filePath(QStringLiteral("args.txt"));
        file.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                .arg(out)
                .toUtf8());
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        QFile::remove(out);
        return script;
    }

    Program::SettingsState settings_;

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        prompt_ = RecordingPrompt();
        urls_.opened.clear();
        Ports::SetPrompt(&prompt_);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls_, "open");
        settings_ = Program::SettingsState();
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        Ports::SetPrompt(nullptr);
    }

    void externalBrowserGetsOneArgument_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("blanks") << QStringLiteral("http://127.0.0.1/a b  c?x=1&y=2");
        QTest::newRow("quote and dollar") << QStringLiteral("https://127.0.0.1/it's/$HOME;ls");
        QTest::newRow("japanese") << QStringLiteral("http://127.0.0.1/記事?q=株 価");
    }
    void externalBrowserGetsOneArgument() {
        QFETCH(QString, url);
        const QString browser = WriteRecorder();
        QVERIFY(!browser.isEmpty());
        settings_.BrowserPath = browser;
        clsWEB web;
        ArticleViewer viewer(nullptr, settings_, web);
        QVERIFY(viewer.OpenArticle(url));
        const QString out = dir_.filePath(QStringLiteral("args.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 2), (QStringList{"1", url}));
        // The viewer was left alone.
        QVERIFY(viewer.View() == nullptr && web.Browser() == nullptr);
        QVERIFY(prompt_.boxes.isEmpty());
    }

    void launchErrors_data() {
        QTest::addColumn<QString>("file"); // relative to the temporary folder
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("folder"); // relative; empty = none
        QTest::addColumn<QString>("message");
        const QString address = QStringLiteral("\"http://127.0.0.1/a\"");
        const QString missing = QStringLiteral("ファイルが見つかりません。");
        const QString noFolder = QStringLiteral("フォルダが見つかりません。");
        QTest::newRow("missing program") << "no-such-browser" << address << "" << missing;
        QTest::newRow("nothing named") << "" << address << "" << missing;
        QTest::newRow("missing program folder")
            << "no-such-dir/browser" << address << "" << noFolder;
        QTest::newRow("missing working folder") << "plain.txt"
                                                << ""
                                                << "no-such-dir" << noFolder;
        QTest::newRow("document given an address")
            << "plain.txt" << address << ""
            << QStringLiteral("プログラムではないので、引数を渡して起動できません。");
        QTest::newRow("document without the desktop's opener")
            << "plain.txt"
            << ""
            << ""
            << QStringLiteral("ファイルを開くための xdg-open が見つかりません"
                              "（xdg-utils パッケージに含まれています）。");
    }
    // The message names what the user asked to open and why it did not open, in Japanese.
    void launchErrors() {
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QFile plain(dir_.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = file.isEmpty() ? QString() : dir_.filePath(file);
        const QString where = folder.isEmpty() ? QString() : dir_.filePath(folder);
        // No program on the search path: xdg-open is missing for the row that opens a document.
        const QByteArray pathVariable = qgetenv("PATH");
        qputenv("PATH", dir_.filePath(QStringLiteral("no-programs")).toLocal8Bit());
        struct RestorePath {
            QByteArray value;
            ~RestorePath() { qputenv("PATH", value); }
        } restore{pathVariable};

        QVERIFY(!ShellLaunch::LaunchApplication_by_File(nullptr, path, parameters, where, false));
        QVERIFY(prompt_.boxes.isEmpty());
        QVERIFY(!ShellLaunch::LaunchApplication_by_File(nullptr, path, parameters, where, true));
        QCOMPARE(prompt_.boxes.size(), 1);
        const QString named = path.isEmpty() ? QStringLiteral("（名前なし）") : path;
        QCOMPARE(prompt_.boxes[0].text, named + QStringLiteral(" を開けません。") + message);
        QCOMPARE(prompt_.boxes[0].title, QString::fromUtf16(ShellLaunch::LaunchFailureTitle));
        QVERIFY(!prompt_.boxes[0].title.contains(QStringLiteral("_")));
        QCOMPARE(prompt_.boxes[0].icon, Ports::MsgIcon::Critical);
    }

    void addressesOpenWithDesktop_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("opened");
        QTest::newRow("address as the file") << "https://127.0.0.1/page.htm"
                                             << ""
                                             << "https://127.0.0.1/page.htm";
        QTest::newRow("Explorer with a quoted address") << "Explorer"
                                                        << "\"http://127.0.0.1/a?b=1\""
                                                        << "http://127.0.0.1/a?b=1";
    }
    void addressesOpenWithDesktop() {
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        QFETCH(QString, opened);
        QVERIFY(ShellLaunch::LaunchApplication_by_File(nullptr, file, parameters, QString(), true));
        QCOMPARE(urls_.opened, QList<QUrl>{QUrl(opened)});
        QVERIFY(prompt_.boxes.isEmpty());
    }
};

QTEST_MAIN(TestShellLaunch)
#include "tst_shelllaunch.moc"
