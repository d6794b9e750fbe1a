#include "ui/WebEngineBrowser.h"

#include <QChildEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWebEngineHttpRequest>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

// Our own scripts run in a world of their own, out of reach of the page's scripts.
constexpr quint32 OwnWorld = QWebEngineScript::ApplicationWorld;

// Follows the focus through frames of the same origin; a frame we cannot enter counts as
// editable, so a Q typed into it is never taken as ours.
const char* const EditableFocusScript = R"JS(
(function () {
  var el = document.activeElement;
  for (var depth = 0; el && depth < 16; ++depth) {
    var tag = (el.tagName || '').toUpperCase();
    if (tag !== 'IFRAME' && tag !== 'FRAME') break;
    var doc = null;
    try { doc = el.contentDocument; } catch (e) { doc = null; }
    if (!doc) return true;
    el = doc.activeElement;
  }
  if (!el) return false;
  if (el.isContentEditable) return true;
  var tag = (el.tagName || '').toUpperCase();
  if (tag === 'TEXTAREA' || tag === 'SELECT') return true;
  if (tag !== 'INPUT') return false;
  var type = (el.type || 'text').toLowerCase();
  return ['button', 'checkbox', 'radio', 'submit', 'reset', 'image', 'file', 'color',
          'range', 'hidden'].indexOf(type) < 0;
})()
)JS";

bool IsDragEvent(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave ||
           type == QEvent::Drop;
}

// Keeps a view and every widget it grows (the engine replaces its render widget on some
// navigations) from taking drops, so a dropped file never replaces the page.
class DropBlocker : public QObject {
public:
    explicit DropBlocker(QWebEngineView* view) : QObject(view) { Watch(view); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded)
            Watch(static_cast<QChildEvent*>(event)->child());
        return IsDragEvent(event->type()) || QObject::eventFilter(watched, event);
    }

private:
    void Watch(QObject* object) {
        if (!object || !object->isWidgetType() || object->property("twDropsBlocked").toBool())
            return;
        object->setProperty("twDropsBlocked", true);
        static_cast<QWidget*>(object)->setAcceptDrops(false);
        object->installEventFilter(this);
        for (QObject* child : object->children())
            Watch(child);
    }
};

} // namespace

// --- SilentPage -------------------------------------------------------------------------------

SilentPage::SilentPage(QObject* parent) : QWebEnginePage(parent) {}

bool SilentPage::IsAllowedScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

QString RefusedAddressMessage(const QString& url) {
    return QStringLiteral("このアドレスは開けません: ") + url.left(200);
}

QWebEnginePage* SilentPage::createWindow(WebWindowType) {
    // No new window: the engine drops the request and the page stays where it is.
    emit popupRefused();
    return nullptr;
}

void SilentPage::javaScriptAlert(const QUrl& origin, const QString& msg) {
    if (!silent_)
        QWebEnginePage::javaScriptAlert(origin, msg);
}

bool SilentPage::javaScriptConfirm(const QUrl& origin, const QString& msg) {
    return !silent_ && QWebEnginePage::javaScriptConfirm(origin, msg);
}

bool SilentPage::javaScriptPrompt(const QUrl& origin, const QString& msg,
                                  const QString& defaultValue, QString* result) {
    return !silent_ && QWebEnginePage::javaScriptPrompt(origin, msg, defaultValue, result);
}

void SilentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                          const QString&) {}

bool SilentPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // Frames start out on about:blank; that is no address of anybody's.
    if (url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data")) {
        if (!isMainFrame)
            return true;
    }
    if (!IsAllowedScheme(url)) {
        emit navigationRefused(RefusedAddressMessage(url.toDisplayString()));
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

// --- WebEngineBrowser -------------------------------------------------------------------------

WebEngineBrowser::WebEngineBrowser(QWidget* viewParent) : QObject(viewParent) {
    view_ = new QWebEngineView(viewParent);
    page_ = new SilentPage(view_);
    view_->setPage(page_);
    Watch(view_);

    connect(page_, &SilentPage::navigationRefused, this, &WebEngineBrowser::statusText);
    connect(page_, &QWebEnginePage::linkHovered, this,
            [this](const QString& url) { emit statusText(url); });
    connect(page_, &QWebEnginePage::loadStarted, this, [this] {
        ++generation_;
        loading_ = true;
        emit busyChanged(true);
    });
    connect(page_, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::LoadFinished);
}

WebEngineBrowser::~WebEngineBrowser() = default;

void WebEngineBrowser::Watch(QObject* object) {
    if (!object || !object->isWidgetType() || object->property("twKeysWatched").toBool())
        return;
    object->setProperty("twKeysWatched", true);
    object->installEventFilter(this);
    for (QObject* child : object->children())
        Watch(child);
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        Watch(static_cast<QChildEvent*>(event)->child());
    } else if (event->type() == QEvent::KeyPress && watched != view_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            emit pageKeyPressed(key->key(), key->modifiers());
    }
    return QObject::eventFilter(watched, event);
}

void WebEngineBrowser::Navigate(const QString& url, bool noCache) {
    const QUrl address = QUrl::fromUserInput(url);
    if (!SilentPage::IsAllowedScheme(address)) {
        emit statusText(RefusedAddressMessage(url));
        return;
    }
    if (!noCache) {
        page_->load(address);
        return;
    }
    QWebEngineHttpRequest request(address);
    request.setHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-cache"));
    request.setHeader(QByteArrayLiteral("Pragma"), QByteArrayLiteral("no-cache"));
    page_->load(request);
}

void WebEngineBrowser::SetVisible(bool visible) {
    view_->setVisible(visible);
}

void WebEngineBrowser::LoadFinished(bool) {
    loading_ = false;
    emit busyChanged(false);
    // The body is read back from the engine asynchronously; both parts belong to this load only.
    const quint64 generation = generation_;
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(QStringLiteral("document.body ? document.body.outerHTML : ''"), OwnWorld,
                         [self, generation](const QVariant& html) {
                             if (!self || self->generation_ != generation)
                                 return;
                             self->page_->runJavaScript(
                                 QStringLiteral("document.body ? document.body.innerText : ''"),
                                 OwnWorld, [self, generation, html](const QVariant& text) {
                                     if (!self || self->generation_ != generation)
                                         return;
                                     self->bodyHtml_ = html.toString();
                                     self->bodyText_ = text.toString();
                                     emit self->documentComplete();
                                 });
                         });
}

void WebEngineBrowser::QueryEditableFocus(std::function<void(bool)> answer) {
    page_->runJavaScript(QString::fromUtf8(EditableFocusScript), OwnWorld,
                         [answer](const QVariant& editable) { answer(editable.toBool()); });
}

void WebEngineBrowser::FocusPage() {
    // The engine passes the widget's focus on to the document; a script's window.focus() would
    // come back later and take the focus from wherever the user has put it since.
    view_->setFocus(Qt::OtherFocusReason);
}

void ConfigureBrowserControl(QWebEngineView* view, bool silent) {
    if (!view)
        return;
    // A QWebEngineView has no status, tool or menu bar of its own: nothing to switch off.
    if (!view->property("twDropBlocker").toBool()) {
        view->setProperty("twDropBlocker", true);
        new DropBlocker(view);
    }
    // Only our own page class can be kept quiet; another page keeps its dialogs.
    if (auto* page = qobject_cast<SilentPage*>(view->page()))
        page->SetSilent(silent);
}
