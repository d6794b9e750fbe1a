#pragma once
// SYSTEM.INI and the search history: reading them into a SettingsState and writing them
// back, and where the main window goes when the program starts.

#include "app/SettingsState.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace Program {

// AppDataFolder() + "/SYSTEM.INI" and AppDataFolder() + "/Data/検索.INI".
QString SettingsFilePath();
QString SearchHistoryPath();

// One value; file "" is the settings file. At most 1023 characters, cut at the first NUL.
QString ReadIni(const QString& section, const QString& key, const QString& defaultValue,
                const QString& file = QString());
bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& file = QString());

// Text to boolean as the settings file holds it: "True"/"False" in any case, or a number
// (non-zero is true). Anything else gives std::nullopt.
std::optional<bool> ParseBool(const QString& text);

// Reads the whole settings file into s.
void LoadSettings(SettingsState& s);

// The main window as SaveSettings writes it, outer geometry in twips.
struct FormGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    // Shaded to its tool bar: the remembered full height is written instead of height.
    bool collapsedToToolBar = false;
    int fullHeight = 0;
    // The geometry above is the normal one the maximised window restores to.
    bool maximized = false;
};

struct SearchHistory {
    QString current;
    QStringList items;
};

// Writes s and the window geometry (which it also keeps in s) in one replace of the settings file
// (lines and keys it does not know are kept), then the search history when one is given.
bool SaveSettings(SettingsState& s, const FormGeometry& form,
                  const SearchHistory* history = nullptr);

// file "" is SearchHistoryPath(). std::nullopt when there is no file. Leading lines beginning
// with "//" are skipped; stripComments cuts every list entry before its "//" and trims it.
std::optional<SearchHistory> LoadSearchHistory(const QString& file, bool stripComments);
bool SaveSearchHistory(const QString& file, const QString& current, const QStringList& items);
// Index of the list entry equal to the current text, -1 when none.
int SelectedHistoryIndex(const SearchHistory& history);

// Window placement at start-up.
enum class WindowState { Normal, Minimized, Maximized };

struct PlacementInput {
    WindowState state = WindowState::Normal;
    // The window's current outer geometry, twips.
    int left = 0, top = 0, width = 0, height = 0;
    // From the settings file; a missing one keeps the current value.
    std::optional<int> newLeft, newTop, newWidth, newHeight;
    // Monitor rectangles and the primary screen's size, pixels.
    QList<QRect> monitors;
    int screenWidthPx = 0, screenHeightPx = 0;
    double twipsPerPixelX = 15.0, twipsPerPixelY = 15.0;
};

struct PlacementResult {
    bool move = false;
    int left = 0, top = 0, width = 0, height = 0;
    bool maximize = false;
};

PlacementResult ApplyWindowPlacement(const PlacementInput& in);

// The "FORM MAIN" values of the settings, each missing one given its first-start default: a
// 640 x 480 pixel window in the middle of the screen.
struct FormMainValues {
    int left, top, width, height;
};
FormMainValues FormMainWithDefaults(const SettingsState& settings, int screenWidthPx,
                                    int screenHeightPx, double twipsPerPixelX,
                                    double twipsPerPixelY);

// Twips per pixel for a logical dpi: 15 at 96 dpi.
double TwipsPerPixel(double logicalDpi);

} // namespace Program
