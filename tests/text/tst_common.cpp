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
        out += QLatin1Char('[') + s + QLatin1Char(']');
    return out;
}

QList<std::tuple<int, bool, bool>> g_pauses;
void RecordPause(int ms, bool yieldFirst, bool sleep) {
    g_pauses.append({ms, yieldFirst, sleep});
}

} // namespace

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void cutOut_data();
    void cutOut();
    void hostilePositions_data();
    void hostilePositions();
    void removeBetween_data();
    void removeBetween();
    void getBetween_data();
    void getBetween();
    void replaceList();
    void decodeEntities_data();
    void decodeEntities();
    void splitTokens_data();
    void splitTokens();
    void splitTokensRoom_data();
    void splitTokensRoom();
    void getToken_data();
    void getToken();
    void findFirstOf_data();
    void findFirstOf();
    void counting_data();
    void counting();
    void trimming_data();
    void trimming();
    void arrays();
    void indexOfLike_data();
    void indexOfLike();
    void isLike_data();
    void isLike();
    void isLikeManyStars();
    void sortOrder_data();
    void sortOrder();
    void sortStrings();
    void pauseKeepsEventsFlowing_data();
    void pauseKeepsEventsFlowing();
    void pauseYield();
    void pauseHook();
};

void TestCommon::cutOut_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qsizetype>("positionAfter");

    QTest::newRow("found") << "x<a>hi</a>y" << qsizetype(1) << "<a>"
                           << "</a>"
                           << "hi" << qsizetype(11);
    QTest::newRow("walk second span") << "<b>1</b><b>2</b>" << qsizetype(9) << "<b>"
                                      << "</b>"
                                      << "2" << qsizetype(17);
    QTest::newRow("end missing keeps start hit") << "ab<a>cd" << qsizetype(1) << "<a>"
                                                 << "</a>"
                                                 << "" << qsizetype(3);
    QTest::newRow("start missing") << "abc" << qsizetype(1) << "<a>"
                                   << "c"
                                   << "" << qsizetype(0);
    QTest::newRow("start only before position") << "<a>x</a>" << qsizetype(2) << "<a>"
                                                << "</a>"
                                                << "" << qsizetype(0);
    QTest::newRow("empty end marker") << "ab<a>cdef" << qsizetype(1) << "<a>"
                                      << ""
                                      << "cdef" << qsizetype(10);
    QTest::newRow("empty start marker") << "abc=def;" << qsizetype(5) << ""
                                        << ";"
                                        << "def" << qsizetype(9);
    QTest::newRow("empty start, end missing leaves position") << "abc" << qsizetype(2) << ""
                                                              << ";"
                                                              << "" << qsizetype(2);
    QTest::newRow("same marker both ends") << "<x<" << qsizetype(1) << "<"
                                           << "<"
                                           << "x" << qsizetype(4);
    QTest::newRow("adjacent markers") << "ab<a></a>" << qsizetype(1) << "<a>"
                                      << "</a>"
                                      << "" << qsizetype(10);
    QTest::newRow("japanese") << "時刻：9:05（日）" << qsizetype(1) << "："
                              << "（"
                              << "9:05" << qsizetype(9);
}

void TestCommon::cutOut() {
    QFETCH(QString, text);
    QFETCH(qsizetype, position);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QFETCH(qsizetype, positionAfter);
    QCOMPARE(Common::CutOut(position, text, start, end), expected);
    QCOMPARE(position, positionAfter);
}

// Every helper that takes a position or a marker, fed positions and markers that point nowhere.
void TestCommon::hostilePositions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<QString>("marker");

    const qsizetype huge = std::numeric_limits<qsizetype>::max() / 2;
    const QList<qsizetype> positions{-1000, -1, 0, 1, 2, 3, 4, 5, 100, huge};
    const QStringList texts{QString(), QStringLiteral("a<b"), QStringLiteral("<<<")};
    const QStringList markers{QString(), QStringLiteral("<"), QStringLiteral("zz"),
                              QStringLiteral("a<b<c")};
    for (const QString& text : texts)
        for (const qsizetype p : positions)
            for (const QString& m : markers)
                QTest::addRow("'%s' @%lld '%s'", qPrintable(text), qlonglong(p), qPrintable(m))
                    << text << p << m;
}

