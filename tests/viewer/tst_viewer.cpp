#include "app/SettingsState.h"
#include "ui/ArticleViewer.h"
#include "ui/FormView.h"
#include "ui/StatusPanels.h"
#include "ui/WebEngineBrowser.h"
#include "web/clsWEB.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEngineView>

namespace {

// Serves fixed pages on loopback and remembers which paths were asked for.
class PageServer : public QTcpServer {
public:
    QHash<QString, QByteArray> pages;
    QStringList served;

    PageServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

private:
    void Answer(QTcpSocket* socket) {
        const QByteArray head = socket->peek(8192);
        if (!head.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const QString path = QString::fromLatin1(head.split(' ').value(1));
        served.append(path);
        const bool found = pages.contains(path);
        const QByteArray body = found ? pages.value(path) : QByteArray("<p>missing</p>");
        socket->write((found ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n") +
                      QByteArray("Content-Type: text/html; charset=utf-8\r\nContent-Length: ") +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

// Notes the first paint of a widget after it was armed.
class PaintWatch : public QObject {
public:
    bool armed = false;
    qint64 paintedAt = -1;
    QElapsedTimer* clock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed && paintedAt < 0 &&
            (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest))
            paintedAt = clock->elapsed();
        return QObject::eventFilter(watched, event);
    }
};

bool HasDialog() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<QDialog*>(w) && w->isVisible(); });
}

QVariant RunScript(WebEngineBrowser* browser, const QString& script) {
    QVariant result;
    bool done = false;
    browser->Page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        qWarning("script did not answer: %s", qPrintable(script));
    return result;
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
    PageServer server_;
    QPointer<FormView> view_;
    Program::SettingsState settings_;
    clsWEB viewerWeb_;

    FormView* ShowViewer() {
        view_ = new FormView();
        view_->resize(640, 400);
        view_->show();
        if (!QTest::qWaitForWindowExposed(view_))
            return nullptr;
        return view_;
    }

    bool Load(FormView* view, const QString& path) {
        QSignalSpy complete(view->WebMain(), &WebEngineBrowser::documentComplete);
        view->WebMain()->Navigate(server_.Url(path), true);
        return complete.wait(15000);
    }

private slots:
    void initTestCase() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        // Confirm must answer no and the prompt be cancelled, without anything on the screen.
        server_.pages.insert("/popup", "<html><body><script>window.open('/target', '_blank');"
                                       "alert('a'); var c = confirm('b'); var p = prompt('c', 'd');"
                                       "document.title = c + ':' + p; noSuchFunction();</script>"
                                       "</body></html>");
        server_.pages.insert("/text",
                             "<html><head><title>text</title></head><body>"
                             "<p>記事の本文 body</p><input id='t' type='text'></body></html>");
        server_.pages.insert("/frames", "<html><body><p>outer</p><iframe src='/inner1'></iframe>"
                                        "</body></html>");
        server_.pages.insert("/inner1", "<html><body>inner one</body></html>");
        server_.pages.insert("/inner2", "<html><body>inner two</body></html>");
    }

    void init() { settings_ = Program::SettingsState(); }

    void cleanup() {
        delete view_;
        viewerWeb_.SetBrowser(nullptr);
    }

