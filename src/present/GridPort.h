#pragma once
// What the table builder needs from the screen: font metrics and a system colour. ui/ gives the
// real ones; tests and the quiet default give fixed values.

#include "present/GridModel.h"

namespace Present {

class GridPort {
public:
    virtual ~GridPort() = default;
    // Pixel height and width of text drawn in the font.
    virtual int TextHeight(const QString& text, const GridFont& font) const = 0;
    virtual int TextWidth(const QString& text, const GridFont& font) const = 0;
    // The system colour of button shadows.
    virtual Rgb ButtonShadowColor() const = 0;
    // Twips per screen pixel (15 at 96 dpi).
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
};

// A screenless estimate: the height and width of text from the point size at 96 dpi.
class FixedGridPort : public GridPort {
public:
    int TextHeight(const QString& text, const GridFont& font) const override;
    int TextWidth(const QString& text, const GridFont& font) const override;
    Rgb ButtonShadowColor() const override { return MakeRgb(160, 160, 160); }
    double TwipsPerPixelX() const override { return 15.0; }
    double TwipsPerPixelY() const override { return 15.0; }
};

// nullptr restores the default. The caller keeps ownership.
void SetGridPort(GridPort* port);
GridPort& Grid();

} // namespace Present
