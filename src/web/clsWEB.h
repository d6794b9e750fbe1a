#pragma once
// The program's one gateway to the network and to the embedded browser: downloads over
// QNetworkAccessManager (pumped waits, no threads), URL parts, and the plain-text HTML cut-outs.

#include "app/Ports.h"
#include "text/Common.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

class clsWEB {
public:
    clsWEB() = default;
    ~clsWEB();
    clsWEB(const clsWEB&) = delete;
    clsWEB& operator=(const clsWEB&) = delete;

    QString PageHtml, PageText;
    QString Proxy; // "host:port"; empty = direct

    // The response body; empty on any failure (time-out, error status, too large, busy).
    QByteArray Download(const QString& url, const QString& saveFile = QString(),
                        bool showHourglass = false, int timeoutSeconds = 10);
    // Always direct. lastModified: OLE date in Japan time, 0 when the header is missing.
    QByteArray DownLoadTDNet(const QString& url, double& lastModified, int timeoutSeconds = 10);
    // A feed, asked for only if it changed since the validators of the last answer (ETag and
    // Last-Modified, empty when unknown). Through the proxy like Download.
    struct ConditionalReply {
        bool notModified = false; // 304: nothing to read, the validators stand
        QByteArray body;          // empty on any failure (see LastFailure)
        QByteArray contentType, etag, lastModified;
    };
    ConditionalReply DownloadIfChanged(const QString& url, const QByteArray& etag,
                                       const QByteArray& lastModified, int timeoutSeconds = 10);
    bool StillExecuting() const;
    // Why the last request gave no body, in Japanese ("接続できません"); empty after a page.
    QString LastFailure() const { return lastFailure_; }
    void Cancel();

    // URL parts, computed from Full.
    void SetFull(const QString& url) { full_ = url; }
    QString Full() const { return full_; }
    QString Path() const;
    QString Name() const;
    QString Base() const;
    QString Ext() const;
    QString PathBase() const;
    QString Parent() const;
    QString ParentOnly() const;
    QString Address() const;

    // Browser-bound half.
    void SetBrowser(Ports::BrowserPort* browser) { browser_ = browser; }
    Ports::BrowserPort* Browser() const { return browser_; }
    void PageNavigate(const QString& url);
    void Web_DocumentComplete();
    bool CaptureFlag() const { return capture_; }

    // HTML extraction.
    QString HtmlTagGet(const QString& html, qsizetype& position, QString& tagName,
                       QString& attributes);
    Common::StrArray GetLinks(const QString& pattern, const QString& baseUrl, const QString& html,
                              int options);

    // The largest body accepted; anything bigger is a failed request.
    static constexpr qint64 MaxBodyBytes = 32LL * 1024 * 1024;
    static constexpr int MaxRedirects = 5;
    // An upper bound on every request's time-out, in seconds; 0 (the default) leaves each
    // caller's own. Lets a test run against servers that never answer in seconds, not minutes.
    void SetTimeoutCap(int seconds) { timeoutCap_ = seconds > 0 ? seconds : 0; }

    // The save-file name Download writes to: folder and base cut to 128 characters, extension
    // kept.
    static QString SaveFileName(const QString& saveFile);
    // "Tue, 15 Nov 1994 12:45:26 GMT" -> OLE date of that time + 9 hours; 0 when unreadable.
    static double LastModifiedToOle(const QString& header);

private:
    // The response's headers and status, for the requests that want them.
    struct Exchange {
        QByteArray ifNoneMatch, ifModifiedSince; // sent when not empty
        int status = 0;
        QByteArray contentType, etag, lastModified;
    };
    QByteArray Transfer(const QString& url, bool direct, int timeoutSeconds,
                        QByteArray* lastModified, Exchange* exchange = nullptr);
    QNetworkAccessManager& Manager();

    QPointer<QNetworkAccessManager> net_;
    QPointer<QNetworkReply> reply_;
    bool executing_ = false;
    QString full_;
    Ports::BrowserPort* browser_ = nullptr;
    bool capture_ = false;
    int timeoutCap_ = 0;
    QString lastFailure_;
};
