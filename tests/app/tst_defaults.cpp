#include "app/AppData.h"
#include "app/Defaults.h"
#include "parsers/ParseSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDefaults : public QObject {
    Q_OBJECT
    QTemporaryDir bundled_;

private slots:
    void initTestCase() {
        Write(bundled_.filePath("a.txt"), "決算\n");
        Write(bundled_.filePath("b.txt"), "速報\n");
    }

    // What the user's NewsWord folder holds before the start: "-" no folder at all, a name
    // ending in "/" a subfolder, any other name a file of the user's.
    void copiesOnlyWhereNoFileIs_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("copied");
        const QStringList both{"a.txt", "b.txt"};
        QTest::newRow("no folder") << QStringList{"-"} << both;
        QTest::newRow("empty folder") << QStringList{} << both;
        QTest::newRow("only a subfolder") << QStringList{"old/"} << both;
        QTest::newRow("a file of the user's") << QStringList{"mine.txt"} << QStringList{};
        QTest::newRow("the user's own list") << QStringList{"a.txt"} << QStringList{};
        QTest::newRow("a hidden file") << QStringList{".keep"} << QStringList{};
    }
    void copiesOnlyWhereNoFileIs() {
        QFETCH(QStringList, present);
        QFETCH(QStringList, copied);
        QTemporaryDir data;
        const QString target = data.filePath("NewsWord");
        QStringList userFiles;
        if (present != QStringList{"-"}) {
            QVERIFY(QDir().mkpath(target));
            for (const QString& name : present) {
                if (name.endsWith('/')) {
                    QVERIFY(QDir(target).mkpath(name));
                } else {
                    Write(target + "/" + name, "user\n");
                    userFiles << name;
                }
            }
        }
        QCOMPARE(Program::InstallDefaultWordLists(bundled_.path(), target), copied);
        for (const QString& name : copied)
            QCOMPARE(Read(target + "/" + name), Read(bundled_.filePath(name)));
        for (const QString& name : userFiles)
            QCOMPARE(Read(target + "/" + name), QByteArray("user\n"));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(),
                 copied.size() + userFiles.size());
    }

    void missingBundleCopiesNothing() {
        QTemporaryDir data;
        const QString target = data.filePath("NewsWord");
        QVERIFY(Program::InstallDefaultWordLists(QString(), target).isEmpty());
        QVERIFY(Program::InstallDefaultWordLists(data.filePath("nowhere"), target).isEmpty());
        QVERIFY(!QDir(target).exists());
    }

    // The lists that ship with the program load under the names the parser reads, as UTF-8
    // with LF line ends and without an empty entry (an empty header word would match titles
    // that begin with a separator).
    void shippedListsLoad() {
        QTemporaryDir data;
        Common::SetAppDataFolder(data.path());
        const QString shipped = QStringLiteral(TW_TEST_DATA "/../../resources/NewsWord");
        const QStringList names =
            Program::InstallDefaultWordLists(shipped, data.filePath("NewsWord"));
        QCOMPARE(names.size(), 5);
        for (const QString& name : names) {
            const QByteArray bytes = Read(data.filePath("NewsWord/" + name));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(bytes);
            QVERIFY2(!utf8.hasError() && !text.contains('\r') && text.endsWith('\n') &&
                         !text.contains("\n\n"),
                     qPrintable(name));
        }
        Yahoo::ResetWordLists();
        const Yahoo::detail::WordLists& lists = Yahoo::detail::EnsureWordLists();
        for (const Common::StrArray* list :
             {&lists.HeaderWords, &lists.FooterWords, &lists.HeaderPatterns, &lists.FooterPatterns,
              &lists.BracketWords}) {
            QVERIFY(list->has_value() && !(*list)->isEmpty());
            for (const QString& word : **list)
                QVERIFY2(!word.isEmpty() && word.trimmed() == word, qPrintable(word));
        }
        Yahoo::ResetWordLists();
    }
};

QTEST_GUILESS_MAIN(TestDefaults)
#include "tst_defaults.moc"