    void pageOpensNoWindowOrDialog() {
        FormView* view = ShowViewer();
        QVERIFY(view);
        const int windows = QApplication::topLevelWidgets().size();
        QSignalSpy refused(view->WebMain()->Page(), &SilentPage::popupRefused);
        QVERIFY(Load(view, "/popup"));
        QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, 5000);
        QTest::qWait(300);
        QCOMPARE(view->WebMain()->View()->url(), QUrl(server_.Url("/popup")));
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QVERIFY(!server_.served.contains("/target"));
        QCOMPARE(view->WebMain()->View()->title(), QStringLiteral("false:null"));
        QVERIFY(!HasDialog());
    }

    // Assistive technology finds the window, the page and the status panels by name; the page and
    // the panels carry a description.
    void controlsNamed() {
        FormView* view = ShowViewer();
        QVERIFY(view);
        QList<QWidget*> pieces{view->WebMain()->View(), view->SBar()};
        for (App::Panel panel : view->SBar()->Panels())
            pieces << view->SBar()->panelWidget(panel);
        for (QWidget* piece : pieces) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(piece);
            QVERIFY(iface);
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), piece->metaObject()->className());
            QVERIFY2(!iface->text(QAccessible::Description).isEmpty(),
                     qPrintable(iface->text(QAccessible::Name)));
        }
        // The window is found by its title before a headline gives it one.
        QCOMPARE(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name),
                 QStringLiteral("記事ビューワ"));
    }

    void qClosesViewer_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("inTextField");
        QTest::newRow("plain") << int(Qt::NoModifier) << false;
        QTest::newRow("shift") << int(Qt::ShiftModifier) << false;
        QTest::newRow("typing in a field") << int(Qt::NoModifier) << true;
    }

    void qClosesViewer() {
        QFETCH(int, modifiers);
        QFETCH(bool, inTextField);
        FormView* view = ShowViewer();
        QVERIFY(view);
        view->activateWindow();
        QVERIFY(Load(view, "/text"));
        QWebEngineView* web = view->WebMain()->View();
        QTRY_VERIFY(!view->PendingFocus());
        QTRY_VERIFY(web->isAncestorOf(view->focusWidget()) || web == view->focusWidget());
        if (inTextField)
            RunScript(view->WebMain(), QStringLiteral("document.getElementById('t').focus()"));

        QTest::keyClick(view->focusWidget(), Qt::Key_Q, Qt::KeyboardModifiers(modifiers));
        if (inTextField) {
            QTRY_COMPARE(
                RunScript(view_->WebMain(), "document.getElementById('t').value").toString(),
                QStringLiteral("q"));
            QTest::qWait(300);
            QVERIFY(view_);
        } else {
            QTRY_VERIFY(view_.isNull());
        }
    }

    void dropDoesNotNavigate() {
        FormView* view = ShowViewer();
        QVERIFY(view);
        QVERIFY(Load(view, "/text"));
        QWebEngineView* web = view->WebMain()->View();
        QWidget* target = web->focusProxy() ? web->focusProxy() : web;
        QVERIFY(!target->acceptDrops());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QDir::tempPath() + "/dropped.html")});
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QTest::qWait(1000);
        QCOMPARE(web->url(), QUrl(server_.Url("/text")));
    }

    void focusAfterTopLevelLoadOnly() {
        FormView* view = ShowViewer();
        QVERIFY(view);
        view->activateWindow();
        auto* other = new QLineEdit(view);
        other->show();
        QVERIFY(Load(view, "/frames"));
        QWebEngineView* web = view->WebMain()->View();
        QTRY_VERIFY(!view->PendingFocus());
        QTRY_VERIFY(web->isAncestorOf(view->focusWidget()) || web == view->focusWidget());

        other->setFocus();
        QTRY_COMPARE(view->focusWidget(), other);
        RunScript(view->WebMain(), "document.querySelector('iframe').src = '/inner2'");
        QTRY_VERIFY_WITH_TIMEOUT(server_.served.contains("/inner2"), 5000);
        QTRY_COMPARE(RunScript(view->WebMain(),
                               "document.querySelector('iframe').contentDocument.body.innerText")
                         .toString(),
                     QStringLiteral("inner two"));
        QTest::qWait(3 * FormView::FocusDelayMs);
        QCOMPARE(view->focusWidget(), other);
    }

    void placement_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("expected");
        const QRect main(100, 50, 600, 400);
        QTest::newRow("right") << main << 1 << QRect(700, 50, 600, 400);
        QTest::newRow("below") << main << 0 << QRect(100, 450, 600, 400);
        QTest::newRow("pushed up from the bottom")
            << QRect(0, 900, 600, 400) << 0 << QRect(0, 680, 600, 400);
        QTest::newRow("small main window: minimum size")
            << QRect(0, 0, 200, 100) << 0 << QRect(0, 100, 512, 240);
        QTest::newRow("larger than the screen")
            << QRect(0, 0, 2500, 1200) << 1 << QRect(0, 0, 1920, 1080);
        QTest::newRow("second screen") << QRect(1920, 0, 600, 400) << 1 << QRect(2520, 0, 600, 400);
    }

    void placement() {
        QFETCH(QRect, main);
        QFETCH(int, position);
        QFETCH(QRect, expected);
        // Two screens side by side; the main window's screen is the one holding its left edge.
        const QRect screen =
            main.left() >= 1920 ? QRect(1920, 0, 1920, 1080) : QRect(0, 0, 1920, 1080);
        QCOMPARE(ViewerGeometry(main, position, screen), expected);
    }

    void otherSchemesAreRefused() {
        FormView* view = ShowViewer();
        QVERIFY(view);
        QVERIFY(Load(view, "/text"));
        QSignalSpy status(view->WebMain(), &WebEngineBrowser::statusText);
        view->WebMain()->Navigate(QStringLiteral("javascript:document.title='hit'"), true);
        QTest::qWait(300);
        QCOMPARE(view->WebMain()->View()->title(), QStringLiteral("text"));
        QVERIFY(!status.isEmpty());
        QVERIFY(view->SBar()->text(App::Panel::Message).startsWith("このアドレスは開けません"));
        ArticleViewer viewer(nullptr, settings_, viewerWeb_);
        QString message;
        QVERIFY(!viewer.OpenArticle(QStringLiteral("ftp://127.0.0.1/x"), &message));
        QVERIFY(message.startsWith(QStringLiteral("このアドレスは開けません")));
        QVERIFY(viewer.View() == nullptr);
    }

    void openArticleCapturesAndPaints() {
        QWidget main;
        main.setGeometry(0, 0, 100, 100);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        ArticleViewer viewer(&main, settings_, viewerWeb_);

        // Warm the engine, so the figure is that of an article, not of the engine's start.
        QVERIFY(viewer.OpenArticle(server_.Url("/inner1")));
        view_ = viewer.View();
        QSignalSpy first(view_, &FormView::documentComplete);
        QVERIFY(first.wait(15000));

        QElapsedTimer clock;
        PaintWatch paint;
        paint.clock = &clock;
        QWebEngineView* web = view_->WebMain()->View();
        QWidget* surface = web->focusProxy() ? web->focusProxy() : web;
        surface->installEventFilter(&paint);
        QSignalSpy loaded(view_->WebMain()->Page(), &QWebEnginePage::loadFinished);
        connect(view_->WebMain()->Page(), &QWebEnginePage::loadFinished, &paint,
                [&paint] { paint.armed = true; });
        QSignalSpy complete(view_, &FormView::documentComplete);
        clock.start();
        QVERIFY(viewer.OpenArticle(server_.Url("/text")));
        QCOMPARE(viewer.View(), view_.data()); // kept between articles
        QVERIFY(complete.wait(15000));
        QTRY_VERIFY_WITH_TIMEOUT(paint.paintedAt >= 0, 5000);
        qInfo("viewer_first_paint: %lld ms", paint.paintedAt);

        QVERIFY(viewerWeb_.PageText.contains(QStringLiteral("記事の本文")));
        QVERIFY(viewerWeb_.PageHtml.startsWith(QStringLiteral("<body")));
        QCOMPARE(view_->SBar()->picture(App::Panel::Net), QStringLiteral("LAMP_OFF"));

        // Closed by the user, made anew by the next article. The page goes with the window.
        QPointer<QWebEnginePage> page = view_->WebMain()->Page();
        view_->close();
        QTRY_VERIFY(view_.isNull());
        QVERIFY(page.isNull());
        QVERIFY(viewerWeb_.Browser() == nullptr);
        QVERIFY(viewer.OpenArticle(server_.Url("/text")));
        view_ = viewer.View();
        QVERIFY(view_);
        QVERIFY(viewerWeb_.Browser() == view_->WebMain());
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