void TestCommon::hostilePositions() {
    QFETCH(QString, text);
    QFETCH(qsizetype, position);
    QFETCH(QString, marker);
    const qsizetype n = text.size();
    auto inside = [&text](const QString& piece) { return piece.isEmpty() || text.contains(piece); };

    for (const QString& end : {QString(), marker, QStringLiteral("b")}) {
        qsizetype p = position;
        const QString cut = Common::CutOut(p, text, marker, end);
        QVERIFY(inside(cut));
        QVERIFY(p == position || (p >= 0 && p <= n + 1));
        if (!marker.isEmpty() && position > n)
            QCOMPARE(p, qsizetype(0));

        p = position;
        const QString removed = Common::RemoveBetween(text, marker, end, -1, p);
        QVERIFY(removed.size() <= n);
        QVERIFY(p >= 0 && p <= n + 1);

        QVERIFY(inside(Common::GetBetween(text, marker, end, 0, position)));
        QVERIFY(inside(Common::GetBetween(text, marker, end, 2, position)));
    }

    qsizetype length = -7;
    int index = -7;
    const qsizetype hit =
        Common::FindFirstOf(position, text, marker + QLatin1Char(',') + marker, length, index);
    QVERIFY(hit >= 0 && hit <= n);
    QCOMPARE(hit == 0, index == -1);
    QCOMPARE(length, hit == 0 ? 0 : marker.size());

    if (!marker.isEmpty()) {
        const qint16 count = Common::CountOccurrences(position, text, marker);
        QVERIFY(count >= 0 && count <= n);
        if (position > n)
            QCOMPARE(count, qint16(0));
    }

    const StrArray tokens =
        Common::SplitTokens(text, QStringLiteral("<;"), false, false, false, false,
                            QStringLiteral("\""), QStringLiteral("\""), position);
    if (tokens) {
        for (const QString& t : *tokens)
            QVERIFY(inside(t));
    }
    if (position > n && text.contains(QLatin1Char('<')))
        QCOMPARE(Show(tokens), QStringLiteral("-"));
}

void TestCommon::removeBetween_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<QString>("expected");

    const QString t = QStringLiteral("a(b)c(d)e");
    QTest::newRow("all") << t << "("
                         << ")" << -1 << qsizetype(1) << "ace";
    QTest::newRow("first") << t << "("
                           << ")" << 0 << qsizetype(1) << "ac(d)e";
    QTest::newRow("second") << t << "("
                            << ")" << 1 << qsizetype(1) << "a(b)ce";
    QTest::newRow("past the last") << t << "("
                                   << ")" << 2 << qsizetype(1) << t;
    QTest::newRow("from a position") << t << "("
                                     << ")" << -1 << qsizetype(5) << "a(b)ce";
    QTest::newRow("unterminated, all") << "a(b)c(d"
                                       << "("
                                       << ")" << -1 << qsizetype(1) << "ac";
    QTest::newRow("unterminated chosen") << "a(b)c(d"
                                         << "("
                                         << ")" << 1 << qsizetype(1) << "a(b)c";
    QTest::newRow("unterminated not chosen") << "a(b)c(d"
                                             << "("
                                             << ")" << 0 << qsizetype(1) << "ac(d";
    QTest::newRow("same char both ends") << "x'a'y'b'z"
                                         << "'"
                                         << "'" << -1 << qsizetype(1) << "xyz";
    QTest::newRow("no start marker") << "abc"
                                     << "("
                                     << ")" << -1 << qsizetype(1) << "abc";
    QTest::newRow("japanese brackets") << "【速報】決算（修正）発表"
                                       << "（"
                                       << "）" << -1 << qsizetype(1) << "【速報】決算発表";
}

