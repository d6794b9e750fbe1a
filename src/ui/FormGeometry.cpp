#include "ui/FormGeometry.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace FormGeometry {

std::optional<TwipsRect> WindowModeRect(App::MenuCommand mode, double screenWidthTw,
                                        double screenHeightTw) {
    const int w = static_cast<int>(std::lround(screenWidthTw));
    const int h = static_cast<int>(std::lround(screenHeightTw));
    switch (mode) {
    case App::MenuCommand::WindowFull:
        return TwipsRect{0, 0, w / 2, h};
    case App::MenuCommand::WindowMiddle:
        return TwipsRect{w / 10, h / 8, (w * 4) / 10, (h * 6) / 8};
    case App::MenuCommand::WindowMini:
        return TwipsRect{0, 0, w / 3, h / 4};
    case App::MenuCommand::About:
    case App::MenuCommand::ExportCsv:
        break;
    }
    return std::nullopt;
}

std::optional<int> ShadeHeight(bool maximized, double barHeightPx, int innerHeightPx,
                               int outerHeightTw, double twipsPerPixelY, int& memory) {
    const int bars = static_cast<int>(std::lround(barHeightPx));
    if (maximized)
        return std::nullopt;
    if (innerHeightPx == bars)
        return memory;
    memory = outerHeightTw;
    return static_cast<int>(std::lround((bars - innerHeightPx) * twipsPerPixelY)) + outerHeightTw;
}

int TitleColumnWidth(int gridWidthPx, int titleLeftPx) {
    return std::max(1, gridWidthPx - 21 - titleLeftPx);
}

int PresetIndexForKey(int key, Qt::KeyboardModifiers modifiers) {
    // Alt alone; the keypad flag does not count as a modifier.
    if ((modifiers & ~Qt::KeypadModifier) != Qt::AltModifier)
        return -1;
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return key - Qt::Key_1;
    switch (key) {
    case Qt::Key_0:
        return 9;
    case Qt::Key_Q:
        return 10;
    case Qt::Key_W:
        return 11;
    case Qt::Key_E:
        return 12;
    default:
        return -1;
    }
}

QString ExistingFolder(const QString& folder) {
    if (folder.isEmpty())
        return QString();
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo(path).isDir())
        QDir().mkpath(path);
    while (!QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).path();
        if (up == path)
            return QString();
        path = up;
    }
    return path.endsWith(u'/') ? path : path + u'/';
}

} // namespace FormGeometry
