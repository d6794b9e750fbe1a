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

void StatusPanels::AddPanel(const QString& key, bool stretch, int minimumWidth) {
    if (panels_.contains(key))
        return;
    Panel panel;
    auto* frame = new QWidget(this);
    frame->setProperty("panelKey", key);
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
    const Accessibility::Names names = Accessibility::Of(key);
    const QString name = names.name.isEmpty() ? key : names.name;
    frame->setAccessibleName(name);
    frame->setAccessibleDescription(names.description);
    panel.picture->setAccessibleName(name);
    // The labels ignore mouse releases, so a click anywhere in the panel reaches the frame.
    frame->installEventFilter(this);
    if (stretch) {
        // Without this the label's sizeHint would grow the window for a long message.
        panel.text->setMinimumWidth(1);
        panel.text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    addPermanentWidget(frame, stretch ? 1 : 0);
    panels_.insert(key, panel);
    order_.append(key);
}

void StatusPanels::AddStandardPanels() {
    AddPanel(QStringLiteral("メッセージ"), true);
    AddPanel(QStringLiteral("新着"), false, 24);
    AddPanel(QStringLiteral("ビジー：ネット"), false, 56);
    // The one panel with a command: reached by Tab and run with Space or Enter as well.
    panelWidget(QStringLiteral("新着"))->setFocusPolicy(Qt::TabFocus);
}

const StatusPanels::Panel* StatusPanels::Find(const QString& key) const {
    auto it = panels_.constFind(key);
    return it == panels_.constEnd() ? nullptr : &*it;
}

void StatusPanels::setText(const QString& key, const QString& text) {
    if (const Panel* p = Find(key))
        p->text->setText(text);
}

QString StatusPanels::text(const QString& key) const {
    const Panel* p = Find(key);
    return p ? p->text->text() : QString();
}

void StatusPanels::setTip(const QString& key, const QString& tip) {
    if (const Panel* p = Find(key)) {
        // The whole panel shows the tip, not just the part under the text.
        p->frame->setToolTip(tip);
        p->picture->setToolTip(tip);
        p->text->setToolTip(tip);
        if (!tip.isEmpty()) {
            p->frame->setAccessibleDescription(tip);
            p->picture->setAccessibleDescription(tip);
        }
    }
}

QString StatusPanels::tip(const QString& key) const {
    const Panel* p = Find(key);
    return p ? p->frame->toolTip() : QString();
}

void StatusPanels::setPicture(const QString& key, const QString& imageKey) {
    auto it = panels_.find(key);
    if (it == panels_.end())
        return;
    it->pictureKey = imageKey;
    QPixmap pm;
    if (images_ && !imageKey.isEmpty())
        pm = images_->Pixmap(imageKey, QSize(16, 16), devicePixelRatioF());
    it->picture->setPixmap(pm);
    it->picture->setVisible(!pm.isNull());
}

QString StatusPanels::picture(const QString& key) const {
    const Panel* p = Find(key);
    return p ? p->pictureKey : QString();
}

void StatusPanels::setPanelEnabled(const QString& key, bool enabled) {
    if (const Panel* p = Find(key))
        p->frame->setEnabled(enabled);
}

bool StatusPanels::panelEnabled(const QString& key) const {
    const Panel* p = Find(key);
    // isEnabledTo: a hidden or disabled status bar does not change the panel's own state.
    return p && p->frame->isEnabledTo(const_cast<StatusPanels*>(this));
}

QWidget* StatusPanels::panelWidget(const QString& key) const {
    const Panel* p = Find(key);
    return p ? p->frame : nullptr;
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QVariant panel = watched->property("panelKey");
        if (panel.isValid() &&
            (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            emit clicked(panel.toString());
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        // A disabled panel still reports its click: the indicator is clicked while it is off.
        if (me->button() == Qt::LeftButton) {
            const QVariant key = watched->property("panelKey");
            if (key.isValid())
                emit clicked(key.toString());
        }
    }
    return QStatusBar::eventFilter(watched, event);
}