void TestCommon::removeBetween() {
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, occurrence);
    QFETCH(qsizetype, position);
    QFETCH(QString, expected);
    QCOMPARE(Common::RemoveBetween(text, start, end, occurrence, position), expected);
    if (position == 1) {
        QCOMPARE(Common::RemoveBetween(text, start, end, occurrence), expected);
    }
}

void TestCommon::getBetween_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<QString>("expected");

    const QString t = QStringLiteral("[a][bb][c]");
    QTest::newRow("first") << t << "["
                           << "]" << 0 << qsizetype(1) << "a";
    QTest::newRow("second") << t << "["
                            << "]" << 1 << qsizetype(1) << "bb";
    QTest::newRow("past the last") << t << "["
                                   << "]" << 3 << qsizetype(1) << "";
    QTest::newRow("from a position") << t << "["
                                     << "]" << 0 << qsizetype(4) << "bb";
    QTest::newRow("end missing") << "[a"
                                 << "["
                                 << "]" << 0 << qsizetype(1) << "";
    QTest::newRow("tag text") << "x<td class=k>y"
                              << "<"
                              << ">" << 0 << qsizetype(1) << "td class=k";
    QTest::newRow("same char both ends") << "'a''b'"
                                         << "'"
                                         << "'" << 1 << qsizetype(1) << "b";
}

void TestCommon::getBetween() {
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, occurrence);
    QFETCH(qsizetype, from);
    QFETCH(QString, expected);
    QCOMPARE(Common::GetBetween(text, start, end, occurrence, from), expected);
}

void TestCommon::replaceList() {
    QCOMPARE(Common::ReplaceList("a-b-a", "a,b", "1,22", ","), QStringLiteral("1-22-1"));
    // In list order: the first replacement's output is seen by the second search.
    QCOMPARE(Common::ReplaceList("ab", "ab|b", "b|x", "|"), QStringLiteral("x"));
    QCOMPARE(Common::ReplaceList("Ab", "a", "z", ","), QStringLiteral("Ab"));
    QCOMPARE(Common::ReplaceList("\u3000株\u3000", "\u3000", "", ","), QStringLiteral("株"));
}

void TestCommon::decodeEntities_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("table") << "&quot;&amp;&lt;&gt;&nbsp;&#39;&copy;"
                           << "\"&<> '(C)";
    QTest::newRow("doubly escaped lt") << "a&amp;lt;b"
                                       << "a<b";
    QTest::newRow("doubly escaped quot stays once") << "&amp;quot;"
                                                    << "&quot;";
    QTest::newRow("amp applied once") << "&amp;amp;"
                                      << "&amp;";
    QTest::newRow("numeric untouched") << "&#38;&#60;&#x3C;&#039;"
                                       << "&#38;&#60;&#x3C;&#039;";
    QTest::newRow("case-sensitive") << "&AMP;&Lt;"
                                    << "&AMP;&Lt;";
    QTest::newRow("wave dash") << "9\u301C10時"
                               << "9\uFF5E10時";
}

void TestCommon::decodeEntities() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Common::DecodeEntities(text), expected);
}

