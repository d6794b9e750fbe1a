#include "ui/ArticleViewer.h"

#include "app/SettingsState.h"
#include "ui/FormView.h"
#include "ui/ShellLaunch.h"
#include "ui/WebEngineBrowser.h"
#include "web/clsWEB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The engine frees the closed viewer's pages over the next moments; the allocator would keep
// the freed heap for the process unless asked to give it back.
constexpr int TrimDelayMs = 3000;

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

ArticleViewer::ArticleViewer(QWidget* mainWindow, const Program::SettingsState& settings,
                             clsWEB& viewerWeb, QObject* parent)
    : QObject(parent), main_(mainWindow), settings_(settings), viewerWeb_(viewerWeb) {}

ArticleViewer::~ArticleViewer() {
    CloseViewer();
}

FormView* ArticleViewer::View() const {
    return view_;
}

bool ArticleViewer::IsViewerAddress(const QString& url) {
    return !url.isEmpty() && SilentPage::IsAllowedScheme(QUrl(url));
}

bool ArticleViewer::OpenArticle(const QString& url, QString* message) {
    if (message)
        message->clear();
    // Addresses come from downloaded pages: nothing but pages and files is handed on.
    if (!IsViewerAddress(url)) {
        if (message)
            *message = RefusedAddressMessage(url);
        return false;
    }
    const QString browserPath = settings_.BrowserPath;
    // The program's own pages belong with the program, not in another browser's window.
    if (!browserPath.isEmpty() && !IsBundledPage(url)) {
        return ShellLaunch::LaunchApplication_by_File(
            main_, browserPath, QStringLiteral("\"") + url + QStringLiteral("\""), QString(), true);
    }

    ShowInViewer(url, settings_.ViewerPosition);
    return true;
}

bool ArticleViewer::ShowInViewer(const QString& url, int viewerPosition, QString* message) {
    if (message)
        message->clear();
    if (!IsViewerAddress(url)) {
        if (message)
            *message = RefusedAddressMessage(url);
        return false;
    }
    FormView* view = EnsureView();
    viewerWeb_.PageNavigate(url);

    QRect mainFrame;
    QScreen* screen = nullptr;
    QSize margins;
    if (main_) {
        mainFrame = main_->frameGeometry();
        screen = main_->screen();
        margins = main_->frameGeometry().size() - main_->size();
    }
    if (view->isVisible())
        margins = view->frameGeometry().size() - view->size();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect place =
        ViewerGeometry(mainFrame, viewerPosition, screen ? screen->availableGeometry() : QRect());
    view->resize(place.size() - margins);
    view->move(place.topLeft());
    if (!view->isVisible())
        view->show();
    return true;
}

FormView* ArticleViewer::EnsureView() {
    if (view_)
        return view_;
    view_ = new FormView(uiFontName_);
    WebEngineBrowser* browser = view_->WebMain();
    Ports::BrowserPort* port = browser;
    viewerWeb_.SetBrowser(port);
    connect(view_, &FormView::documentComplete, this,
            [this] { viewerWeb_.Web_DocumentComplete(); });
    // The browser goes with its window; ViewerWeb must not keep pointing at it.
    connect(browser, &QObject::destroyed, this, [this, port] {
        if (viewerWeb_.Browser() == port)
            viewerWeb_.SetBrowser(nullptr);
        QTimer::singleShot(TrimDelayMs, this, [] { ReturnFreedMemory(); });
    });
    emit viewerCreated(view_);
    return view_;
}

void ArticleViewer::SetCaption(const QString& caption) {
    if (view_)
        view_->setWindowTitle(caption);
}

void ArticleViewer::CloseViewer() {
    if (view_)
        view_->close();
}

QRect ViewerGeometry(QRect mainFrame, int viewerPosition, QRect screen) {
    QSize size =
        mainFrame.size().expandedTo(QSize(FormView::MinimumWidth, FormView::MinimumHeight));
    if (screen.isValid())
        size = size.boundedTo(screen.size());
    QPoint at = viewerPosition == 0 ? QPoint(mainFrame.left(), mainFrame.top() + mainFrame.height())
                                    : QPoint(mainFrame.left() + mainFrame.width(), mainFrame.top());
    if (screen.isValid()) {
        at.setX(qBound(screen.left(), at.x(), screen.left() + screen.width() - size.width()));
        at.setY(qBound(screen.top(), at.y(), screen.top() + screen.height() - size.height()));
    }
    return QRect(at, size);
}

QString BundledFolder(const QString& name) {
    if (name.isEmpty())
        return QString();
    QStringList candidates{QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/tickerwisp/") + name};
#ifdef TW_SOURCE_DIR
    candidates << QStringLiteral(TW_SOURCE_DIR) + QStringLiteral("/resources/") + name;
#endif
    for (const QString& folder : candidates) {
        if (QFileInfo(folder).isDir())
            return QDir::cleanPath(folder);
    }
    return QString();
}

bool IsBundledPage(const QString& url) {
    const QString folder = BundledSiteFolder();
    const QUrl address(url);
    if (folder.isEmpty() || !address.isLocalFile())
        return false;
    const QString file = QDir::cleanPath(address.toLocalFile());
    return file.startsWith(folder + QLatin1Char('/'));
}
