#include "RecordingPrompt.h"
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
    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray ReadBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() {
        prompt_.boxes.clear();
        prompt_.answer = Ports::MsgAnswer::Ok;
        prompt_.endCalls = 0;
        Ports::SetPrompt(&prompt_);
    }
    void cleanup() { Ports::SetPrompt(nullptr); }

    void pathParts_data() {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("pathBase");
        QTest::newRow("two dots") << "/a/b.c.txt"
                                  << "b.c.txt"
                                  << "b.c"
                                  << "txt"
                                  << "/a"
                                  << "a"
                                  << "/a/b.c";
        QTest::newRow("bare name") << "b.txt"
                                   << "b.txt"
                                   << "b"
                                   << "txt"
                                   << ""
                                   << "b.txt"
                                   << "b";
        QTest::newRow("no extension") << "/x/y/readme"
                                      << "readme"
                                      << "readme"
                                      << ""
                                      << "/x/y"
                                      << "y"
                                      << "/x/y/readme";
        QTest::newRow("trailing slash") << "/x/y/"
                                        << ""
                                        << ""
                                        << ""
                                        << "/x/y"
                                        << "y"
                                        << "/x/y/";
        QTest::newRow("dot in folder only") << "/x.d/y"
                                            << "y"
                                            << "y"
                                            << ""
                                            << "/x.d"
                                            << "x.d"
                                            << "/x.d/y";
        QTest::newRow("file in root") << "/f.ini"
                                      << "f.ini"
                                      << "f"
                                      << "ini"
                                      << ""
                                      << ""
                                      << "/f";
    }
    void pathParts() {
        QFETCH(QString, full);
        QFETCH(QString, name);
        QFETCH(QString, base);
        QFETCH(QString, ext);
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, pathBase);
        clsFile f;
        QCOMPARE(f.Name(full), name);
        QCOMPARE(f.Full(), full);
        // The rest read the stored path.
        QCOMPARE(f.Base(), base);
        QCOMPARE(f.Ext(), ext);
        QCOMPARE(f.Path(), path);
        QCOMPARE(f.ParentPath(), path);
        QCOMPARE(f.Parent(), parent);
        QCOMPARE(f.PathBase(), pathBase);
        QCOMPARE(f.Full(), full);
    }

    void pathAppFallsBackToProgramFolder() {
        clsFile f;
        QCOMPARE(f.PathApp("alone.txt"), QCoreApplication::applicationDirPath());
        QCOMPARE(f.PathApp("/opt/t/alone.txt"), QString("/opt/t"));
    }

    void openReadTextModeSkipsToStartLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("crlf line 3") << QByteArray("one\r\ntwo\r\nthree\r\nfour\r\n") << 3
                                     << QByteArray("three\r\nfour\r\n");
        QTest::newRow("lf line 3") << QByteArray("one\ntwo\nthree\n") << 3 << QByteArray("three\n");
        QTest::newRow("cr line 2") << QByteArray("one\rtwo\r") << 2 << QByteArray("two\r");
        QTest::newRow("line 1") << QByteArray("one\r\n") << 1 << QByteArray("one\r\n");
        QTest::newRow("past end") << QByteArray("one\r\n") << 5 << QByteArray();
    }
    void openReadTextModeSkipsToStartLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, startLine);
        QFETCH(QByteArray, rest);
        WriteBytes(At("lines.txt"), bytes);
        clsFile f;
        const int n = f.OpenRead(At("lines.txt"), 1, startLine);
        QVERIFY(n > 0);
        QCOMPARE(f.File(n)->readAll(), rest);
        f.Close(n);
        QVERIFY(f.File(n) == nullptr);
    }

    void fileNumbersAreSmallAndReused() {
        WriteBytes(At("n.txt"), "x");
        clsFile f;
        const int a = f.OpenRead(At("n.txt"), 0);
        const int b = f.OpenRead(At("n.txt"), 0);
        QCOMPARE(a, 1);
        QCOMPARE(b, 2);
        f.Close(a);
        QCOMPARE(f.OpenAppend(At("other.txt")), 1);
        QVERIFY(prompt_.boxes.isEmpty());
    }

    void writeModes() {
        const QString p = At("modes.bin");
        WriteBytes(p, "abcdef");
        clsFile f;
        int n = f.OpenWrite(p, 0);
        f.File(n)->write("XY");
        f.Close(n);
        QCOMPARE(ReadBytes(p), QByteArray("XYcdef")); // binary keeps the rest
        n = f.OpenWrite(p, 1);
        f.File(n)->write("t");
        f.Close(n);
        QCOMPARE(ReadBytes(p), QByteArray("t")); // text output starts empty
        n = f.OpenAppend(p);
        f.File(n)->write("u");
        f.Close(n);
        QCOMPARE(ReadBytes(p), QByteArray("tu"));
        n = f.OpenWrite(p, 0, true);
        f.File(n)->write("v");
        f.Close(n);
        QCOMPARE(ReadBytes(p), QByteArray("v")); // deleted first
    }

    void openErrors_data() {
        QTest::addColumn<int>("kind"); // 0 read, 1 write, 2 append
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("holdOpen");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("write, missing folder")
            << 1 << "nofolder/x.txt" << false << " のパスが見つからないです。「書き込み時」";
        QTest::newRow("append, missing folder")
            << 2 << "nofolder/x.txt" << false << " のパスが見つからないです。「書き込み時」";
        QTest::newRow("read, missing file") << 0 << "absent.txt" << false << "!(53)";
        QTest::newRow("write, already open")
            << 1 << "held.txt" << true << " は、既に開かれています。";
        QTest::newRow("read, open for writing")
            << 0 << "held.txt" << true << " は、既に開かれています。";
    }
    void openErrors() {
        QFETCH(int, kind);
        QFETCH(QString, relative);
        QFETCH(bool, holdOpen);
        QFETCH(QString, suffix);
        const QString p = At(relative);
        clsFile f;
        if (holdOpen) {
            QVERIFY(f.OpenWrite(p, 1) > 0);
        }
        const int n = kind == 0   ? f.OpenRead(p, 1)
                      : kind == 1 ? f.OpenWrite(p, 1)
                                  : f.OpenAppend(p);
        QCOMPARE(n, 0);
        QCOMPARE(prompt_.boxes.size(), 1);
        const auto& box = prompt_.boxes.first();
        if (suffix.startsWith("!(")) {
            QCOMPARE(box.text, "#System Error for Write " + p + suffix);
        } else {
            QCOMPARE(box.text, p + suffix);
        }
        QCOMPARE(box.icon, Ports::MsgIcon::Critical);
        QCOMPARE(box.buttons, Ports::MsgButtons::OkCancel);
        QCOMPARE(prompt_.endCalls, 0);
    }

    void cancelOnOpenErrorEndsProgram() {
        prompt_.answer = Ports::MsgAnswer::Cancel;
        clsFile f;
        QCOMPARE(f.OpenWrite(At("missing/dir/x.txt"), 1), 0);
        QCOMPARE(prompt_.endCalls, 1);
    }

    void readToken_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<bool>("skipComments");
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<QStringList>("expected");
        const QByteArray text("//head\r\n\r\n //kept\r\nword\r\n\r\nlast\r\n");
        QTest::newRow("keep all") << text << 1 << false << false
                                  << QStringList{"//head", "", " //kept", "word", "", "last"};
        QTest::newRow("both flags")
            << text << 1 << true << true << QStringList{" //kept", "word", "last"};
        QTest::newRow("comments only")
            << text << 1 << true << false << QStringList{"", " //kept", "word", "", "last"};
        QTest::newRow("from line 4")
            << text << 4 << false << false << QStringList{"word", "", "last"};
        QTest::newRow("lf and cr mixed")
            << QByteArray("a\nb\rc") << 1 << false << false << QStringList{"a", "b", "c"};
        QTest::newRow("bom dropped")
            << QByteArray("\xEF\xBB\xBFx\r\n") << 1 << false << false << QStringList{"x"};
        QTest::newRow("cp932") << QByteArray("\x93\xFA\x96\x7B\r\nA") << 1 << false << false
                               << QStringList{QString::fromUtf8("日本"), "A"};
    }
    void readToken() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, startLine);
        QFETCH(bool, skipComments);
        QFETCH(bool, skipEmpty);
        QFETCH(QStringList, expected);
        WriteBytes(At("token.txt"), bytes);
        clsFile f;
        const Common::StrArray lines =
            f.OpenReadToken(At("token.txt"), startLine, skipComments, skipEmpty);
        QVERIFY(lines.has_value());
        QCOMPARE(*lines, expected);
        QVERIFY(f.File(1) == nullptr); // closed again
    }

    void readTokenEmptyResults() {
        WriteBytes(At("comments.txt"), "//a\r\n\r\n");
        clsFile f;
        QVERIFY(!f.OpenReadToken(At("comments.txt"), 1, true, true).has_value());
        QVERIFY(prompt_.boxes.isEmpty());
        QVERIFY(!f.OpenReadToken(At("none.txt"), 1, false, false).has_value());
        QCOMPARE(prompt_.boxes.size(), 1);
    }

    void writeStringReplacesWholeFile() {
        const QString p = At("out.txt");
        WriteBytes(p, "old content that is longer");
        clsFile f;
        QVERIFY(f.OpenWriteString(p, QString::fromUtf8("新しい\r\n")));
        QCOMPARE(ReadBytes(p), QString::fromUtf8("新しい\r\n").toUtf8());
        QVERIFY(!f.OpenWriteString(At("no/such/out.txt"), "x"));
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
        // An existing folder is left alone without a word.
        f.MakeFolder(At("t/u"));
        QCOMPARE(prompt_.boxes.size(), 2);
    }

    void makeFolderQuietByDefault() {
        clsFile f;
        f.MakeFolder(At("q/r"));
        QVERIFY(QFileInfo(At("q/r")).isDir());
        QVERIFY(prompt_.boxes.isEmpty());
    }

    void existence() {
        clsFile f;
        QVERIFY(!f.Existence());
        QVERIFY(f.Existence(dir_.path()));
        QVERIFY(!f.Existence(At("nothing")));
        f.SetFull(dir_.path());
        QVERIFY(f.Existence());
    }
};

QTEST_GUILESS_MAIN(TestClsFile)
#include "tst_clsfile.moc"
