#include "present/Math.h"

#include "app/Ports.h"

#include <array>
#include <vector>

namespace Math {

QString ExpressionProblem(QStringView truth) {
    QString message;
    int depth = 0;
    for (QChar c : truth) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
    }
    if (depth != 0) {
        message = QStringLiteral("左右の括弧数が合っていないので計算不能です。");
    } else {
        for (qsizetype i = 0; i + 1 < truth.size(); ++i) {
            const QChar a = truth[i], b = truth[i + 1];
            if ((a == u'T' || a == u'F') && (b == u'T' || b == u'F')) {
                message = QStringLiteral("論理演算子が連続しているので計算不能です。");
                break;
            }
        }
        if (message.isEmpty() && !truth.isEmpty()) {
            const QChar first = truth.front(), last = truth.back();
            if (first == u'&' || first == u'|' || last == u'&' || last == u'|')
                message = QStringLiteral("式の両端に論理演算子があるので計算不能です。");
        }
    }
    return message;
}

bool CheckExpression(QStringView truth, bool showMessages) {
    const QString message = ExpressionProblem(truth);
    if (message.isEmpty())
        return true;
    if (showMessages)
        Ports::Prompt().MessageBox(message + QStringLiteral("\r\n") + truth.toString(),
                                   QStringLiteral("Math/Compare()"), Ports::MsgIcon::Critical,
                                   Ports::MsgButtons::Ok);
    return false;
}

namespace {

struct Rule {
    char pattern[4];
    int length;
    char by;
};

// Applied once each per pass, in this order.
constexpr std::array<Rule, 12> Rules{{
    {"!T", 2, 'F'},
    {"!F", 2, 'T'},
    {"T&T", 3, 'T'},
    {"T&F", 3, 'F'},
    {"F&T", 3, 'F'},
    {"F&F", 3, 'F'},
    {"T|T", 3, 'T'},
    {"T|F", 3, 'T'},
    {"F|T", 3, 'T'},
    {"F|F", 3, 'F'},
    {"(T)", 3, 'T'},
    {"(F)", 3, 'F'},
}};

// All non-overlapping occurrences, left to right, in place. Returns the new length.
int ReplaceAll(char* s, int n, const Rule& rule) {
    int out = 0, i = 0;
    const int len = rule.length;
    while (i < n) {
        if (i + len <= n && s[i] == rule.pattern[0] && s[i + 1] == rule.pattern[1] &&
            (len == 2 || s[i + 2] == rule.pattern[2])) {
            s[out++] = rule.by;
            i += len;
        } else {
            s[out++] = s[i++];
        }
    }
    return out;
}

char Narrow(QChar c) {
    switch (c.unicode()) {
    case u'T':
    case u'F':
    case u'(':
    case u')':
    case u'&':
    case u'|':
    case u'!':
        return static_cast<char>(c.unicode());
    default:
        return '?'; // takes part in no rule
    }
}

} // namespace

bool ReduceTruthString(QStringView truth) {
    std::array<char, 64> small;
    std::vector<char> large;
    char* s = small.data();
    if (truth.size() > qsizetype(small.size())) {
        large.resize(truth.size());
        s = large.data();
    }
    int n = int(truth.size());
    for (int i = 0; i < n; ++i)
        s[i] = Narrow(truth[i]);
    while (n >= 2) {
        const int before = n;
        for (const Rule& rule : Rules)
            n = ReplaceAll(s, n, rule);
        if (n == before) // nothing applies any more (e.g. "TF" from T(F))
            return false;
    }
    return n == 1 && s[0] == 'T';
}

bool EvaluateExpression(QStringView truth) {
    if (!CheckExpression(truth, true)) {
        Ports::Prompt().EndProgram();
        return false;
    }
    return ReduceTruthString(truth);
}

} // namespace Math
