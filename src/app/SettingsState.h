#pragma once
// The user's settings as the whole program reads them. LoadSettings fills it from SYSTEM.INI,
// SaveSettings writes it back; the program's session owns the one copy.

#include <QString>
#include <QStringList>

namespace Program {

struct SettingsState {
    // "FORM MAIN", twips; -1 = missing (the placement uses the window's current value)
    int FormLeft = -1, FormTop = -1, FormWidth = -1, FormHeight = -1;
    // Closed maximised; the four values above are then the size it restores to.
    bool FormMaximized = false;
    // "OPTION"
    QString BrowserPath;
    QString SoundFile;
    bool DispVip = true;
    bool DontForward = false;
    bool QuickStart = false;
    bool FromTray = false;
    qint16 ViewerPosition = 1;
    QString FontName = QStringLiteral("MS UI Gothic");
    float FontSize = 9.0f;
    bool FontBold = false;
    bool FontItalic = false;
    bool ProxyUse = false;
    QString ProxyAddress;
    QString ProxyPort;
    QStringList SearchWords = QStringList(13); // index 0 .. 12
    // "SERVER": scheme and host, no trailing "/"
    QString NewsHost = QStringLiteral("http://headlines.yahoo.co.jp");
    QString TdnetHost = QStringLiteral("https://www.release.tdnet.info");
    QString BoardHost = QStringLiteral("http://messages.finance.yahoo.co.jp");
    QString VipHost = QStringLiteral("https://finance.yahoo.co.jp");
    QString Site; // empty: the bundled site pages
};

} // namespace Program
