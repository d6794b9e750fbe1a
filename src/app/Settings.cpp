#include "app/Settings.h"

#include "app/AppData.h"
#include "app/IniFile.h"
#include "files/WholeFile.h"
#include "files/clsFile.h"
#include "text/Common.h"
#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace Program {

QList<FeedSource> StarterFeeds() {
    return {{QStringLiteral("NHK ニュース 経済"),
             QStringLiteral("https://www.nhk.or.jp/rss/news/cat5.xml"), true},
            {QStringLiteral("Yahoo!ニュース 経済"),
             QStringLiteral("https://news.yahoo.co.jp/rss/topics/business.xml"), true}};
}

namespace {

const QString FormMain = QStringLiteral("FORM MAIN");
const QString Option = QStringLiteral("OPTION");
const QString Server = QStringLiteral("SERVER");
constexpr int SearchWordCount = 13;
constexpr qsizetype IniValueMax = 1023;

// What the system's profile read hands back: at most 1023 characters, up to the first NUL.
QString CutIniValue(QString value) {
    value.truncate(IniValueMax);
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0) {
        value.truncate(nul);
    }
    return value;
}

// Every value start-up reads goes through the same cut as ReadIni.
std::optional<QString> IniValue(const IniFile& ini, const QString& section, const QString& key) {
    const auto value = ini.Value(section, key);
    if (!value) {
        return std::nullopt;
    }
    return CutIniValue(*value);
}

QString IniValue(const IniFile& ini, const QString& section, const QString& key,
                 const QString& fallback) {
    return IniValue(ini, section, key).value_or(fallback);
}

const QString Feeds = QStringLiteral("FEEDS");

QString FeedKey(const char* name, int n) {
    return QLatin1String(name) + QLatin1Char(' ') + QString::number(n);
}

// Every "URL n" from 0 to 99 that is there and not blank, in the order of n; a gap in the
// numbers is skipped rather than ending the list.
QList<FeedSource> ReadFeeds(const IniFile& ini) {
    QList<FeedSource> feeds;
    for (int n = 0; n < MaxFeeds; ++n) {
        const QString url = Common::Trim(IniValue(ini, Feeds, FeedKey("URL", n), QString()));
        if (url.isEmpty())
            continue;
        FeedSource feed;
        feed.Url = url;
        feed.Name = Common::Trim(IniValue(ini, Feeds, FeedKey("NAME", n), QString()));
        if (feed.Name.isEmpty())
            feed.Name = url;
        feed.Enabled =
            ParseBool(IniValue(ini, Feeds, FeedKey("ENABLED", n), QString())).value_or(true);
        feeds.append(feed);
    }
    return feeds;
}

QString SearchWordKey(int n) {
    return QStringLiteral("SEARCH WORD ") + QString::number(n);
}

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// A number as the settings file holds it, rounded half to even like the old conversions.
std::optional<double> ParseNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> ParseInteger(const QString& text, qint64 low, qint64 high) {
    const auto number = ParseNumber(text);
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*number);
    if (rounded < double(low) || rounded > double(high)) {
        return std::nullopt;
    }
    return static_cast<qint64>(rounded);
}

bool ReadBool(const IniFile& ini, const QString& key, bool fallback) {
    const auto text = IniValue(ini, Option, key);
    if (!text) {
        return fallback;
    }
    return ParseBool(*text).value_or(fallback);
}

int ReadFormValue(const IniFile& ini, const QString& key) {
    const auto text = IniValue(ini, FormMain, key);
    if (!text) {
        return -1;
    }
    return static_cast<int>(
        ParseInteger(*text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())
            .value_or(-1));
}

// A host address without its trailing "/"; an empty value means the built-in one.
QString ReadHost(const IniFile& ini, const QString& key, const QString& fallback,
                 bool emptyAllowed) {
    QString host = IniValue(ini, Server, key).value_or(fallback);
    while (host.endsWith(QLatin1Char('/'))) {
        host.chop(1);
    }
    if (host.isEmpty() && !emptyAllowed) {
        return fallback;
    }
    return host;
}

// The shortest text that reads back as the same float: 9 stays "9", 10.5 "10.5".
QString FontSizeText(float size) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, size).ptr;
    return QString::fromLatin1(text, end - text);
}

bool WriteLines(const QString& path, const QStringList& lines) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        clsFile().MakeFolder(folder);
    }
    Files::WholeFile file(path);
    if (!file.open()) {
        return false;
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    file.write(bytes);
    return file.commit();
}

} // namespace

QString SettingsFilePath() {
    return Common::AppDataFolder() + QStringLiteral("/SYSTEM.INI");
}

QString SearchHistoryPath() {
    return Common::AppDataFolder() + QStringLiteral("/Data/検索.INI");
}