void TestCommon::splitTokens_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiters");
    QTest::addColumn<QString>("flags"); // k = keep, m = merge, t = trim, l = keep leading empty
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<QString>("expected");

    auto row = [](const char* name, const QString& text, const QString& delimiters,
                  const QString& flags, const QString& expected, const QString& opening = {},
                  const QString& closing = {}, qsizetype start = 1) {
        QTest::newRow(name) << text << delimiters << flags << opening << closing << start
                            << expected;
    };
    // No delimiter in the text at all.
    row("no delimiter", "  abc  ", ",;", "", "[abc]");
    row("empty text", "", ",", "", "[]");
    row("empty text, character mode", "", ",;", "kmtl", "[]");

    // Simple mode: one delimiter, no quoting.
    row("simple: run is one", "a,,b", ",", "", "[a][b]");
    row("simple: always trimmed", " a , b ", ",", "", "[a][b]");
    row("simple: leading and trailing", ",a,", ",", "", "[][a][]");
    row("simple: keep", "a,,b,c", ",", "k", "[a][,][b][,][c]");
    row("simple: japanese", "ロイター＝決算＝速報", "＝", "mt", "[ロイター][決算][速報]");

    // Character mode.
    row("char: empty field", "a,,b", ",;", "", "[a][][b]");
    row("char: merge drops", "a,,b", ",;", "m", "[a][b]");
    row("char: keep", "a,,b", ",;", "k", "[a][,][,][b]");
    row("char: keep merge", "a,;b", ",;", "km", "[a][,;][b]");
    row("char: leading dropped", ",a", ",;", "", "[a]");
    row("char: leading kept", ",a", ",;", "l", "[][a]");
    row("char: leading pair", ",,a", ",;", "l", "[][][a]");
    row("char: trailing", "a,", ",;", "l", "[a]");
    row("char: only a delimiter", ";", ",;", "", "-");
    row("char: only a delimiter, leading kept", ";", ",;", "l", "[]");
    row("char: not trimmed", " a ; b ", ",;", "", "[ a ][ b ]");
    row("char: trimmed", " a ; b ", ",;", "t", "[a][b]");
    row("char: blank field trimmed", "a, ,b", ",;", "t", "[a][][b]");
    row("char: blank field kept", "a, ,b", ",;", "", "[a][ ][b]");
    row("expression", "A & (B|C)", "()&|", "kt", "[A][&][(][B][|][C][)]");
    row("expression untrimmed", "A & (B|C)", "()&|", "k", "[A ][&][ ][(][B][|][C][)]");
    row("expression merged", "A&|B", "&|", "km", "[A][&|][B]");
    row("expression merge only", "(A&B)|C", "()&|", "m", "[A][B][C]");
    row("from a position", "ab,cd", ",;", "", "[cd]", {}, {}, 4);

    // Quoting.
    row("quoted delimiter", "a,\"b,c\",d", ",", "", "[a][\"b,c\"][d]", "\"", "\"");
    row("quote joins its token", "x\"a,b\"y,z", ",", "", "[x\"a,b\"y][z]", "\"", "\"");
    row("nested", "f(a,(b,c)),g", ",", "", "[f(a,(b,c))][g]", "(", ")");
    row("two pairs", "x[a,b],{c,d}", ",", "", "[x[a,b]][{c,d}]", "[{", "]}");
    row("unterminated quote", "a,\"b,c", ",", "", "[a][\"b,c]", "\"", "\"");
    row("opening char is a delimiter", "a(b", "(", "", "[a][b]", "(", ")");
}

void TestCommon::splitTokens() {
    QFETCH(QString, text);
    QFETCH(QString, delimiters);
    QFETCH(QString, flags);
    QFETCH(QString, opening);
    QFETCH(QString, closing);
    QFETCH(qsizetype, start);
    QFETCH(QString, expected);
    const StrArray tokens =
        Common::SplitTokens(text, delimiters, flags.contains(u'k'), flags.contains(u'm'),
                            flags.contains(u't'), flags.contains(u'l'), opening, closing, start);
    QCOMPARE(Show(tokens), expected);
}

void TestCommon::splitTokensRoom_data() {
    QTest::addColumn<QString>("delimiters");
    QTest::newRow("simple") << ",";
    QTest::newRow("character") << ",;";
}

void TestCommon::splitTokensRoom() {
    QFETCH(QString, delimiters);
    QStringList parts;
    for (int i = 0; i < 3000; ++i)
        parts << QStringLiteral("x%1").arg(i);
    const StrArray tokens = Common::SplitTokens(parts.join(QLatin1Char(',')), delimiters);
    QVERIFY(tokens);
    QCOMPARE(tokens->size(), qsizetype(Common::MaxTokens));
    QCOMPARE(tokens->first(), QStringLiteral("x0"));
    QCOMPARE(tokens->last(), QStringLiteral("x2047"));

    // Exactly full: nothing lost.
    parts.resize(Common::MaxTokens);
    const StrArray full = Common::SplitTokens(parts.join(QLatin1Char(',')), delimiters);
    QCOMPARE(full->size(), qsizetype(Common::MaxTokens));
    QCOMPARE(full->last(), QStringLiteral("x2047"));
}

