#include "ui/FormView.h"

#include "ui/Accessibility.h"
#include "ui/ControlObj.h"
#include "ui/ImageRegistry.h"
#include "ui/StatusPanels.h"
#include "ui/WebEngineBrowser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

FormView::FormView(const QString& uiFontName, QWidget* parent)
    : QWidget(parent, Qt::Window), images_(std::make_unique<ImageRegistry>()) {
    setObjectName(QStringLiteral("FormView"));
    // Until a headline gives it its title; a window without one has no name to be found by.
    setWindowTitle(Accessibility::Of(QStringLiteral("FormView")).name);
    setAttribute(Qt::WA_DeleteOnClose);
    // Only the main window's close ends the program, even when it sits in the tray.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The viewer is placed beside the main window without taking the keyboard from it; the user
    // clicks into the page to read it with the keys.
    setAttribute(Qt::WA_ShowWithoutActivating);

    webMain_ = new WebEngineBrowser(this);
    webMain_->View()->setObjectName(QStringLiteral("WebMain"));
    Accessibility::Name(webMain_->View(), QStringLiteral("WebMain"), Accessibility::Tip::None);
    sBar_ = new StatusPanels(images_.get(), this);
    sBar_->setObjectName(QStringLiteral("SBar"));
    Accessibility::Name(sBar_, QStringLiteral("ViewSBar"));
    sBar_->AddPanel(App::Panel::Message, true);
    sBar_->AddPanel(App::Panel::Net, false, 24);
    sBar_->setPicture(App::Panel::Net, QStringLiteral("LAMP_OFF"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(webMain_->View(), 1);
    layout->addWidget(sBar_);

    ControlObj::ApplyUiFont(this, uiFontName);
    ConfigureBrowserControl(webMain_->View(), true);
    ApplySizeLimits();

    // Armed by a completed document only, so an idle viewer has no timer running.
    timerWeb_.setInterval(FocusDelayMs);
    timerWeb_.setSingleShot(true);
    connect(&timerWeb_, &QTimer::timeout, this, &FormView::TimerWeb_Timer);

    connect(webMain_, &WebEngineBrowser::statusText, this,
            [this](const QString& text) { sBar_->setText(App::Panel::Message, text); });
    connect(webMain_, &WebEngineBrowser::busyChanged, this, [this](bool busy) {
        sBar_->setPicture(App::Panel::Net,
                          busy ? QStringLiteral("LAMP_ON") : QStringLiteral("LAMP_OFF"));
    });
    connect(webMain_, &WebEngineBrowser::documentComplete, this,
            &FormView::WebMain_DocumentComplete);
    connect(webMain_, &WebEngineBrowser::pageKeyPressed, this,
            [this](int key, Qt::KeyboardModifiers) { WebMain_KeyDown(key); });
}

FormView::~FormView() = default;

void FormView::ApplySizeLimits() {
    QScreen* where = windowHandle() ? windowHandle()->screen() : screen();
    if (!where)
        where = QGuiApplication::primaryScreen();
    setMinimumSize(MinimumWidth, MinimumHeight);
    if (where)
        setMaximumSize(where->size().expandedTo(minimumSize()));
}

void FormView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &FormView::ApplySizeLimits,
                Qt::UniqueConnection);
    }
    ApplySizeLimits();
}

void FormView::WebMain_DocumentComplete() {
    // Only the top-level document gets here; frames finishing later leave the focus alone.
    pendingFocus_ = true;
    timerWeb_.start();
    emit documentComplete();
}

void FormView::TimerWeb_Timer() {
    if (!pendingFocus_)
        return;
    pendingFocus_ = false;
    webMain_->FocusPage();
}

void FormView::WebMain_KeyDown(int key) {
    if (key != Qt::Key_Q || closeAsked_)
        return;
    // The key reached the page too: it closes us only when the page was not taking typing.
    QPointer<FormView> self(this);
    webMain_->QueryEditableFocus([self](bool editable) {
        if (self && !editable && !self->closeAsked_) {
            self->closeAsked_ = true;
            self->close();
        }
    });
}

void FormView::keyPressEvent(QKeyEvent* event) {
    // Keys the page passes on arrive here as well; those were judged in WebMain_KeyDown.
    QWidget* focus = QApplication::focusWidget();
    const bool fromPage =
        focus && (focus == webMain_->View() || webMain_->View()->isAncestorOf(focus));
    if (event->key() == Qt::Key_Q && !fromPage && !closeAsked_) {
        closeAsked_ = true;
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
