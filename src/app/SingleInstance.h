#pragma once
// One running program per data folder. A lock file in the folder decides which start owns it;
// a later start on the same folder asks the owner, through a local socket, to bring its window
// to the front, and then ends without touching any file.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace Program {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Primary,   // this start owns the folder: go on
        Forwarded, // the running program took the request to come to the front: end quietly
        NoAnswer,  // another start holds the folder but did not answer: end and say so
        NoLock,    // the lock file cannot be made (folder missing or not writable): end, say so
    };

    // How long a later start keeps asking before it gives up (the owner may be starting up).
    static constexpr int DefaultWaitMs = 5000;
    static constexpr int RetryMs = 100;

    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder or hands the request on; events are pumped while it waits, never
    // longer than waitMs.
    Outcome Start(int waitMs = DefaultWaitMs);

    bool IsPrimary() const;
    // False when the owner could not open its socket; the lock still holds then.
    bool IsListening() const;
    QString LockFilePath() const { return lockPath_; }

    // The socket's name for a folder: per user and per folder, short enough for any
    // temporary directory.
    static QString ServerName(const QString& dataFolder);
    static QString LockFileName() { return QStringLiteral("tickerwisp.lock"); }

signals:
    // Another start on the same folder asked this one to come to the front.
    void ActivationRequested();

private:
    bool TryLock();
    void Listen();
    // One attempt: true when the owner answered.
    bool Ask(qint64 remainingMs);
    void OnNewConnection();
    void Serve(QLocalSocket* socket);

    QString folder_;
    QString lockPath_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace Program
