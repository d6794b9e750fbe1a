#pragma once
// What every control is called: its caption, the name a screen reader speaks and the description
// (also its tooltip), in one table for all windows; and the pieces that let a keyboard or an
// assistive technology reach and run every command the way a mouse does.

#include "app/Commands.h"

#include <QString>
#include <functional>

class QAction;
class QObject;
class QPoint;
class QToolBar;
class QWidget;

namespace Accessibility {

struct Names {
    QString text;        // the caption on the screen
    QString name;        // what assistive technology reads out
    QString description; // also the tooltip
    QString icon;        // a command's picture in the image registry
};

// The names of a command, a panel, or another control by its object name ("CheckProxyUse",
// "TextWord0" … "TextWord12"). Empty names for an object name the table does not know.
Names Of(App::Command command);
Names Of(App::MenuCommand command);
Names Of(App::HeadlineCommand command);
Names Of(App::Panel panel);
Names Of(const QString& objectName);
bool Known(const QString& objectName);

// Gives the widget its accessible name, accessible description and tooltip from the table. A
// view that shows tips of its own (the grid's titles, a page's links) takes no tooltip.
enum class Tip { Show, None };
void Name(QWidget* widget, const QString& objectName, Tip tip = Tip::Show);
void Name(QWidget* widget, App::Command command, Tip tip = Tip::Show);

// Runs the command on a click, a key, or assistive technology's Press or Toggle. A check-style
// action is followed by its state: an AT Toggle changes the state without a click. A state that
// the program sets itself runs nothing (MainWindowPorts::SetButtonPressed blocks the signal).
void ConnectCommand(QAction* action, QObject* context, std::function<void()> run);

// Names the tool bar, its overflow button and every button of its actions by their commands (the
// actions' data), and puts them all in the Tab chain.
void PrepareToolBar(QToolBar* bar);

// The keyboard's way to a context menu (the Menu key, Shift+F10) on a view that opens its menu
// from a right mouse press: the press is sent to `open` at the centre of the current cell.
void ForwardKeyboardContextMenu(QWidget* view, std::function<void(const QPoint& viewportPos)> open);

} // namespace Accessibility
