#pragma once
// The embedded browser: a QWebEngineView with a page that never opens a pop-up or a dialog,
// refuses addresses that are not web pages or files, and keeps the loaded body as HTML and text
// for the browser port.

#include "app/Ports.h"

#include <QObject>
#include <QString>
#include <QWebEnginePage>
#include <functional>

class QWebEngineView;

// A page that stays unattended: no pop-ups, no script dialogs, no console noise.
class SilentPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit SilentPage(QObject* parent = nullptr);

    static bool IsAllowedScheme(const QUrl& url);

    // Off: the page's script dialogs show as the engine shows them. Pop-ups stay refused.
    void SetSilent(bool silent) { silent_ = silent; }
    bool Silent() const { return silent_; }

signals:
    void navigationRefused(const QString& message);
    void popupRefused();

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool silent_ = true;
};

// The status text for an address the browser does not open.
QString RefusedAddressMessage(const QString& url);

class WebEngineBrowser : public QObject, public Ports::BrowserPort {
    Q_OBJECT
public:
    // The view is created as a child of viewParent.
    explicit WebEngineBrowser(QWidget* viewParent = nullptr);
    ~WebEngineBrowser() override;

    QWebEngineView* View() const { return view_; }
    SilentPage* Page() const { return page_; }

    // Ports::BrowserPort. An address of another scheme is not loaded (navigationRefused).
    void Navigate(const QString& url, bool noCache) override;
    void SetVisible(bool visible) override;
    // The body of the last completed top-level document.
    QString BodyOuterHtml() const override { return bodyHtml_; }
    QString BodyText() const override { return bodyText_; }

    bool Loading() const { return loading_; }

    // Answers whether the page's keyboard focus is in something that takes typing. A focused
    // frame of another origin counts as editable: we cannot look inside it.
    void QueryEditableFocus(std::function<void(bool)> answer);
    // Moves the keyboard focus into the page.
    void FocusPage();

signals:
    void statusText(const QString& text);
    void busyChanged(bool busy);
    // The top-level document has loaded and its body is captured.
    void documentComplete();
    // A key pressed while the page has the keyboard focus (it reaches the page as well).
    void pageKeyPressed(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* child);
    void LoadFinished(bool ok);

    QWebEngineView* view_ = nullptr;
    SilentPage* page_ = nullptr;
    QString bodyHtml_, bodyText_;
    // Counts loads, so a capture that comes back after the next load started is dropped.
    quint64 generation_ = 0;
    bool loading_ = false;
};

// The unattended state of an embedded browser: no bars (a QWebEngineView has none), not a drop
// target, and with silent no dialogs of the page (the page class takes care of those).
void ConfigureBrowserControl(QWebEngineView* view, bool silent);
