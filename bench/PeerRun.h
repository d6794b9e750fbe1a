#pragma once
// Runs a Python peer benchmark with the first interpreter that has its modules, echoes its
// "name: value unit" lines as "peer_name: value unit" and returns the values by name.

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

inline QHash<QString, double> RunPeer(const QStringList& arguments, QString& note) {
    for (const QString& python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess process;
        process.start(python, arguments);
        if (!process.waitForStarted(5000)) {
            note = QStringLiteral("python3 not found");
            continue;
        }
        process.waitForFinished(300000);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            note = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
            continue;
        }
        QHash<QString, double> rates;
        for (const QByteArray& line : process.readAllStandardOutput().trimmed().split('\n')) {
            std::printf("peer_%s\n", line.constData());
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() >= 2 && parts[0].endsWith(':'))
                rates.insert(QString::fromLatin1(parts[0].chopped(1)), parts[1].toDouble());
        }
        return rates;
    }
    return {};
}