QString ReadIni(const QString& section, const QString& key, const QString& defaultValue,
                const QString& file) {
    const IniFile ini(file.isEmpty() ? SettingsFilePath() : file);
    // The default is cut as well: it passes through the same buffer.
    return CutIniValue(ini.Value(section, key, defaultValue));
}

bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& file) {
    const QString path = file.isEmpty() ? SettingsFilePath() : file;
    IniFile ini(path);
    ini.SetValue(section, key, value);
    return ini.Save(path);
}

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    const auto number = ParseNumber(t);
    if (!number) {
        return std::nullopt;
    }
    return *number != 0.0;
}

void LoadSettings(SettingsState& s) {
    const IniFile ini(SettingsFilePath());
    const SettingsState defaults;

    s.FormLeft = ReadFormValue(ini, QStringLiteral("LEFT"));
    s.FormTop = ReadFormValue(ini, QStringLiteral("TOP"));
    s.FormWidth = ReadFormValue(ini, QStringLiteral("WIDTH"));
    s.FormHeight = ReadFormValue(ini, QStringLiteral("HEIGHT"));
    s.FormMaximized =
        ParseBool(ini.Value(FormMain, QStringLiteral("MAXIMIZED"), QString())).value_or(false);

    s.BrowserPath = IniValue(ini, Option, QStringLiteral("BROWSER"), QString());
    s.SoundFile = IniValue(ini, Option, QStringLiteral("SOUND"), QString());
    s.DispVip = ReadBool(ini, QStringLiteral("DISP VIP"), defaults.DispVip);
    s.DontForward = ReadBool(ini, QStringLiteral("DONT FORWARD"), defaults.DontForward);
    s.QuickStart = ReadBool(ini, QStringLiteral("QUICK START"), defaults.QuickStart);
    s.FromTray = ReadBool(ini, QStringLiteral("FROM TRAY"), defaults.FromTray);
    s.ViewerPosition = static_cast<qint16>(
        ParseInteger(IniValue(ini, Option, QStringLiteral("VIEWER POSITION"), QStringLiteral("1")),
                     std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max())
            .value_or(defaults.ViewerPosition));
    s.FontName = IniValue(ini, Option, QStringLiteral("FONT NAME"), defaults.FontName);
    const auto size = ParseNumber(IniValue(ini, Option, QStringLiteral("FONT SIZE"), QString()));
    s.FontSize = size && std::abs(*size) <= double(std::numeric_limits<float>::max())
                     ? static_cast<float>(*size)
                     : defaults.FontSize;
    if (s.FontSize < 6.0f) {
        s.FontSize = 6.0f;
    }
    s.FontBold = ReadBool(ini, QStringLiteral("FONT BOLD"), defaults.FontBold);
    s.FontItalic = ReadBool(ini, QStringLiteral("FONT ITALIC"), defaults.FontItalic);
    s.ProxyUse = ReadBool(ini, QStringLiteral("PROXY USE"), defaults.ProxyUse);
    s.ProxyAddress =
        Common::Trim(IniValue(ini, Option, QStringLiteral("PROXY ADDRESS"), QString()));
    s.ProxyPort = Common::Trim(IniValue(ini, Option, QStringLiteral("PROXY PORT"), QString()));
    s.SearchWords = QStringList(SearchWordCount);
    for (int n = 0; n < SearchWordCount; ++n) {
        s.SearchWords[n] = IniValue(ini, Option, SearchWordKey(n), QString());
    }
    s.LockSearchInPatrol =
        ReadBool(ini, QStringLiteral("LOCK SEARCH IN PATROL"), defaults.LockSearchInPatrol);
    s.LastVersion = IniValue(ini, Option, QStringLiteral("LAST VERSION"), QString());
    s.ShowVersionAtStart =
        ReadBool(ini, QStringLiteral("SHOW VERSION AT START"), defaults.ShowVersionAtStart);
    s.WatchWord = IniValue(ini, Option, QStringLiteral("WATCH WORD"), QString());
    s.NotifyAllNews = ReadBool(ini, QStringLiteral("NOTIFY ALL NEWS"), defaults.NotifyAllNews);
    s.RaiseOnlyWatch = ReadBool(ini, QStringLiteral("RAISE ONLY WATCH"), defaults.RaiseOnlyWatch);
    s.SoundOnlyWatch = ReadBool(ini, QStringLiteral("SOUND ONLY WATCH"), defaults.SoundOnlyWatch);
    s.WatchSound = IniValue(ini, Option, QStringLiteral("WATCH SOUND"), QString());

    // A negative or unreadable count keeps everything, as 0 does.
    s.KeepDays =
        int(ParseInteger(IniValue(ini, Option, QStringLiteral("KEEP DAYS"), QString()), 0, 100000)
                .value_or(defaults.KeepDays));

    s.NewsHost = ReadHost(ini, QStringLiteral("NEWS HOST"), defaults.NewsHost, false);
    s.TdnetHost = ReadHost(ini, QStringLiteral("TDNET HOST"), defaults.TdnetHost, false);
    s.BoardHost = ReadHost(ini, QStringLiteral("BOARD HOST"), defaults.BoardHost, false);
    s.VipHost = ReadHost(ini, QStringLiteral("VIP HOST"), defaults.VipHost, false);
    s.Site = ReadHost(ini, QStringLiteral("SITE"), defaults.Site, true);
    // A first start gets the starter feeds; a file of an earlier version keeps what it has.
    s.Feeds = QFile::exists(SettingsFilePath()) ? ReadFeeds(ini) : StarterFeeds();
}

