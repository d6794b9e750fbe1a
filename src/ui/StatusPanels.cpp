#include "ui/StatusPanels.h"

#include "ui/Accessibility.h"
#include "ui/ImageRegistry.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSizeGrip>

StatusPanels::StatusPanels(const ImageRegistry* images, QWidget* parent)
    : QStatusBar(parent), images_(images) {
    setSizeGripEnabled(true);
    if (auto* grip = findChild<QSizeGrip*>())
        Accessibility::Name(grip, QStringLiteral("SizeGrip"));
}

void StatusPanels::AddPanel(App::Panel which, bool stretch, int minimumWidth) {
    if (HasPanel(which))
        return;
    Panel panel;
    auto* frame = new QWidget(this);
    frame->setProperty("panel", int(which));
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(3);
    panel.picture = new QLabel(frame);
    panel.picture->setFixedSize(16, 16);
    panel.picture->hide();
    panel.text = new QLabel(frame);
    panel.text->setTextFormat(Qt::PlainText);
    layout->addWidget(panel.picture);
    layout->addWidget(panel.text, 1);
    if (minimumWidth > 0)
        frame->setMinimumWidth(minimumWidth);
    panel.frame = frame;
    // Read out under its own name; the tip, when the program sets one, is its description.
    const Accessibility::Names names = Accessibility::Of(which);
    frame->setAccessibleName(names.name);
    frame->setAccessibleDescription(names.description);
    panel.picture->setAccessibleName(names.name);
    // The labels ignore mouse releases, so a click anywhere in the panel reaches the frame.
    frame->installEventFilter(this);
    if (stretch) {
        // Without this the label's sizeHint would grow the window for a long message.
        panel.text->setMinimumWidth(1);
        panel.text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    addPermanentWidget(frame, stretch ? 1 : 0);
    panels_[which] = panel;
    order_.append(which);
}

void StatusPanels::AddStandardPanels() {
    AddPanel(App::Panel::Message, true);
    AddPanel(App::Panel::New, false, 24);
    AddPanel(App::Panel::Net, false, 56);
    // The one panel with a command: reached by Tab and run with Space or Enter as well.
    panelWidget(App::Panel::New)->setFocusPolicy(Qt::TabFocus);
}

const StatusPanels::Panel* StatusPanels::Find(App::Panel panel) const {
    const auto it = panels_.find(panel);
    return it == panels_.end() ? nullptr : &it->second;
}

void StatusPanels::setText(App::Panel panel, const QString& text) {
    if (const Panel* p = Find(panel))
        p->text->setText(text);
}

QString StatusPanels::text(App::Panel panel) const {
    const Panel* p = Find(panel);
    return p ? p->text->text() : QString();
}

void StatusPanels::setTip(App::Panel panel, const QString& tip) {
    if (const Panel* p = Find(panel)) {
        // The whole panel shows the tip, not just the part under the text.
        p->frame->setToolTip(tip);
        p->picture->setToolTip(tip);
        p->text->setToolTip(tip);
        // A cleared tip gives the panel its own description back rather than an old tip.
        const QString description = tip.isEmpty() ? Accessibility::Of(panel).description : tip;
        p->frame->setAccessibleDescription(description);
        p->picture->setAccessibleDescription(description);
    }
}

QString StatusPanels::tip(App::Panel panel) const {
    const Panel* p = Find(panel);
    return p ? p->frame->toolTip() : QString();
}

void StatusPanels::setPicture(App::Panel panel, const QString& imageKey) {
    auto it = panels_.find(panel);
    if (it == panels_.end())
        return;
    Panel& p = it->second;
    p.pictureKey = imageKey;
    QPixmap pm;
    if (images_ && !imageKey.isEmpty())
        pm = images_->Pixmap(imageKey, QSize(16, 16), devicePixelRatioF());
    p.picture->setPixmap(pm);
    p.picture->setVisible(!pm.isNull());
}

QString StatusPanels::picture(App::Panel panel) const {
    const Panel* p = Find(panel);
    return p ? p->pictureKey : QString();
}

void StatusPanels::setPanelEnabled(App::Panel panel, bool enabled) {
    if (const Panel* p = Find(panel))
        p->frame->setEnabled(enabled);
}

bool StatusPanels::panelEnabled(App::Panel panel) const {
    const Panel* p = Find(panel);
    // isEnabledTo: a hidden or disabled status bar does not change the panel's own state.
    return p && p->frame->isEnabledTo(const_cast<StatusPanels*>(this));
}

QWidget* StatusPanels::panelWidget(App::Panel panel) const {
    const Panel* p = Find(panel);
    return p ? p->frame : nullptr;
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QVariant panel = watched->property("panel");
        if (panel.isValid() &&
            (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            emit clicked(App::Panel(panel.toInt()));
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        // A disabled panel still reports its click: the indicator is clicked while it is off.
        if (me->button() == Qt::LeftButton) {
            const QVariant panel = watched->property("panel");
            if (panel.isValid())
                emit clicked(App::Panel(panel.toInt()));
        }
    }
    return QStatusBar::eventFilter(watched, event);
}