void TestCommon::getToken_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QString>("expected");
    QTest::newRow("middle") << "a;b;c" << 1 << false << "b";
    QTest::newRow("past the end") << "a;b;c" << 3 << false << "";
    QTest::newRow("negative") << "a;b;c" << -1 << false << "";
    QTest::newRow("empty field") << "a;;c" << 1 << false << "";
    QTest::newRow("untrimmed") << "a; b ;c" << 1 << false << " b ";
    QTest::newRow("trimmed") << "a; b ;c" << 1 << true << "b";
    QTest::newRow("nothing made") << ";" << 0 << false << "";
}

void TestCommon::getToken() {
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(bool, trim);
    QFETCH(QString, expected);
    // Two delimiters, so the split runs in character mode with its empty fields.
    QCOMPARE(Common::GetToken(text, QStringLiteral(";|"), index, trim), expected);
}

void TestCommon::findFirstOf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<QString>("list");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<int>("index");

    QTest::newRow("later item earlier") << "a HREF=\"x\" href=\"y\"" << qsizetype(1)
                                        << "href=\",HREF=\"" << qsizetype(3) << qsizetype(6) << 1;
    QTest::newRow("tie: first item keeps it")
        << "abc" << qsizetype(1) << "ab,a" << qsizetype(1) << qsizetype(2) << 0;
    QTest::newRow("tie the other way")
        << "abc" << qsizetype(1) << "a,ab" << qsizetype(1) << qsizetype(1) << 0;
    QTest::newRow("none") << "abc" << qsizetype(1) << "x,y" << qsizetype(0) << qsizetype(0) << -1;
    QTest::newRow("from a position")
        << "ab ab" << qsizetype(2) << "ab" << qsizetype(4) << qsizetype(2) << 0;
    QTest::newRow("empty item never found")
        << "ab" << qsizetype(1) << ",b" << qsizetype(2) << qsizetype(1) << 1;
}

void TestCommon::findFirstOf() {
    QFETCH(QString, text);
    QFETCH(qsizetype, start);
    QFETCH(QString, list);
    QFETCH(qsizetype, position);
    QFETCH(qsizetype, length);
    QFETCH(int, index);
    qsizetype foundLength = 99;
    int foundIndex = 99;
    QCOMPARE(Common::FindFirstOf(start, text, list, foundLength, foundIndex), position);
    QCOMPARE(foundLength, length);
    QCOMPARE(foundIndex, index);
}

void TestCommon::counting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<int>("occurrences");
    QTest::addColumn<int>("chars");

    QTest::newRow("non-overlapping") << "aaaa"
                                     << "aa" << qsizetype(1) << 2 << 8;
    QTest::newRow("from a position") << "aaaa"
                                     << "aa" << qsizetype(2) << 1 << 8;
    QTest::newRow("case") << "AbcA"
                          << "a" << qsizetype(1) << 0 << 2;
    QTest::newRow("set of two") << "aab"
                                << "ab" << qsizetype(1) << 1 << 3;
    QTest::newRow("empty text") << ""
                                << "x" << qsizetype(1) << 0 << 0;
    QTest::newRow("full-width") << "株株ｶ"
                                << "株" << qsizetype(1) << 2 << 2;
}

void TestCommon::counting() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(qsizetype, start);
    QFETCH(int, occurrences);
    QFETCH(int, chars);
    QCOMPARE(int(Common::CountOccurrences(start, text, search)), occurrences);
    QCOMPARE(int(Common::CountCharsOf(text, search)), chars);
}

