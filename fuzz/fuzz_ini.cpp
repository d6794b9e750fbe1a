// Any bytes as the settings file or the search history. What the program reads from a file it
// must write back so that it reads the same again; a value set in any file must read back as set.
// The first byte picks the file; for a value, the section, key and value follow the file's bytes,
// separated by zero bytes.

#include "FuzzInput.h"
#include "app/AppData.h"
#include "app/IniFile.h"
#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir& Folder() {
    // Memory-backed when possible: settings are saved through a synced replace.
    static QTemporaryDir folder((QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm")
                                     : QDir::tempPath()) +
                                QStringLiteral("/tw-fuzz-ini-XXXXXX"));
    return folder;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

bool SameSettings(const Program::SettingsState& a, const Program::SettingsState& b) {
    return a.FormLeft == b.FormLeft && a.FormTop == b.FormTop && a.FormWidth == b.FormWidth &&
           a.FormHeight == b.FormHeight && a.BrowserPath == b.BrowserPath &&
           a.SoundFile == b.SoundFile && a.DispVip == b.DispVip && a.DontForward == b.DontForward &&
           a.QuickStart == b.QuickStart && a.FromTray == b.FromTray &&
           a.ViewerPosition == b.ViewerPosition && a.FontName == b.FontName &&
           a.FontSize == b.FontSize && a.FontBold == b.FontBold && a.FontItalic == b.FontItalic &&
           a.ProxyUse == b.ProxyUse && a.ProxyAddress == b.ProxyAddress &&
           a.ProxyPort == b.ProxyPort && a.SearchWords == b.SearchWords &&
           a.NewsHost == b.NewsHost && a.TdnetHost == b.TdnetHost && a.BoardHost == b.BoardHost &&
           a.VipHost == b.VipHost && a.Site == b.Site && a.Feeds == b.Feeds;
}

void SettingsRoundTrip(const QByteArray& bytes) {
    Write(Program::SettingsFilePath(), bytes);
    Program::SettingsState settings;
    Program::LoadSettings(settings);
    const Program::SettingsState first = settings;
    Program::FormGeometry form;
    form.left = first.FormLeft;
    form.top = first.FormTop;
    form.width = first.FormWidth;
    form.height = first.FormHeight;
    FUZZ_CHECK(Program::SaveSettings(settings, form));
    settings = Program::SettingsState();
    Program::LoadSettings(settings);
    FUZZ_CHECK(SameSettings(first, settings));

    const QString value =
        Program::ReadIni(QStringLiteral("OPTION"), QStringLiteral("BROWSER"), QString());
    FUZZ_CHECK(value.size() <= 1023 && !value.contains(QChar(0)));
}

void HistoryRoundTrip(const QByteArray& bytes) {
    const QString path = Program::SearchHistoryPath();
    Write(path, bytes);
    Program::LoadSearchHistory(path, true);
    const auto first = Program::LoadSearchHistory(path, false);
    FUZZ_CHECK(first);
    FUZZ_CHECK(Program::SaveSearchHistory(path, first->current, first->items));
    const auto second = Program::LoadSearchHistory(path, false);
    FUZZ_CHECK(second && second->current == first->current && second->items == first->items);
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

QString Trimmed(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(begin, end - begin);
}

void SetAndRead(FuzzInput::Reader& in) {
    const QList<QByteArray> pieces = in.Pieces(4);
    const QString path = Folder().path() + QStringLiteral("/value.ini");
    Write(path, pieces[0]);
    const QString section = QString::fromUtf8(pieces[1]), key = QString::fromUtf8(pieces[2]),
                  value = QString::fromUtf8(pieces[3]);
    // Names that the format can hold: a key is no comment, no header and holds no "=".
    const QString name = Trimmed(key);
    if (Trimmed(section).isEmpty() || section.contains(u']') || HasLineBreak(section) ||
        name.isEmpty() || key.contains(u'=') || name.startsWith(u';') || name.startsWith(u'[') ||
        HasLineBreak(key))
        return;

    Program::IniFile ini(path);
    ini.SetValue(section, key, value);
    FUZZ_CHECK(ini.Value(section, key) == value);
    if (HasLineBreak(value))
        return;
    FUZZ_CHECK(ini.Save(path));
    const Program::IniFile again(path);
    FUZZ_CHECK(again.Lines() == ini.Lines());
    FUZZ_CHECK(again.Value(section, key) == value);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Common::SetAppDataFolder(Folder().path());
    Common::EnsureDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader in(data, size);
    switch (in.Byte() % 3) {
    case 0:
        SettingsRoundTrip(in.Pieces(1).front());
        break;
    case 1:
        HistoryRoundTrip(in.Pieces(1).front());
        break;
    case 2:
        SetAndRead(in);
        break;
    }
    return 0;
}
