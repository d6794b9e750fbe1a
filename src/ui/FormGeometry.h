#pragma once
// The main window's sizes as plain arithmetic, so they can be checked without a screen.

#include "app/Commands.h"

#include <QString>
#include <Qt>
#include <optional>

namespace FormGeometry {

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// The full, middle and mini window on a screen of the given size in twips; std::nullopt for any
// other entry.
std::optional<TwipsRect> WindowModeRect(App::MenuCommand mode, double screenWidthTw,
                                        double screenHeightTw);

// One shade command. Returns the new outer height in twips, or std::nullopt when nothing
// changes. memory holds the height to come back to.
std::optional<int> ShadeHeight(bool maximized, double barHeightPx, int innerHeightPx,
                               int outerHeightTw, double twipsPerPixelY, int& memory);

// The title column takes what the other columns leave, less 21 pixels, at least 1.
int TitleColumnWidth(int gridWidthPx, int titleLeftPx);

// Alt+1 .. Alt+9 give presets 0 .. 8, Alt+0 preset 9, Alt+Q/W/E presets 10 .. 12; -1 otherwise.
int PresetIndexForKey(int key, Qt::KeyboardModifiers modifiers);

// A folder for a file dialog to start in, ending in "/" so that it is never taken for a file
// name: the folder itself (made when missing), else the nearest folder above it that exists.
QString ExistingFolder(const QString& folder);

// Store index shown in a grid row, and back (row 0 is the header).
inline int StoreIndexOfRow(int uBound, int row) {
    return uBound + 1 - row;
}
inline int RowOfStoreIndex(int uBound, int index) {
    return uBound + 1 - index;
}

} // namespace FormGeometry
