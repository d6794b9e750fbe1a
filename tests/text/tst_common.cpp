#include "text/Common.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using Common::StrArray;

namespace {

// "[a][b]" for a dimensioned array, "-" for the undimensioned one: readable in failure output.
QString Show(const StrArray& array) {
    if (!array)
        return QStringLiteral("-");
    QString out;
    for (const QString& s : *array)
        out += u'[' + s + u']';
    return out;
}

// Rows live in plain tables; the data functions hand QtTest the row number.
template <typename Row, std::size_t N> void AddRows(const Row (&rows)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << int(i);
}

struct CutRow {
    const char* name;
    QString text, start, end;
    qsizetype position;
    QString expected;
    qsizetype after;
};
const CutRow cutRows[] = {
    {"found", "x<a>hi</a>y", "<a>", "</a>", 1, "hi", 11},
    {"end missing keeps start hit", "ab<a>cd", "<a>", "</a>", 1, "", 3},
    {"empty end marker", "ab<a>cdef", "<a>", "", 1, "cdef", 10},
    {"empty start marker", "abc=def;", "", ";", 5, "def", 9},
};

struct RemoveRow {
    const char* name;
    QString text, start, end;
    int occurrence;
    qsizetype position;
    QString expected;
};
const RemoveRow removeRows[] = {
    {"all", "a(b)c(d)e", "(", ")", -1, 1, "ace"},
    {"from a position", "a(b)c(d)e", "(", ")", -1, 5, "a(b)ce"},
    {"unterminated chosen", "a(b)c(d", "(", ")", 1, 1, "a(b)c"},
    {"same char both ends", "x'a'y'b'z", "'", "'", -1, 1, "xyz"},
};

struct SplitRow {
    const char* name;
    QString text, delimiters;
    const char* flags; // k keep, m merge, t trim, l keep leading empty
    QString expected, opening = {}, closing = {};
    qsizetype start = 1;
};
const SplitRow splitRows[] = {
    {"simple: run is one", "a,,b", ",", "", "[a][b]"},
    {"char: keep merge", "a,;b", ",;", "km", "[a][,;][b]"},
    {"char: leading kept", ",,a", ",;", "l", "[][][a]"},
    {"char: nothing made", ";", ",;", "", "-"},
    {"expression", "A & (B|C)", "()&|", "kt", "[A][&][(][B][|][C][)]"},
    {"from a position", "ab,cd", ",;", "", "[cd]", {}, {}, 4},
    {"quote joins its token", "x\"a,b\"y,z", ",", "", "[x\"a,b\"y][z]", "\"", "\""},
    {"nested", "f(a,(b,c)),g", ",", "", "[f(a,(b,c))][g]", "(", ")"},
};

struct LikeRow {
    const char* name;
    QString text, pattern;
    bool expected;
};
const LikeRow likeRows[] = {
    {"case", "ABC", "abc", false},
    {"backtrack", "abcabd", "*ab?", true},
    {"surrogate pair", "\U0001F600", "?", true},
    {"full-width digit", "１", "#", false},
    {"negated in", "b", "[!a-c]", false},
    {"bang alone", "!", "[!]", true},
    {"quoted star is no star", "a", "[*]", false},
    {"kana range", "カ", "[ア-ン]", true},
};

QList<std::tuple<int, bool, bool>> g_pauses;
void RecordPause(int ms, bool yieldFirst, bool sleep) {
    g_pauses.append({ms, yieldFirst, sleep});
}

} // namespace

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void cutOut_data() { AddRows(cutRows); }
    void cutOut() {
        QFETCH(int, row);
        const CutRow& r = cutRows[row];
        qsizetype position = r.position;
        QCOMPARE(Common::CutOut(position, r.text, r.start, r.end), r.expected);
        QCOMPARE(position, r.after);
    }

    void removeBetween_data() { AddRows(removeRows); }
    void removeBetween() {
        QFETCH(int, row);
        const RemoveRow& r = removeRows[row];
        qsizetype position = r.position;
        QCOMPARE(Common::RemoveBetween(r.text, r.start, r.end, r.occurrence, position), r.expected);
    }

    void splitTokens_data() { AddRows(splitRows); }
    void splitTokens() {
        QFETCH(int, row);
        const SplitRow& r = splitRows[row];
        const QString f = QString::fromLatin1(r.flags);
        QCOMPARE(Show(Common::SplitTokens(r.text, r.delimiters, f.contains(u'k'), f.contains(u'm'),
                                          f.contains(u't'), f.contains(u'l'), r.opening, r.closing,
                                          r.start)),
                 r.expected);
    }

    void splitTokensRoom() {
        QStringList parts;
        for (int i = 0; i < 3000; ++i)
            parts << QStringLiteral("x%1").arg(i);
        for (const QString delimiters : {",", ",;"}) {
            const StrArray tokens = Common::SplitTokens(parts.join(u','), delimiters);
            QCOMPARE(tokens.value_or(QStringList()).size(), qsizetype(Common::MaxTokens));
            QCOMPARE(tokens->last(), QStringLiteral("x2047"));
        }
    }

    void smallHelpers() {
        QCOMPARE(Common::GetBetween("[a][bb][c]", "[", "]", 0, 4), QStringLiteral("bb"));
        QCOMPARE(Common::GetBetween("'a''b'", "'", "'", 1), QStringLiteral("b"));
        QCOMPARE(Common::GetToken("a; b ;c", ";|", 1, true), QStringLiteral("b"));
        QCOMPARE(Common::GetToken("a;;c", ";|", 2, false), QStringLiteral("c"));
        QCOMPARE(Common::CountOccurrences(1, "aaaa", "aa"), qint16(2));
        QCOMPARE(Common::CountCharsOf("AbcAb", "aB"), qint16(4));
        QCOMPARE(Common::ReplaceList("ab-a", "ab|b|a", "b|x|y", "|"), QStringLiteral("x-y"));
        QCOMPARE(Common::Trim(" \t\u3000a "), QStringLiteral("\t\u3000a"));
        QCOMPARE(Common::TrimTabs(" \t a \t "), QStringLiteral(" a "));
        QCOMPARE(Common::Unquote("\"a\"\"b\""), QStringLiteral("a\"b"));
        QCOMPARE(Common::Unquote("\"a"), QStringLiteral("\"a"));
        // Doubly escaped: "&amp;" first, so "&amp;lt;" ends as "<" but "&amp;quot;" does not.
        QCOMPARE(Common::DecodeEntities("&quot;&lt;&nbsp;&#39;&copy;a&amp;lt;b&amp;quot;&amp;amp;"),
                 QStringLiteral("\"< '(C)a<b&quot;&amp;"));
        QCOMPARE(Common::DecodeEntities("&#38;&#x3C;&AMP;9\u301C10"),
                 QStringLiteral("&#38;&#x3C;&AMP;9\uFF5E10"));
    }

    void findFirstOf() {
        auto find = [](qsizetype from, const QString& text, const QString& list) {
            qsizetype length = -1;
            int index = -2;
            const qsizetype hit = Common::FindFirstOf(from, text, list, length, index);
            return QList<qsizetype>{hit, length, index};
        };
        QCOMPARE(find(1, "a HREF=\"x\" href=", "href=\",HREF=\""), (QList<qsizetype>{3, 6, 1}));
        // Ties stay with the earlier item.
        QCOMPARE(find(1, "abc", "ab,a"), (QList<qsizetype>{1, 2, 0}));
        QCOMPARE(find(1, "abc", "x,y"), (QList<qsizetype>{0, 0, -1}));
    }

    void arraysAndSorting() {
        StrArray a;
        for (const char* s : {"a", "B", "c"})
            Common::AppendString(a, s);
        QCOMPARE(Common::IndexOf(a, "b"), -1);
        QCOMPARE(Common::IndexOf(a, "c"), 2);
        Common::RemoveAt(a, 1);
        Common::RemoveAt(a, 5);
        QCOMPARE(Show(a), QStringLiteral("[a][c]"));
        Common::RemoveAt(a, 0);
        Common::RemoveAt(a, 0);
        QVERIFY(!Common::IsStringArrayReady(a)); // emptied: undimensioned again
        QCOMPARE(Common::IndexOfLike(QStringList{"A*", "*B*", "####"}, "2024"), 2);
        // Equal strings come out in reverse input order.
        const QStringList mixed{"b", "a", "b", "a"};
        QCOMPARE(Common::SortOrder(mixed, Common::SortAscending), (QList<int>{3, 1, 2, 0}));
        QCOMPARE(Common::SortOrder(mixed, Common::SortDescending), (QList<int>{2, 0, 3, 1}));
        QCOMPARE(Common::SortOrder(QStringList{"a", "B"}, Common::SortAscending), (QList{1, 0}));
        QCOMPARE(Show(Common::SortStrings(std::nullopt, Common::SortAscending)), "-");
    }

    void isLike_data() { AddRows(likeRows); }
    void isLike() {
        QFETCH(int, row);
        QCOMPARE(Common::IsLike(likeRows[row].text, likeRows[row].pattern), likeRows[row].expected);
    }

    // Exponential backtracking would run into the test's time-out here.
    void isLikeManyStars() {
        const QString text(20000, u'a');
        const QString stars = QStringLiteral("*a").repeated(40);
        QVERIFY(!Common::IsLike(text, stars + "*b"));
        QVERIFY(Common::IsLike(text + u'b', stars + "*b"));
    }

    void pause_data() {
        QTest::addColumn<bool>("sleep");
        QTest::newRow("loop kind") << false;
        QTest::newRow("sleep kind") << true;
    }
    void pause() {
        QFETCH(bool, sleep);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(5);
        QElapsedTimer clock;
        clock.start();
        Common::Pause(200, false, sleep);
        QVERIFY(clock.elapsed() >= 195);
        // A blocked thread gives 0; a loaded machine may skip ticks, so any tick will do.
        QVERIFY(ticks > 0);

        bool ran = false;
        QMetaObject::invokeMethod(
            this, [&ran] { ran = true; }, Qt::QueuedConnection);
        Common::Pause(-5, false, sleep);
        QVERIFY(!ran);
        // The hook replaces the whole wait, the yield included.
        g_pauses.clear();
        Common::SetPauseHook(&RecordPause);
        Common::Pause(3000, true, sleep);
        Common::SetPauseHook(nullptr);
        QVERIFY(!ran);
        QCOMPARE(g_pauses, (QList<std::tuple<int, bool, bool>>{{3000, true, sleep}}));
        Common::Pause(0, true, sleep);
        QVERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