void TestCommon::trimming_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trim");
    QTest::addColumn<QString>("trimTabs");
    QTest::addColumn<QString>("unquote");

    QTest::newRow("blanks") << "  a b  "
                            << "a b"
                            << "a b"
                            << "  a b  ";
    QTest::newRow("tabs") << " \ta\t "
                          << "\ta\t"
                          << "a"
                          << " \ta\t ";
    QTest::newRow("blanks inside tabs") << "\t a \t"
                                        << "\t a \t"
                                        << " a "
                                        << "\t a \t";
    QTest::newRow("full-width space is no blank") << "\u3000a "
                                                  << "\u3000a"
                                                  << "\u3000a"
                                                  << "\u3000a ";
    QTest::newRow("quoted") << "\"a\"\"b\""
                            << "\"a\"\"b\""
                            << "\"a\"\"b\""
                            << "a\"b";
    QTest::newRow("lone quote") << "\""
                                << "\""
                                << "\""
                                << "";
    QTest::newRow("open quote only") << "\"a"
                                     << "\"a"
                                     << "\"a"
                                     << "\"a";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void TestCommon::trimming() {
    QFETCH(QString, text);
    QFETCH(QString, trim);
    QFETCH(QString, trimTabs);
    QFETCH(QString, unquote);
    QCOMPARE(Common::Trim(text), trim);
    QCOMPARE(Common::TrimTabs(text), trimTabs);
    QCOMPARE(Common::Unquote(text), unquote);
}

void TestCommon::arrays() {
    StrArray none;
    QVERIFY(!Common::IsStringArrayReady(none));
    QVERIFY(!Common::IsArrayReady(none));
    QCOMPARE(Common::IndexOf(none, QString()), -1);

    // One empty element is not the undimensioned state.
    StrArray oneEmpty = QStringList{QString()};
    QVERIFY(Common::IsStringArrayReady(oneEmpty));
    QVERIFY(Common::IsArrayReady(oneEmpty));
    QCOMPARE(Common::IndexOf(oneEmpty, QString()), 0);

    StrArray dimensionedEmpty = QStringList();
    QVERIFY(Common::IsStringArrayReady(dimensionedEmpty));
    QVERIFY(!Common::IsArrayReady(dimensionedEmpty));

    Common::AppendString(none, QStringLiteral("a"));
    QCOMPARE(Show(none), QStringLiteral("[a]"));
    Common::AppendString(none, QStringLiteral("B"));
    Common::AppendString(none, QStringLiteral("c"));
    QCOMPARE(Common::IndexOf(none, QStringLiteral("b")), -1);
    QCOMPARE(Common::IndexOf(none, QStringLiteral("c")), 2);

    Common::RemoveAt(none, 1);
    QCOMPARE(Show(none), QStringLiteral("[a][c]"));
    Common::RemoveAt(none, 5);
    QCOMPARE(Show(none), QStringLiteral("[a][c]"));
    Common::RemoveAt(none, 0);
    QCOMPARE(Show(none), QStringLiteral("[c]"));
    Common::RemoveAt(none, 0);
    QVERIFY(!Common::IsStringArrayReady(none));
    Common::RemoveAt(none, 0);
    QVERIFY(!Common::IsStringArrayReady(none));
}

void TestCommon::indexOfLike_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("first match, not the most specific") << "AB" << 0;
    QTest::newRow("second") << "xBy" << 1;
    QTest::newRow("third") << "2024" << 2;
    QTest::newRow("none") << "xyz" << -1;
}

void TestCommon::indexOfLike() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const StrArray patterns = QStringList{"A*", "*B*", "####"};
    QCOMPARE(Common::IndexOfLike(patterns, text), expected);
    QCOMPARE(Common::IndexOfLike(std::nullopt, text), -1);
}

