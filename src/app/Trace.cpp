#include "app/Trace.h"

#include "app/AppData.h"
#include "app/Ports.h"
#include "text/Dates.h"

#include <QFile>

namespace Common {

namespace {

QString LogPathOrDefault(const QString& path) {
    return path.isEmpty() ? AppDataFolder() + QStringLiteral("/ログ.Log") : path;
}

// Open, write, close: the line is on disk when the call returns, even if the program dies next.
void AppendLine(const QString& path, const QString& line) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    file.write(line.toUtf8() + QByteArrayLiteral("\r\n"));
    file.close();
}

} // namespace

void TraceLine(const QString& text) {
    Ports::Trace().Line(text);
}

void TraceLog::Line(const QString& text) {
    if (!Enabled) {
        return;
    }
    const QDateTime now = Ports::Clock().Now();
    const QString line = PadLeft(Counter, QStringLiteral(" "), 8) + QLatin1Char('[') +
                         Dates::ShortDate(now.date()) + QLatin1Char(' ') +
                         now.time().toString(QStringLiteral("H:mm:ss")) + QLatin1Char(']') + text;
    AppendLine(AppDataFolder() + QStringLiteral("/Debug.LOG"), line);
    if (Counter < TraceCounterCap) {
        ++Counter;
    }
}

void AppendLogLine(const QString& path, const QString& line) {
    AppendLine(LogPathOrDefault(path), line);
}

void DeleteLogFile(const QString& path) {
    QFile::remove(LogPathOrDefault(path));
}

QString PadLeft(qint64 value, const QString& padChar, int width) {
    if (width <= 0) {
        return QString();
    }
    const QString padded = padChar.repeated(width - 1) + QString::number(value);
    return padded.right(width);
}

} // namespace Common
