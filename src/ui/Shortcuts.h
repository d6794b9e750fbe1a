#pragma once
// The main window's keyboard shortcuts, in one place for the window, its tooltips and the help
// page.

#include <QKeySequence>
#include <QString>

class QWidget;

namespace Shortcuts {

inline QKeySequence Reload() {
    return QKeySequence(Qt::Key_F5);
}
inline QKeySequence Options() {
    return QKeySequence(Qt::CTRL | Qt::Key_Comma);
}
inline QKeySequence FocusSearch() {
    return QKeySequence(Qt::CTRL | Qt::Key_F);
}
inline QKeySequence Quit() {
    return QKeySequence(Qt::CTRL | Qt::Key_Q);
}
// In the search box: empties it.
inline QKeySequence ClearSearch() {
    return QKeySequence(Qt::Key_Escape);
}

// "Ctrl+," and the like, the same on every desktop.
QString KeyText(const QKeySequence& key);
// A tip with its key after it: "今すぐニュースを取得（F5）".
QString WithKey(const QString& tip, const QString& keys);
// Puts the keys into the widget's tooltip and accessible description.
void AddKeysToTip(QWidget* widget, const QString& keys);

} // namespace Shortcuts