void TestCommon::isLike_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("exact") << "abc"
                           << "abc" << true;
    QTest::newRow("whole text") << "abc"
                                << "ab" << false;
    QTest::newRow("case-sensitive") << "ABC"
                                    << "abc" << false;
    QTest::newRow("empty both") << ""
                                << "" << true;
    QTest::newRow("empty pattern") << "a"
                                   << "" << false;
    QTest::newRow("star on empty") << ""
                                   << "*" << true;
    QTest::newRow("star prefix") << "abc"
                                 << "a*" << true;
    QTest::newRow("star suffix") << "abc"
                                 << "*c" << true;
    QTest::newRow("star middle") << "abc"
                                 << "a*c" << true;
    QTest::newRow("star needs backtrack") << "abcabd"
                                          << "*ab?" << true;
    QTest::newRow("star no match") << "abcab"
                                   << "*ab?" << false;
    QTest::newRow("mississippi") << "mississippi"
                                 << "m*iss*ppi" << true;
    QTest::newRow("mississippi no") << "mississippi"
                                    << "m*x*" << false;
    QTest::newRow("question") << "a"
                              << "?" << true;
    QTest::newRow("question needs one") << ""
                                        << "?" << false;
    QTest::newRow("question only one") << "ab"
                                       << "?" << false;
    QTest::newRow("question surrogate pair") << "\U0001F600"
                                             << "?" << true;
    QTest::newRow("digit") << "a1"
                           << "a#" << true;
    QTest::newRow("digit not letter") << "ab"
                                      << "a#" << false;
    QTest::newRow("full-width digit is no digit") << "１"
                                                  << "#" << false;
    QTest::newRow("class") << "y"
                           << "[xyz]" << true;
    QTest::newRow("range in") << "b"
                              << "[a-c]" << true;
    QTest::newRow("range out") << "d"
                               << "[a-c]" << false;
    QTest::newRow("negated out") << "d"
                                 << "[!a-c]" << true;
    QTest::newRow("negated in") << "b"
                                << "[!a-c]" << false;
    QTest::newRow("range case") << "B"
                                << "[a-z]" << false;
    QTest::newRow("two ranges") << "5"
                                << "[a-z0-9]" << true;
    QTest::newRow("trailing dash literal") << "-"
                                           << "[a-]" << true;
    QTest::newRow("bang alone literal") << "!"
                                        << "[!]" << true;
    QTest::newRow("escaped star") << "*"
                                  << "[*]" << true;
    QTest::newRow("escaped star not any") << "a"
                                          << "[*]" << false;
    QTest::newRow("escaped question") << "?"
                                      << "[?]" << true;
    QTest::newRow("escaped hash") << "#"
                                  << "[#]" << true;
    QTest::newRow("escaped hash not digit") << "5"
                                            << "[#]" << false;
    QTest::newRow("unclosed bracket literal") << "a["
                                              << "a[" << true;
    QTest::newRow("closing bracket literal") << "a]"
                                             << "a]" << true;
    QTest::newRow("empty class takes nothing") << "ab"
                                               << "a[]b" << true;
    QTest::newRow("kana range") << "カ"
                                << "[ア-ン]" << true;
    QTest::newRow("headline prefix") << "再送：トヨタ決算"
                                     << "再送*" << true;
    QTest::newRow("headline suffix") << "決算短信☆差替"
                                     << "*☆差替" << true;
    QTest::newRow("address") << "https://h/inbs/140120240105.pdf"
                             << "*/inbs/*.pdf" << true;
    QTest::newRow("address other") << "https://h/inbs/x.htm"
                                   << "*/inbs/*.pdf" << false;
}

void TestCommon::isLike() {
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(Common::IsLike(text, pattern), expected);
}

// A naive backtracking matcher takes exponential time here; the test would hit its time-out.
void TestCommon::isLikeManyStars() {
    const QString text = QString(20000, u'a');
    QString pattern;
    for (int i = 0; i < 40; ++i)
        pattern += QStringLiteral("*a");
    QVERIFY(!Common::IsLike(text, pattern + QStringLiteral("*b")));
    QVERIFY(Common::IsLike(text + QLatin1Char('b'), pattern + QStringLiteral("*b")));
    QVERIFY(!Common::IsLike(text, QStringLiteral("*?*?*?*?*?*?*?*?*?*?*b*")));
}

