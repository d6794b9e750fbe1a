#include "present/GridPort.h"

#include <cmath>

namespace Present {

namespace {
int EmPixels(const GridFont& font) {
    return int(std::ceil(font.Size * 96.0 / 72.0));
}
GridPort* current = nullptr;
} // namespace

int FixedGridPort::TextHeight(const QString&, const GridFont& font) const {
    return EmPixels(font) + 3;
}

int FixedGridPort::TextWidth(const QString& text, const GridFont& font) const {
    // Wide characters take a full em, the rest half of one.
    int halves = 0;
    for (QChar c : text)
        halves += c.unicode() < 0x2000 ? 1 : 2;
    return (halves * EmPixels(font) + 1) / 2;
}

void SetGridPort(GridPort* port) {
    current = port;
}

GridPort& Grid() {
    static FixedGridPort fallback;
    return current ? *current : fallback;
}

} // namespace Present
