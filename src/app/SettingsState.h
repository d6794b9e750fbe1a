#pragma once
// The user's settings as the whole program reads them. LoadSettings fills it from SYSTEM.INI,
// SaveSettings writes it back; the program's session owns the one copy.

#include <QList>
#include <QString>
#include <QStringList>

namespace Program {

// A news feed the user reads besides the portal's lists ("FEEDS": "NAME n", "URL n",
// "ENABLED n").
struct FeedSource {
    QString Name;
    QString Url;
    bool Enabled = true;
    bool operator==(const FeedSource&) const = default;
};

inline constexpr int MaxFeeds = 100;

// The feeds a new SYSTEM.INI starts with.
QList<FeedSource> StarterFeeds();

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
    // The search box, 検索 and フィルタ greyed during the patrol and every cycle, as 環境設定 is.
    bool LockSearchInPatrol = false;
    qint16 ViewerPosition = 1;
    QString FontName = QStringLiteral("MS UI Gothic");
    float FontSize = 9.0f;
    bool FontBold = false;
    bool FontItalic = false;
    bool ProxyUse = false;
    QString ProxyAddress;
    QString ProxyPort;
    QStringList SearchWords = QStringList(13); // index 0 .. 12
    // The version whose page was last shown at start-up ("LAST VERSION"; empty: none yet), and
    // "SHOW VERSION AT START": show it at every start, not only after an update.
    QString LastVersion;
    bool ShowVersionAtStart = false;
    // Headlines the user follows: an expression like the search box's; empty: none.
    QString WatchWord;
    bool NotifyAllNews = false;  // a desktop notification for every new headline
    bool RaiseOnlyWatch = false; // new headlines raise the window only when some are watched
    bool SoundOnlyWatch = false; // likewise the alert sound
    QString WatchSound;          // played instead of SoundFile for watched ones; empty: SoundFile
    // Day files older than this many days go at start-up; 0 keeps them all.
    int KeepDays = 0;
    // "SERVER": scheme and host, no trailing "/"
    QString NewsHost = QStringLiteral("http://headlines.yahoo.co.jp");
    QString TdnetHost = QStringLiteral("https://www.release.tdnet.info");
    QString BoardHost = QStringLiteral("http://messages.finance.yahoo.co.jp");
    QString VipHost = QStringLiteral("https://finance.yahoo.co.jp");
    QString Site; // empty: the bundled site pages
    // "FEEDS", in the order the cycle reads them. A SYSTEM.INI the program makes itself starts
    // with StarterFeeds(); one without the section has none.
    QList<FeedSource> Feeds;
};

} // namespace Program