void TestCommon::sortOrder_data() {
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<int>("order");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("ascending") << QStringList{"b", "a", "c"} << Common::SortAscending
                               << QList<int>{1, 0, 2};
    QTest::newRow("descending") << QStringList{"b", "a", "c"} << Common::SortDescending
                                << QList<int>{2, 0, 1};
    QTest::newRow("any other value ascends") << QStringList{"b", "a"} << 0 << QList<int>{1, 0};
    QTest::newRow("equals reversed, ascending")
        << QStringList{"x", "x", "x"} << Common::SortAscending << QList<int>{2, 1, 0};
    QTest::newRow("equals reversed, descending")
        << QStringList{"x", "x", "x"} << Common::SortDescending << QList<int>{2, 1, 0};
    QTest::newRow("mixed, ascending")
        << QStringList{"b", "a", "b", "a"} << Common::SortAscending << QList<int>{3, 1, 2, 0};
    QTest::newRow("mixed, descending")
        << QStringList{"b", "a", "b", "a"} << Common::SortDescending << QList<int>{2, 0, 3, 1};
    QTest::newRow("case-sensitive")
        << QStringList{"a", "B"} << Common::SortAscending << QList<int>{1, 0};
    QTest::newRow("empty") << QStringList{} << Common::SortAscending << QList<int>{};
}

void TestCommon::sortOrder() {
    QFETCH(QStringList, input);
    QFETCH(int, order);
    QFETCH(QList<int>, expected);
    QCOMPARE(Common::SortOrder(input, order), expected);
}

void TestCommon::sortStrings() {
    QCOMPARE(Show(Common::SortStrings(QStringList{"htm", "pdf", "asp"}, Common::SortAscending)),
             QStringLiteral("[asp][htm][pdf]"));
    QCOMPARE(Show(Common::SortStrings(QStringList{"htm", "pdf", "asp"}, Common::SortDescending)),
             QStringLiteral("[pdf][htm][asp]"));
    QCOMPARE(Show(Common::SortStrings(std::nullopt, Common::SortAscending)), QStringLiteral("-"));
    QVERIFY(Common::SortOrder(std::nullopt, Common::SortAscending).isEmpty());
}

void TestCommon::pauseKeepsEventsFlowing_data() {
    QTest::addColumn<bool>("sleep");
    QTest::newRow("loop kind") << false;
    QTest::newRow("sleep kind") << true;
}

void TestCommon::pauseKeepsEventsFlowing() {
    QFETCH(bool, sleep);
    int ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(5);
    QElapsedTimer clock;
    clock.start();
    Common::Pause(200, false, sleep);
    const qint64 waited = clock.elapsed();
    ticker.stop();
    QVERIFY2(waited >= 195, qPrintable(QString::number(waited)));
    // About forty; a blocked thread would give none at all.
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
}

void TestCommon::pauseYield() {
    bool ran = false;
    QMetaObject::invokeMethod(
        this, [&ran] { ran = true; }, Qt::QueuedConnection);
    Common::Pause(0, false, false);
    Common::Pause(-5, false, true);
    QVERIFY(!ran);
    Common::Pause(0, true, true);
    QVERIFY(ran);

    ran = false;
    QMetaObject::invokeMethod(
        this, [&ran] { ran = true; }, Qt::QueuedConnection);
    Common::Pause(-1, true, false);
    QVERIFY(ran);
}

void TestCommon::pauseHook() {
    g_pauses.clear();
    bool ran = false;
    QMetaObject::invokeMethod(
        this, [&ran] { ran = true; }, Qt::QueuedConnection);
    Common::SetPauseHook(&RecordPause);
    Common::Pause(3000, true, true);
    Common::Pause(1500, false, false);
    Common::SetPauseHook(nullptr);
    // The hook replaces the whole wait, the yield included.
    QVERIFY(!ran);
    QCOMPARE(g_pauses.size(), 2);
    QCOMPARE(g_pauses.at(0), std::make_tuple(3000, true, true));
    QCOMPARE(g_pauses.at(1), std::make_tuple(1500, false, false));
    Common::Pause(0, true, false);
    QVERIFY(ran);
    QCOMPARE(g_pauses.size(), 2);
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