bool SaveSettings(SettingsState& s, const FormGeometry& form, const SearchHistory* history) {
    s.FormLeft = form.left;
    s.FormTop = form.top;
    s.FormWidth = form.width;
    s.FormHeight = form.collapsedToToolBar ? form.fullHeight : form.height;
    s.FormMaximized = form.maximized;

    const QString path = SettingsFilePath();
    IniFile ini(path);
    ini.SetValue(FormMain, QStringLiteral("LEFT"), QString::number(s.FormLeft));
    ini.SetValue(FormMain, QStringLiteral("TOP"), QString::number(s.FormTop));
    ini.SetValue(FormMain, QStringLiteral("WIDTH"), QString::number(s.FormWidth));
    ini.SetValue(FormMain, QStringLiteral("HEIGHT"), QString::number(s.FormHeight));
    ini.SetValue(FormMain, QStringLiteral("MAXIMIZED"), BoolText(s.FormMaximized));

    ini.SetValue(Option, QStringLiteral("BROWSER"), s.BrowserPath);
    ini.SetValue(Option, QStringLiteral("SOUND"), s.SoundFile);
    ini.SetValue(Option, QStringLiteral("DISP VIP"), BoolText(s.DispVip));
    ini.SetValue(Option, QStringLiteral("DONT FORWARD"), BoolText(s.DontForward));
    ini.SetValue(Option, QStringLiteral("QUICK START"), BoolText(s.QuickStart));
    ini.SetValue(Option, QStringLiteral("FROM TRAY"), BoolText(s.FromTray));
    ini.SetValue(Option, QStringLiteral("VIEWER POSITION"), QString::number(s.ViewerPosition));
    ini.SetValue(Option, QStringLiteral("FONT NAME"), s.FontName);
    ini.SetValue(Option, QStringLiteral("FONT SIZE"), FontSizeText(s.FontSize));
    ini.SetValue(Option, QStringLiteral("FONT BOLD"), BoolText(s.FontBold));
    ini.SetValue(Option, QStringLiteral("FONT ITALIC"), BoolText(s.FontItalic));
    ini.SetValue(Option, QStringLiteral("PROXY USE"), BoolText(s.ProxyUse));
    ini.SetValue(Option, QStringLiteral("PROXY ADDRESS"), Common::Trim(s.ProxyAddress));
    ini.SetValue(Option, QStringLiteral("PROXY PORT"), Common::Trim(s.ProxyPort));
    for (int n = 0; n < SearchWordCount; ++n) {
        ini.SetValue(Option, SearchWordKey(n), s.SearchWords.value(n));
    }
    ini.SetValue(Option, QStringLiteral("LOCK SEARCH IN PATROL"), BoolText(s.LockSearchInPatrol));
    ini.SetValue(Option, QStringLiteral("LAST VERSION"), s.LastVersion);
    ini.SetValue(Option, QStringLiteral("SHOW VERSION AT START"), BoolText(s.ShowVersionAtStart));
    ini.SetValue(Option, QStringLiteral("WATCH WORD"), s.WatchWord);
    ini.SetValue(Option, QStringLiteral("NOTIFY ALL NEWS"), BoolText(s.NotifyAllNews));
    ini.SetValue(Option, QStringLiteral("RAISE ONLY WATCH"), BoolText(s.RaiseOnlyWatch));
    ini.SetValue(Option, QStringLiteral("SOUND ONLY WATCH"), BoolText(s.SoundOnlyWatch));
    ini.SetValue(Option, QStringLiteral("WATCH SOUND"), s.WatchSound);
    ini.SetValue(Option, QStringLiteral("KEEP DAYS"), QString::number(s.KeepDays));

    ini.SetValue(Server, QStringLiteral("NEWS HOST"), s.NewsHost);
    ini.SetValue(Server, QStringLiteral("TDNET HOST"), s.TdnetHost);
    ini.SetValue(Server, QStringLiteral("BOARD HOST"), s.BoardHost);
    ini.SetValue(Server, QStringLiteral("VIP HOST"), s.VipHost);
    ini.SetValue(Server, QStringLiteral("SITE"), s.Site);

    // Numbered from 0 again; keys of feeds that are gone are removed, so they do not come back.
    const qsizetype feeds = std::min<qsizetype>(s.Feeds.size(), MaxFeeds);
    for (int n = 0; n < MaxFeeds; ++n) {
        if (n < feeds) {
            const FeedSource& feed = s.Feeds.at(n);
            ini.SetValue(Feeds, FeedKey("NAME", n), feed.Name);
            ini.SetValue(Feeds, FeedKey("URL", n), feed.Url);
            ini.SetValue(Feeds, FeedKey("ENABLED", n), BoolText(feed.Enabled));
        } else {
            for (const char* key : {"NAME", "URL", "ENABLED"})
                ini.RemoveKey(Feeds, FeedKey(key, n));
        }
    }

    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        clsFile().MakeFolder(folder);
    }
    bool ok = ini.Save(path);
    if (history) {
        ok = SaveSearchHistory(SearchHistoryPath(), history->current, history->items) && ok;
    }
    return ok;
}

