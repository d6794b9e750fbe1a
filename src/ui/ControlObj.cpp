#include "ui/ControlObj.h"

#include "text/Common.h"

#include <QLineEdit>
#include <QWidget>

namespace ControlObj {

const QStringList& UiFontPatterns() {
    static const QStringList patterns{
        QStringLiteral("Label*"),  QStringLiteral("Text*"),     QStringLiteral("Command*"),
        QStringLiteral("Option*"), QStringLiteral("Check*"),    QStringLiteral("Combo*"),
        QStringLiteral("List*"),   QStringLiteral("DTPicker*"), QStringLiteral("Grid*"),
        QStringLiteral("Tab*"),    QStringLiteral("Tree*"),     QStringLiteral("SBar*"),
        QStringLiteral("Frame*")};
    return patterns;
}

bool TakesUiFont(const QString& objectName) {
    for (const QString& pattern : UiFontPatterns()) {
        if (Common::IsLike(objectName, pattern))
            return true;
    }
    return false;
}

void ApplyUiFont(QWidget* window, const QString& fontName) {
    if (!window || fontName.isEmpty())
        return;
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (!TakesUiFont(control->objectName()))
            continue;
        QFont font = control->font();
        font.setFamily(fontName);
        control->setFont(font);
    }
}

void SelectAllText(QLineEdit* box) {
    if (box)
        box->setSelection(0, box->text().size());
}

QString ChooseUiFontName(const QStringList& installedFamilies) {
    for (const QString& candidate :
         {QStringLiteral("MeiryoKe_UIGothic"), QStringLiteral("Meiryo UI")}) {
        if (installedFamilies.contains(candidate, Qt::CaseSensitive))
            return candidate;
    }
    return QString();
}

} // namespace ControlObj
