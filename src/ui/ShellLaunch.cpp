#include "ui/ShellLaunch.h"

#include "app/Ports.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace ShellLaunch {

namespace {

// Codes below 33 are failures, as the launch table numbers them.
constexpr int Started = 33;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int CannotOpen = 32;

QString StripQuotes(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2);
    return t;
}

bool IsWebAddress(const QString& text) {
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool IsExplorer(const QString& file) {
    return file.compare(QLatin1String("Explorer"), Qt::CaseInsensitive) == 0 ||
           file.compare(QLatin1String("Explorer.exe"), Qt::CaseInsensitive) == 0;
}

// What the desktop's handler gets for a target: a web address as it is, anything else as a path.
QUrl DesktopUrl(const QString& target, const QString& folder) {
    if (IsWebAddress(target))
        return QUrl(target);
    const QUrl url(target);
    if (url.isLocalFile())
        return url;
    return QUrl::fromLocalFile(QDir(folder).absoluteFilePath(target));
}

int OpenWithDesktop(const QUrl& url) {
    // Files go to the desktop's programs through xdg-open; without it nothing can open them.
    if (url.isLocalFile() && QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return NoDesktopOpener;
    return QDesktopServices::openUrl(url) ? Started : CannotOpen;
}

// A bare program name ("firefox") is looked for on PATH, as the shell would.
QString ResolveProgram(const QString& file, const QString& folder) {
    if (!file.contains(QLatin1Char('/'))) {
        const QString found = QStandardPaths::findExecutable(file);
        if (!found.isEmpty())
            return found;
    }
    return QDir(folder).absoluteFilePath(file);
}

int Launch(const QString& file, const QString& parameters, const QString& folder) {
    if (file.isEmpty())
        return FileNotFound;
    if (!QFileInfo(folder).isDir())
        return PathNotFound;
    if (IsExplorer(file) && !parameters.trimmed().isEmpty()) {
        const QString target = StripQuotes(parameters);
        if (!IsWebAddress(target) && !QFileInfo::exists(QDir(folder).absoluteFilePath(target)))
            return FileNotFound;
        return OpenWithDesktop(DesktopUrl(target, folder));
    }
    if (IsWebAddress(file))
        return OpenWithDesktop(QUrl(file));

    const QString path = ResolveProgram(file, folder);
    const QFileInfo info(path);
    if (!info.exists())
        return QFileInfo(info.absolutePath()).isDir() ? FileNotFound : PathNotFound;
    const bool program = info.isFile() && info.isExecutable();
    // Something given arguments is meant to run; a document cannot take them.
    if (!program && !parameters.trimmed().isEmpty())
        return AccessDenied;
    if (!program)
        return OpenWithDesktop(QUrl::fromLocalFile(info.absoluteFilePath()));

    QStringList arguments;
    if (!parameters.trimmed().isEmpty())
        arguments << StripQuotes(parameters);
    return QProcess::startDetached(info.absoluteFilePath(), arguments, folder) ? Started
                                                                               : CannotOpen;
}

} // namespace

QString LaunchErrorText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("メモリまたはリソースが足りません。");
    case 2:
        return QStringLiteral("ファイルが見つかりません。");
    case 3:
        return QStringLiteral("パスが見つかりません。");
    case 5:
        return QStringLiteral("アクセスは拒否されました。");
    case 11:
        return QStringLiteral("不正な形式の実行ファイルです。");
    case 27:
        return QStringLiteral("関連付けが不完全です。");
    case 31:
        return QStringLiteral("関連付けが指定されていません。");
    default:
        return QStringLiteral("ファイルを開けません。");
    }
}

QString LaunchFailureText(const QString& what, int code) {
    QString reason;
    switch (code) {
    case NoDesktopOpener:
        reason = QStringLiteral("ファイルを開くための xdg-open が見つかりません"
                                "（xdg-utils パッケージに含まれています）。");
        break;
    case FileNotFound:
        reason = QStringLiteral("ファイルが見つかりません。");
        break;
    case PathNotFound:
        reason = QStringLiteral("フォルダが見つかりません。");
        break;
    case AccessDenied:
        reason = QStringLiteral("プログラムではないので、引数を渡して起動できません。");
        break;
    case CannotOpen:
        reason = QStringLiteral("開くためのプログラムを起動できませんでした。");
        break;
    default:
        reason = LaunchErrorText(code);
        break;
    }
    const QString name = what.isEmpty() ? QStringLiteral("（名前なし）") : what;
    return name + QStringLiteral(" を開けません。") + reason;
}

bool LaunchApplication_by_File(QWidget* owner, const QString& file, const QString& parameters,
                               const QString& folder, bool showError) {
    // The prompt port owns the message box and its parent window.
    Q_UNUSED(owner);
    const QString workFolder = folder.isEmpty() ? QDir::homePath() : folder;
    const int code = Launch(file, parameters, workFolder);
    if (code >= Started)
        return true;
    if (showError) {
        // Named as the user gave it: the address or file for the desktop, else the program.
        const QString what =
            IsExplorer(file) && !parameters.trimmed().isEmpty() ? StripQuotes(parameters) : file;
        Ports::Prompt().MessageBox(LaunchFailureText(what, code),
                                   QString::fromUtf16(LaunchFailureTitle), Ports::MsgIcon::Critical,
                                   Ports::MsgButtons::Ok);
    }
    return false;
}

QString GetSpecialFolder(int id) {
    auto location = [](QStandardPaths::StandardLocation where) {
        return QStandardPaths::writableLocation(where);
    };
    switch (id) {
    case 0: // desktop
        return location(QStandardPaths::DesktopLocation);
    case 5: // documents
        return location(QStandardPaths::DocumentsLocation);
    case 13: // music
        return location(QStandardPaths::MusicLocation);
    case 14: // videos
        return location(QStandardPaths::MoviesLocation);
    case 20: // fonts
        return location(QStandardPaths::FontsLocation);
    case 26: // the user's application data
        return location(QStandardPaths::GenericConfigLocation);
    case 28: // local application data
    case 35: // common application data
        return location(QStandardPaths::GenericDataLocation);
    case 36: // where the sound dialog starts
        return QStringLiteral("/usr/share/sounds");
    case 37: // system programs
        return QStringLiteral("/usr/bin");
    case 39: // pictures
        return location(QStandardPaths::PicturesLocation);
    case 40: // the user's own folder
        return location(QStandardPaths::HomeLocation);
    case 253:
        return QDir::tempPath() + QLatin1Char('/');
    default:
        return QString();
    }
}

} // namespace ShellLaunch
