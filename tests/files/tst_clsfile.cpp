#include "FileBytes.h"
#include "RecordingPorts.h"
#include "files/clsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestClsFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    RecordingPrompt prompt_;

    QString At(const QString& relative) const { return dir_.path() + "/" + relative; }

private slots:
    void init() {
        prompt_ = RecordingPrompt();
        Ports::SetPrompt(&prompt_);
    }
    void cleanup() { Ports::SetPrompt(nullptr); }

    void pathParts_data() {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QStringList>("parts"); // Name Base Ext Path Parent PathBase
        QTest::newRow("two dots") << "/a/b.c.txt"
                                  << QStringList{"b.c.txt", "b.c", "txt", "/a", "a", "/a/b.c"};
        QTest::newRow("bare name") << "b.txt" << QStringList{"b.txt", "b", "txt", "", "b.txt", "b"};
        QTest::newRow("no extension")
            << "/x.d/readme" << QStringList{"readme", "readme", "", "/x.d", "x.d", "/x.d/readme"};
        QTest::newRow("trailing slash") << "/x/y/" << QStringList{"", "", "", "/x/y", "y", "/x/y/"};
    }
    void pathParts() {
        QFETCH(QString, full);
        QFETCH(QStringList, parts);
        clsFile f;
        QCOMPARE(f.Name(full), parts[0]);
        QCOMPARE((QStringList{f.Name(), f.Base(), f.Ext(), f.Path(), f.Parent(), f.PathBase()}),
                 parts);
        QCOMPARE(f.Full(), full);
        QCOMPARE(f.PathApp(), parts[3].isEmpty() && !full.contains('/')
                                  ? QCoreApplication::applicationDirPath()
                                  : parts[3]);
    }

    void openReadTextModeStartsAtLine() {
        for (const auto& [bytes, rest] :
             {std::pair<QByteArray, QByteArray>{"1\r\n2\r\n3\r\n4", "3\r\n4"}, {"1\r\n", ""}}) {
            WriteBytes(At("lines.txt"), bytes);
            clsFile f;
            const int n = f.OpenRead(At("lines.txt"), 1, 3);
            QCOMPARE(n, 1);
            QCOMPARE(f.File(n)->readAll(), rest);
            f.Close(n);
            QVERIFY(f.File(n) == nullptr);
        }
    }

    void openErrors_data() {
        QTest::addColumn<int>("kind"); // 0 read, 1 write
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("expected"); // "%1" is the path
        QTest::addColumn<bool>("cancel");      // the answer: Cancel ends the program
        QTest::newRow("write, missing folder")
            << 1 << "nofolder/x.txt" << QString("%1 のパスが見つからないです。「書き込み時」")
            << false;
        QTest::newRow("read, missing file")
            << 0 << "absent.txt" << QString("#System Error for Write %1!(53)") << false;
        QTest::newRow("write, already open")
            << 1 << "held.txt" << QString("%1 は、既に開かれています。") << false;
        QTest::newRow("cancelled")
            << 1 << "no/dir/x.txt" << QString("%1 のパスが見つからないです。「書き込み時」")
            << true;
    }
    void openErrors() {
        QFETCH(int, kind);
        QFETCH(QString, relative);
        QFETCH(QString, expected);
        QFETCH(bool, cancel);
        prompt_.answer = cancel ? Ports::MsgAnswer::Cancel : Ports::MsgAnswer::Ok;
        clsFile f;
        QCOMPARE(f.OpenWrite(At("held.txt"), 1), 1);
        const QString p = At(relative);
        QCOMPARE(kind == 0 ? f.OpenRead(p, 1) : f.OpenWrite(p, 1), 0);
        QCOMPARE(prompt_.boxes.size(), 1);
        QCOMPARE(prompt_.boxes[0].text, expected.arg(p));
        QCOMPARE(std::pair(prompt_.boxes[0].icon, prompt_.boxes[0].buttons),
                 std::pair(Ports::MsgIcon::Critical, Ports::MsgButtons::OkCancel));
        QCOMPARE(prompt_.endCalls, cancel ? 1 : 0);
    }

    void readToken_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<bool>("skip"); // comments and empty lines
        QTest::addColumn<QStringList>("expected");
        const QByteArray text("//head\r\n\r\n //kept\r\nword\r\n\r\nlast\r\n");
        QTest::newRow("keep all") << text << 1 << false
                                  << QStringList{"//head", "", " //kept", "word", "", "last"};
        QTest::newRow("skip both") << text << 1 << true << QStringList{" //kept", "word", "last"};
        QTest::newRow("from line 4") << text << 4 << false << QStringList{"word", "", "last"};
        QTest::newRow("cp932, no final line end") << QByteArray("\x93\xFA\x96\x7B\rA") << 1 << false
                                                  << QStringList{QString::fromUtf8("日本"), "A"};
    }
    void readToken() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, startLine);
        QFETCH(bool, skip);
        QFETCH(QStringList, expected);
        WriteBytes(At("token.txt"), bytes);
        clsFile f;
        const Common::StrArray lines = f.OpenReadToken(At("token.txt"), startLine, skip, skip);
        QVERIFY(lines.has_value());
        QCOMPARE(*lines, expected);
        QCOMPARE(f.OpenWrite(At("token.txt"), 1), 1); // the reader closed it
    }

    void readTokenNothingKept() {
        WriteBytes(At("comments.txt"), "//a\r\n\r\n");
        clsFile f;
        QVERIFY(!f.OpenReadToken(At("comments.txt"), 1, true, true).has_value());
        QVERIFY(!f.OpenReadToken(At("none.txt"), 1, false, false).has_value());
        QCOMPARE(prompt_.boxes.size(), 1);
    }

    void makeFolderCreatesParentsAndTells() {
        QVERIFY(QDir().mkdir(At("t")));
        clsFile f;
        f.ShowMessage = true;
        f.MakeFolder(At("t/u/v"));
        QVERIFY(QFileInfo(At("t/u/v")).isDir());
        QCOMPARE(prompt_.boxes.size(), 2);
        QCOMPARE(prompt_.boxes[0].text, "「 " + At("t/u") + " 」フォルダを作成しました。");
        QCOMPARE(prompt_.boxes[1].text, "「 " + At("t/u/v") + " 」フォルダを作成しました。");
        QCOMPARE(prompt_.boxes[1].icon, Ports::MsgIcon::Information);
        f.MakeFolder(At("t/u")); // exists: no word
        f.ShowMessage = false;
        f.MakeFolder(At("t/w"));
        QCOMPARE(prompt_.boxes.size(), 2);
        QVERIFY(f.Existence(At("t/w")));
        QVERIFY(!f.Existence(At("t/none")));
        QVERIFY(!clsFile().Existence());
    }
};

QTEST_GUILESS_MAIN(TestClsFile)
#include "tst_clsfile.moc"
