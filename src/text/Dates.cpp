#include "text/Dates.h"

#include <QRegularExpression>
#include <cmath>

namespace Dates {

namespace {

const QDate kOleEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
// 9999-12-31 and its mirror; beyond that an OLE date is not a date.
constexpr double kOleLimit = 2958466.0;

} // namespace

double ToOle(const QDate& date) {
    if (!date.isValid())
        return 0.0;
    return double(kOleEpoch.daysTo(date));
}

double ToOle(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return 0.0;
    const QDateTime local = dateTime.toLocalTime();
    const double days = double(kOleEpoch.daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
    // Before the epoch the day counts down but the time still counts up: -1.25 is 1899-12-29 6:00.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime FromOle(double oleDate) {
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > kOleLimit)
        return QDateTime();
    double days = std::trunc(oleDate);
    // floor(x + 0.5) rather than llround: clang 14 with the sanitizers compiled the latter here
    // into a plain truncation, which put 9:05 at 9:04:59.999.
    qint64 ms = qint64(std::floor(std::fabs(oleDate - days) * kMsPerDay + 0.5));
    if (ms >= qint64(kMsPerDay)) {
        // Rounded up into the next day (away from the epoch's side it lies on).
        days += oleDate >= 0 ? 1 : -1;
        ms -= qint64(kMsPerDay);
    }
    const QDate date = kOleEpoch.addDays(qint64(days));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::LocalTime);
}

std::optional<QDateTime> ParseLenient(const QString& text, const QDate& today) {
    // [[year/]month/day] [time] with at least one of the two; blanks of any number between.
    static const QRegularExpression form(QStringLiteral(
        R"(^(?:(?:([0-9]{4})/)?([0-9]{1,2})/([0-9]{1,2}))?\s*(?:([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?)?$)"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QRegularExpressionMatch m = form.match(trimmed);
    if (!m.hasMatch())
        return std::nullopt;

    const bool hasDate = m.capturedLength(2) > 0;
    const bool hasTime = m.capturedLength(4) > 0;
    // "1/59:05" is no date: date and time need a blank between them.
    if (hasDate && hasTime && m.capturedEnd(3) == m.capturedStart(4))
        return std::nullopt;

    QDate date = today;
    if (hasDate) {
        const int year = m.capturedLength(1) > 0 ? m.captured(1).toInt() : today.year();
        date = QDate(year, m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0);
    if (hasTime) {
        const int seconds = m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0;
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), seconds);
        if (!time.isValid())
            return std::nullopt;
    }
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::LocalTime);
}

QString ShortDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString DateTimeText(double oleDate) {
    const QDateTime when = FromOle(oleDate);
    if (!when.isValid())
        return QString();
    // Whole seconds are what is shown; a stray millisecond is not "not midnight".
    const int seconds = when.time().msecsSinceStartOfDay() / 1000;
    if (seconds == 0)
        return ShortDate(when.date());
    return ShortDate(when.date()) + QLatin1Char(' ') +
           QTime::fromMSecsSinceStartOfDay(seconds * 1000).toString(QStringLiteral("H:mm:ss"));
}

} // namespace Dates
