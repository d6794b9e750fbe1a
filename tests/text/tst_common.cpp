#include "text/Common.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <limits>

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
    {"start missing", "abc", "<a>", "c", 1, "", 0},
    {"empty end marker", "ab<a>cdef", "<a>", "", 1, "cdef", 10},
    {"empty start marker", "abc=def;", "", ";", 5, "def", 9},
    {"same marker", "<x<", "<", "<", 1, "x", 4},
    {"japanese", "時刻：9:05（日）", "：", "（", 1, "9:05", 9},
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
    {"second", "a(b)c(d)e", "(", ")", 1, 1, "a(b)ce"},
    {"from a position", "a(b)c(d)e", "(", ")", -1, 5, "a(b)ce"},
    {"unterminated, all", "a(b)c(d", "(", ")", -1, 1, "ac"},
    {"unterminated chosen", "a(b)c(d", "(", ")", 1, 1, "a(b)c"},
    {"unterminated not chosen", "a(b)c(d", "(", ")", 0, 1, "ac(d"},
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
    {"no delimiter", "  abc  ", ",;", "", "[abc]"},
    {"empty text", "", ",", "", "[]"},
    {"simple: run is one", "a,,b", ",", "", "[a][b]"},
    {"simple: keep", "a,,b,c", ",", "k", "[a][,][b][,][c]"},
    {"char: empty field", "a,,b", ",;", "", "[a][][b]"},
    {"char: merge drops", "a,,b", ",;", "m", "[a][b]"},
    {"char: keep", "a,,b", ",;", "k", "[a][,][,][b]"},
    {"char: keep merge", "a,;b", ",;", "km", "[a][,;][b]"},
    {"char: leading kept", ",,a", ",;", "l", "[][][a]"},
    {"char: trailing", "a,", ",;", "l", "[a]"},
    {"char: nothing made", ";", ",;", "", "-"},
    {"char: trim", " a ; b ", ",;", "t", "[a][b]"},
    {"expression", "A & (B|C)", "()&|", "kt", "[A][&][(][B][|][C][)]"},
    {"from a position", "ab,cd", ",;", "", "[cd]", {}, {}, 4},
    {"quoted delimiter", "a,\"b,c\",d", ",", "", "[a][\"b,c\"][d]", "\"", "\""},
    {"quote joins its token", "x\"a,b\"y,z", ",", "", "[x\"a,b\"y][z]", "\"", "\""},
    {"nested", "f(a,(b,c)),g", ",", "", "[f(a,(b,c))][g]", "(", ")"},
    {"unterminated quote", "a,\"b,c", ",", "", "[a][\"b,c]", "\"", "\""},
    {"opening char is a delimiter", "a(b", "(", "", "[a][b]", "(", ")"},
};

