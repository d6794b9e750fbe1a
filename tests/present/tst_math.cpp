#include "PresentFakes.h"
#include "app/SettingsState.h"
#include "present/HeadlineSearch.h"
#include "present/Math.h"

#include <QTest>

namespace {

// The reduction written the plain way, to hold the fast one against.
bool ReduceByReplace(QString s) {
    static const char* const rules[12][2] = {
        {"!T", "F"},  {"!F", "T"},  {"T&T", "T"}, {"T&F", "F"}, {"F&T", "F"}, {"F&F", "F"},
        {"T|T", "T"}, {"T|F", "T"}, {"F|T", "T"}, {"F|F", "F"}, {"(T)", "T"}, {"(F)", "F"},
    };
    while (s.size() >= 2) {
        const QString before = s;
        for (const auto& rule : rules)
            s.replace(QLatin1String(rule[0]), QLatin1String(rule[1]));
        if (s == before)
            return false;
    }
    return s == u"T";
}

} // namespace

class TestMath : public QObject {
    Q_OBJECT
    RecordingPrompt prompt;

private slots:
    void init() {
        prompt = RecordingPrompt();
        Ports::SetPrompt(&prompt);
    }
    void cleanupTestCase() { Ports::SetPrompt(nullptr); }

    void check_data() {
        QTest::addColumn<QString>("truth");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString parens = QStringLiteral("左右の括弧数が合っていないので計算不能です。");
        const QString adjacent = QStringLiteral("論理演算子が連続しているので計算不能です。");
        const QString ends = QStringLiteral("式の両端に論理演算子があるので計算不能です。");
        QTest::newRow("plain") << "T&(F|T)" << QString();
        QTest::newRow("closing before opening") << ")T(" << QString();
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("open left") << "(T&F" << parens;
        QTest::newRow("leading and") << "&T" << ends;
        QTest::newRow("trailing or") << "T|" << ends;
        QTest::newRow("parens decide first") << "(&T" << parens;
        QTest::newRow("adjacent before ends") << "&TF" << adjacent;
    }
    void check() {
        QFETCH(QString, truth);
        QFETCH(QString, message);
        QCOMPARE(Math::CheckExpression(truth, false), message.isEmpty());
        QVERIFY(prompt.boxes.isEmpty());
        QCOMPARE(Math::CheckExpression(truth, true), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(prompt.boxes.isEmpty());
            return;
        }
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.boxes[0].text, message + QStringLiteral("\r\n") + truth);
        QCOMPARE(prompt.boxes[0].title, QStringLiteral("Math/Compare()"));
        QCOMPARE(prompt.boxes[0].icon, Ports::MsgIcon::Critical);
    }

    void evaluateEndsProgramOnBadString() {
        QCOMPARE(Math::EvaluateExpression(QStringLiteral("T&")), false);
        QCOMPARE(prompt.boxes.size(), 1);
        QCOMPARE(prompt.endCalls, 1);
        QCOMPARE(Math::EvaluateExpression(QStringLiteral("F|T")), true);
        QCOMPARE(prompt.endCalls, 1);
    }

    // Short strings are held against the plain reduction below; these are longer or off the
    // alphabet.
    void reduce() {
        QCOMPARE(Math::ReduceTruthString(u"((T|F)&(F|T))"), true);
        QCOMPARE(Math::ReduceTruthString(u"T|T&(F)"), false); // one level per pass
        QCOMPARE(Math::ReduceTruthString(u"T&x"), false);
    }

    // Every string over the alphabet up to six characters reduces as the plain way does.
    void reduceAgreesWithPlainReduction() {
        const char alphabet[] = "TF()&|!";
        qint64 strings = 0;
        for (int length = 0; length <= 6; ++length) {
            std::vector<int> digits(size_t(length), 0);
            for (int i = 0; i >= 0; ++strings) {
                QString s;
                for (int d : digits)
                    s += QLatin1Char(alphabet[d]);
                if (Math::ReduceTruthString(s) != ReduceByReplace(s))
                    QFAIL(qPrintable(QStringLiteral("differs on ") + s));
                for (i = length - 1; i >= 0 && ++digits[size_t(i)] == 7; --i)
                    digits[size_t(i)] = 0;
            }
        }
        QCOMPARE(strings, qint64(1 + 7 + 49 + 343 + 2401 + 16807 + 117649));
    }

    // Searched in title, category and source; the source here is always ロイター.
    void matches_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("match");
        // name, expression, title, category, match
        const std::tuple<const char*, const char*, const char*, const char*, bool> rows[] = {
            {"and across title and source", "日銀&ロイター", "日銀が会合", "", true},
            {"category", "決算", "見出し", "[決算]", true},
            {"or then and: A", "円|ドル&株", "円高", "", true},
            {"or then and: B and C", "円|ドル&株", "ドル高で株安", "", true},
            {"part of a longer word", "銀", "日銀総裁", "", true},
            {"case-sensitive", "abc", "ABC news", "", false},
            {"inner blank kept", " 日本 株 ", "日本 株が上昇", "", true},
            {"inner blank must match", "日本 株", "日本株が上昇", "", false},
            {"blanks round operators", "日本 & ( 株 | 円 )", "日本円", "", true},
            {"unbalanced", "(日本", "日本", "", false},
            {"bang is a letter", "!日本", "日本", "", false},
            {"bang in title", "!日本", "!日本", "", true},
            {"empty expression", "", "日本", "", false},
        };
        for (const auto& [name, expression, title, category, match] : rows)
            QTest::newRow(name) << QString(expression) << QString(title) << QString(category)
                                << match;
    }
    void matches() {
        QFETCH(QString, expression);
        QFETCH(QString, title);
        QFETCH(QString, category);
        QFETCH(bool, match);
        Headline h;
        h.title = title;
        h.category = category;
        h.source = QStringLiteral("ロイター");
        const Program::SettingsState settings;
        News::NewsStore store(settings);
        FillStore(store, {h});
        QCOMPARE(Present::MatchesExpression(store, expression, 0), match);
        QVERIFY(prompt.boxes.isEmpty());
        QCOMPARE(prompt.endCalls, 0);
    }
};

QTEST_GUILESS_MAIN(TestMath)
#include "tst_math.moc"
