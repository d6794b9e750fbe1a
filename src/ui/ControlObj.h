#pragma once
// Helpers that every window shares: the user-interface font and select-all in text boxes.

#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace ControlObj {

// The object-name patterns of the controls that take the user-interface font.
const QStringList& UiFontPatterns();
bool TakesUiFont(const QString& objectName);

// Sets the font family of every matching control of window; size, weight and slant stay.
// An empty name changes nothing.
void ApplyUiFont(QWidget* window, const QString& fontName);

void SelectAllText(QLineEdit* box);

// "MeiryoKe_UIGothic" when installed, else "Meiryo UI", else "". Names compare exactly.
QString ChooseUiFontName(const QStringList& installedFamilies);

} // namespace ControlObj