struct LikeRow {
    const char* name;
    QString text, pattern;
    bool expected;
};
const LikeRow likeRows[] = {
    {"exact", "abc", "abc", true},
    {"case", "ABC", "abc", false},
    {"star on empty", "", "*", true},
    {"backtrack", "abcabd", "*ab?", true},
    {"backtrack fails", "abcab", "*ab?", false},
    {"question needs one", "", "?", false},
    {"surrogate pair", "\U0001F600", "?", true},
    {"digit", "a1", "a#", true},
    {"full-width digit", "１", "#", false},
    {"class", "y", "[xyz]", true},
    {"negated out", "d", "[!a-c]", true},
    {"negated in", "b", "[!a-c]", false},
    {"range case", "B", "[a-z]", false},
    {"dash literal", "-", "[a-]", true},
    {"bang alone", "!", "[!]", true},
    {"quoted star is no star", "a", "[*]", false},
    {"quoted hash is no digit", "5", "[#]", false},
    {"unclosed bracket", "a[", "a[", true},
    {"empty class", "ab", "a[]b", true},
    {"kana range", "カ", "[ア-ン]", true},
    {"headline", "決算短信☆差替", "*☆差替", true},
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

    // Every helper that takes a position or a marker, fed ones that point nowhere.
    void hostilePositions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("marker");
        const qsizetype huge = std::numeric_limits<qsizetype>::max() / 2;
        for (const QString text : {"", "a<b", "<<<"})
            for (const qsizetype p : {qsizetype(-9), qsizetype(0), qsizetype(1), qsizetype(3),
                                      qsizetype(4), qsizetype(100), huge})
                for (const QString m : {"", "<", "zz", "a<b<c"})
                    QTest::addRow("'%s' @%lld '%s'", qPrintable(text), qlonglong(p), qPrintable(m))
                        << text << p << m;
    }
    void hostilePositions() {
        QFETCH(QString, text);
        QFETCH(qsizetype, position);
        QFETCH(QString, marker);
        const qsizetype n = text.size();
        auto inside = [&text](const QString& s) { return s.isEmpty() || text.contains(s); };
        for (const QString& end : {QString(), marker, QStringLiteral("b")}) {
            qsizetype p = position;
            QVERIFY(inside(Common::CutOut(p, text, marker, end)));
            QVERIFY(p == position || (p >= 0 && p <= n + 1));
            if (!marker.isEmpty() && position > n)
                QCOMPARE(p, qsizetype(0));
            p = position;
            QVERIFY(Common::RemoveBetween(text, marker, end, -1, p).size() <= n);
            QVERIFY(p >= 0 && p <= n + 1);
            QVERIFY(inside(Common::GetBetween(text, marker, end, 2, position)));
        }
        qsizetype length = -7;
        int index = -7;
        const qsizetype hit =
            Common::FindFirstOf(position, text, marker + u',' + marker, length, index);
        QVERIFY(hit >= 0 && hit <= n);
        QCOMPARE(length, hit == 0 ? 0 : marker.size());
        if (!marker.isEmpty())
            QVERIFY(Common::CountOccurrences(position, text, marker) <= qMax(n - position + 1, 0));
        const StrArray tokens =
            Common::SplitTokens(text, "<;", false, false, false, false, "\"", "\"", position);
        for (const QString& t : tokens.value_or(QStringList()))
            QVERIFY(inside(t));
    }

    void removeBetween_data() { AddRows(removeRows); }
    void removeBetween() {
        QFETCH(int, row);
        const RemoveRow& r = removeRows[row];
        qsizetype position = r.position;
        QCOMPARE(Common::RemoveBetween(r.text, r.start, r.end, r.occurrence, position), r.expected);
    }

    void getBetween() {
        QCOMPARE(Common::GetBetween("[a][bb][c]", "[", "]", 1), QStringLiteral("bb"));
        QCOMPARE(Common::GetBetween("[a][bb][c]", "[", "]", 0, 4), QStringLiteral("bb"));
        QCOMPARE(Common::GetBetween("[a][bb][c]", "[", "]", 3), QString());
        QCOMPARE(Common::GetBetween("'a''b'", "'", "'", 1), QStringLiteral("b"));
    }

    void decodeEntities() {
        QCOMPARE(Common::DecodeEntities("&quot;&amp;&lt;&gt;&nbsp;&#39;&copy;"),
                 QStringLiteral("\"&<> '(C)"));
        // Doubly escaped: "&amp;" first, so "&amp;lt;" ends as "<" but "&amp;quot;" does not.
        QCOMPARE(Common::DecodeEntities("a&amp;lt;b&amp;quot;&amp;amp;"),
                 QStringLiteral("a<b&quot;&amp;"));
        QCOMPARE(Common::DecodeEntities("&#38;&#60;&#x3C;&#039;&AMP;"),
                 QStringLiteral("&#38;&#60;&#x3C;&#039;&AMP;"));
        QCOMPARE(Common::DecodeEntities("9\u301C10時"), QStringLiteral("9\uFF5E10時"));
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

    void getToken() {
        QCOMPARE(Common::GetToken("a;;c", ";|", 2, false), QStringLiteral("c"));
        QCOMPARE(Common::GetToken("a; b ;c", ";|", 1, false), QStringLiteral(" b "));
        QCOMPARE(Common::GetToken("a; b ;c", ";|", 1, true), QStringLiteral("b"));
        QCOMPARE(Common::GetToken("a;b", ";|", 2, false), QString());
    }

    void findFirstOf() {
        qsizetype length = 0;
        int index = 0;
        QCOMPARE(Common::FindFirstOf(1, "a HREF=\"x\" href=", "href=\",HREF=\"", length, index),
                 qsizetype(3));
        QCOMPARE(std::pair(length, index), std::pair(qsizetype(6), 1));
        // Ties stay with the earlier item.
        QCOMPARE(Common::FindFirstOf(1, "abc", "ab,a", length, index), qsizetype(1));
        QCOMPARE(std::pair(length, index), std::pair(qsizetype(2), 0));
        QCOMPARE(Common::FindFirstOf(2, "ab ab", "x,ab", length, index), qsizetype(4));
        QCOMPARE(Common::FindFirstOf(1, "abc", "x,y", length, index), qsizetype(0));
        QCOMPARE(std::pair(length, index), std::pair(qsizetype(0), -1));
    }

    void smallHelpers() {
        QCOMPARE(Common::CountOccurrences(1, "aaaa", "aa"), qint16(2));
        QCOMPARE(Common::CountCharsOf("AbcAb", "aB"), qint16(4));
        QCOMPARE(Common::ReplaceList("ab-a", "ab|b|a", "b|x|y", "|"), QStringLiteral("x-y"));
        QCOMPARE(Common::Trim(" \t\u3000a "), QStringLiteral("\t\u3000a"));
        QCOMPARE(Common::TrimTabs(" \t a \t "), QStringLiteral(" a "));
        QCOMPARE(Common::Unquote("\"a\"\"b\""), QStringLiteral("a\"b"));
        QCOMPARE(Common::Unquote("\""), QString());
        QCOMPARE(Common::Unquote("\"a"), QStringLiteral("\"a"));
    }

    void arrays() {
        StrArray a;
        QVERIFY(!Common::IsStringArrayReady(a));
        QCOMPARE(Common::IndexOf(a, QString()), -1);
        QVERIFY(Common::IsArrayReady(QStringList{QString()}));
        QVERIFY(!Common::IsArrayReady(QStringList()));
        QVERIFY(Common::IsStringArrayReady(QStringList()));
        for (const char* s : {"a", "B", "c"})
            Common::AppendString(a, s);
        QCOMPARE(Common::IndexOf(a, "b"), -1);
        QCOMPARE(Common::IndexOf(a, "c"), 2);
        Common::RemoveAt(a, 1);
        Common::RemoveAt(a, 5);
        QCOMPARE(Show(a), QStringLiteral("[a][c]"));
        Common::RemoveAt(a, 0);
        Common::RemoveAt(a, 0);
        QVERIFY(!Common::IsStringArrayReady(a));
        QCOMPARE(Show(Common::SortStrings(QStringList{"b", "c", "a"}, Common::SortDescending)),
                 QStringLiteral("[c][b][a]"));
        QCOMPARE(Show(Common::SortStrings(std::nullopt, Common::SortAscending)), "-");
    }

    void indexOfLike() {
        const StrArray patterns = QStringList{"A*", "*B*", "####"};
        QCOMPARE(Common::IndexOfLike(patterns, "AB"), 0);
        QCOMPARE(Common::IndexOfLike(patterns, "xBy"), 1);
        QCOMPARE(Common::IndexOfLike(patterns, "2024"), 2);
        QCOMPARE(Common::IndexOfLike(patterns, "xyz"), -1);
        QCOMPARE(Common::IndexOfLike(std::nullopt, "AB"), -1);
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

    void sortOrder_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("expected");
        const QStringList mixed{"b", "a", "b", "a"};
        QTest::newRow("ascending") << mixed << Common::SortAscending << QList<int>{3, 1, 2, 0};
        QTest::newRow("descending") << mixed << Common::SortDescending << QList<int>{2, 0, 3, 1};
        QTest::newRow("other value ascends") << mixed << 0 << QList<int>{3, 1, 2, 0};
        QTest::newRow("case") << QStringList{"a", "B"} << Common::SortAscending << QList{1, 0};
    }
    void sortOrder() {
        QFETCH(QStringList, input);
        QFETCH(int, order);
        QFETCH(QList<int>, expected);
        QCOMPARE(Common::SortOrder(input, order), expected);
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
        Common::Pause(0, true, sleep);
        QVERIFY(ran);
    }

    void pauseHook() {
        g_pauses.clear();
        bool ran = false;
        QMetaObject::invokeMethod(
            this, [&ran] { ran = true; }, Qt::QueuedConnection);
        Common::SetPauseHook(&RecordPause);
        Common::Pause(3000, true, true);
        Common::Pause(1500, false, false);
        Common::SetPauseHook(nullptr);
        QVERIFY(!ran); // the hook replaces the whole wait, the yield included
        QCOMPARE(g_pauses,
                 (QList<std::tuple<int, bool, bool>>{{3000, true, true}, {1500, false, false}}));
        Common::Pause(0, true, false);
        QVERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
