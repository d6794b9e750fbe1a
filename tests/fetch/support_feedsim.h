#pragma once
// Starts tools/feedsim on free loopback ports for the length of a test.

#include <QEventLoop>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStringList>
#include <QTimer>

class FeedsimProcess {
public:
    ~FeedsimProcess() { Stop(); }

    bool Start(const QStringList& extraArgs) {
        process_.setProgram(QStringLiteral(TW_FEEDSIM));
        process_.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                          QStringLiteral("--tdnet-port"), QStringLiteral("0")} +
                              extraArgs);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(5000))
            return false;
        QByteArray out;
        while (out.count('\n') < 2) {
            if (!process_.waitForReadyRead(5000))
                return false;
            out += process_.readAllStandardOutput();
        }
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() != 2)
                continue;
            const QString address = QStringLiteral("http://") + QString::fromLatin1(parts[1]);
            if (parts[0] == "portal")
                portal_ = address;
            else if (parts[0] == "tdnet")
                tdnet_ = address;
        }
        return !portal_.isEmpty() && !tdnet_.isEmpty();
    }

    void Stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    QString Portal() const { return portal_; }
    QString Tdnet() const { return tdnet_; }

    // A control request ("/_feedsim/stats?reset=1", "/_feedsim/advance?minutes=5").
    QByteArray Control(const QString& pathAndQuery) { return Fetch(portal_ + pathAndQuery); }

    // The body at an address, empty after five seconds without an answer.
    static QByteArray Fetch(const QString& address) {
        QNetworkAccessManager nam;
        QNetworkRequest request{QUrl(address)};
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        QNetworkReply* reply = nam.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        return body;
    }

    // Request targets served since the last reset, each with its count.
    QMap<QString, int> RequestCounts() {
        QMap<QString, int> counts;
        for (const QByteArray& line : Control(QStringLiteral("/_feedsim/stats")).split('\n')) {
            const int blank = line.lastIndexOf(' ');
            if (blank > 0)
                counts.insert(QString::fromUtf8(line.left(blank)), line.mid(blank + 1).toInt());
        }
        return counts;
    }
    QStringList RequestedPaths() { return RequestCounts().keys(); }

private:
    QProcess process_;
    QString portal_, tdnet_;
};