std::optional<SearchHistory> LoadSearchHistory(const QString& file, bool stripComments) {
    QFile in(file.isEmpty() ? SearchHistoryPath() : file);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QStringList lines = clsFile::SplitLines(Common::DecodeUtf8OrCp932(in.readAll()));
    SearchHistory history;
    qsizetype i = 0;
    while (i < lines.size() && lines.at(i).startsWith(QStringLiteral("//"))) {
        ++i;
    }
    if (i < lines.size()) {
        history.current = lines.at(i++);
    }
    for (; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (stripComments) {
            const qsizetype at = line.indexOf(QStringLiteral("//"));
            if (at >= 0) {
                line = Common::Trim(line.left(at));
            }
        }
        history.items.append(line);
    }
    return history;
}

bool SaveSearchHistory(const QString& file, const QString& current, const QStringList& items) {
    QStringList lines{current};
    lines += items;
    return WriteLines(file.isEmpty() ? SearchHistoryPath() : file, lines);
}

int SelectedHistoryIndex(const SearchHistory& history) {
    return static_cast<int>(history.items.indexOf(history.current));
}

PlacementResult ApplyWindowPlacement(const PlacementInput& in) {
    PlacementResult out;
    if (in.state != WindowState::Normal) {
        return out;
    }
    int left = in.newLeft.value_or(in.left);
    int top = in.newTop.value_or(in.top);
    int width = in.newWidth.value_or(in.width);
    int height = in.newHeight.value_or(in.height);

    int extentWidthPx = in.screenWidthPx;
    int extentHeightPx = in.screenHeightPx;
    if (in.monitors.size() >= 2) {
        extentWidthPx = std::numeric_limits<int>::min();
        extentHeightPx = std::numeric_limits<int>::min();
        for (const QRect& m : in.monitors) {
            extentWidthPx = qMax(extentWidthPx, m.x() + m.width());
            extentHeightPx = qMax(extentHeightPx, m.y() + m.height());
        }
    }
    const int extentWidth = qRound(extentWidthPx * in.twipsPerPixelX);
    const int extentHeight = qRound(extentHeightPx * in.twipsPerPixelY);

    width = qMin(width, extentWidth);
    height = qMin(height, extentHeight);
    if (left + width >= extentWidth) {
        left = extentWidth - width;
    }
    if (top + height >= extentHeight) {
        top = extentHeight - height;
    }
    left = qMax(left, 0);
    top = qMax(top, 0);

    out.move = true;
    out.left = left;
    out.top = top;
    out.width = width;
    out.height = height;
    out.maximize = left == 0 && top == 0 && width == extentWidth && height == extentHeight;
    return out;
}

FormMainValues FormMainWithDefaults(const SettingsState& settings, int screenWidthPx,
                                    int screenHeightPx, double twipsPerPixelX,
                                    double twipsPerPixelY) {
    const int defaultWidth = qRound(640 * twipsPerPixelX);
    const int defaultHeight = qRound(480 * twipsPerPixelY);
    const int screenWidth = qRound(screenWidthPx * twipsPerPixelX);
    const int screenHeight = qRound(screenHeightPx * twipsPerPixelY);
    FormMainValues v;
    v.left = settings.FormLeft != -1 ? settings.FormLeft : (screenWidth - defaultWidth) / 2;
    v.top = settings.FormTop != -1 ? settings.FormTop : (screenHeight - defaultHeight) / 2;
    v.width = settings.FormWidth != -1 ? settings.FormWidth : defaultWidth;
    v.height = settings.FormHeight != -1 ? settings.FormHeight : defaultHeight;
    return v;
}

double TwipsPerPixel(double logicalDpi) {
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

} // namespace Program
