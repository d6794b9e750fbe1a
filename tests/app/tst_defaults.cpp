#include "FileBytes.h"
#include "app/AppData.h"
#include "app/Defaults.h"
#include "parsers/ParseSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

class TestDefaults : public QObject {
    Q_OBJECT
    QTemporaryDir bundled_;

private slots:
    void initTestCase() {
        WriteBytes(bundled_.filePath("a.txt"), "決算\n");
        WriteBytes(bundled_.filePath("b.txt"), "速報\n");
    }

    // What the NewsWord folder holds before the start: "-" no folder, "" nothing, a name
    // ending in "/" a subfolder, any other name a file of the user's.
    void copiesOnlyWhereNoFileIs_data() {
        QTest::addColumn<QString>("present");
        QTest::addColumn<QStringList>("copied");
        const QStringList both{"a.txt", "b.txt"};
        QTest::newRow("no folder") << "-" << both;
        QTest::newRow("empty folder") << "" << both;
        QTest::newRow("only a subfolder") << "old/" << both;
        QTest::newRow("a file of the user's") << "mine.txt" << QStringList{};
        QTest::newRow("the user's own list") << "a.txt" << QStringList{};
        QTest::newRow("a hidden file") << ".keep" << QStringList{};
    }
    void copiesOnlyWhereNoFileIs() {
        QFETCH(QString, present);
        QFETCH(QStringList, copied);
        QTemporaryDir data;
        const QString target = data.filePath("NewsWord");
        const bool userFile = present != "-" && !present.isEmpty() && !present.endsWith('/');
        if (present != "-")
            QVERIFY(QDir(target).mkpath(present.endsWith('/') ? present : "."));
        if (userFile)
            WriteBytes(target + "/" + present, "user\n");

        QCOMPARE(Program::InstallDefaultWordLists(bundled_.path(), target), copied);
        for (const QString& name : copied)
            QCOMPARE(ReadBytes(target + "/" + name), ReadBytes(bundled_.filePath(name)));
        if (userFile)
            QCOMPARE(ReadBytes(target + "/" + present), QByteArray("user\n"));
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(),
                 copied.size() + int(userFile));
    }

    // The shipped lists load under the names the parser reads, as UTF-8 with LF line ends and
    // no empty entry (an empty header word would catch every title that begins with "＝").
    void shippedListsLoad() {
        QTemporaryDir data;
        Common::SetAppDataFolder(data.path());
        const QString shipped = QStringLiteral(TW_TEST_DATA "/../../resources/NewsWord");
        const QStringList names =
            Program::InstallDefaultWordLists(shipped, data.filePath("NewsWord"));
        QCOMPARE(names.size(), 5);
        for (const QString& name : names) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(ReadBytes(data.filePath("NewsWord/" + name)));
            QVERIFY2(!utf8.hasError() && !text.contains('\r') && text.endsWith('\n'),
                     qPrintable(name));
        }
        Yahoo::WordLists words;
        const Yahoo::WordLists& lists = Yahoo::detail::EnsureWordLists(words);
        for (const Common::StrArray* list :
             {&lists.HeaderWords, &lists.FooterWords, &lists.HeaderPatterns, &lists.FooterPatterns,
              &lists.BracketWords}) {
            QVERIFY(list->has_value() && !(*list)->isEmpty());
            for (const QString& word : **list)
                QVERIFY2(!word.isEmpty() && word.trimmed() == word, qPrintable(word));
        }
    }
};

QTEST_GUILESS_MAIN(TestDefaults)
#include "tst_defaults.moc"
