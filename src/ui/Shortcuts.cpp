#include "ui/Shortcuts.h"

#include <QWidget>

namespace Shortcuts {

QString KeyText(const QKeySequence& key) {
    return key.toString(QKeySequence::PortableText);
}

QString WithKey(const QString& tip, const QString& keys) {
    return tip + QStringLiteral("（") + keys + QStringLiteral("）");
}

void AddKeysToTip(QWidget* widget, const QString& keys) {
    widget->setToolTip(WithKey(widget->toolTip(), keys));
    widget->setAccessibleDescription(WithKey(widget->accessibleDescription(), keys));
}

} // namespace Shortcuts
