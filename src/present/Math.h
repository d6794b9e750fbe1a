#pragma once
// Truth strings: a search expression after every word became "T" or "F", e.g. T&(F|T).

#include <QString>
#include <QStringView>

namespace Math {

// Why the string cannot be evaluated, in the words the search shows; "" when it can.
QString ExpressionProblem(QStringView truth);
// True when the string can be evaluated. With showMessages a failure is shown in a message box.
bool CheckExpression(QStringView truth, bool showMessages);
// The value of a checked string. A pass that changes nothing ends the reduction with false.
bool ReduceTruthString(QStringView truth);
// Checks with messages; a string that cannot be evaluated ends the program.
bool EvaluateExpression(QStringView truth);

} // namespace Math
