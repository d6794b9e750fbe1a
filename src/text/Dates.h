#pragma once
// Dates as the records and files keep them: OLE date doubles (days since 1899-12-30, the time
// of day as the fraction), local time.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace Dates {

double ToOle(const QDateTime& dateTime);
double ToOle(const QDate& date);
QDateTime FromOle(double oleDate);

// The lenient "is this a date / make it a date" reading of page texts: "2024/1/5",
// "2024/1/5 9:05", "1/5 9:05" (blanks of any number between date and time; the current year
// when none is given), "9:05" (today), with or without seconds. std::nullopt when not a date.
std::optional<QDateTime> ParseLenient(const QString& text, const QDate& today);

// The short date form: yyyy/MM/dd.
QString ShortDate(const QDate& date);
// A date-time as text: "2024/01/05 9:05:00"; midnight shows the date alone.
QString DateTimeText(double oleDate);

} // namespace Dates
