#include "files/clsFile.h"

#include "app/Ports.h"
#include "files/WholeFile.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QChar Sep = QLatin1Char('/');
const QString BoxTitle = QStringLiteral("Tickerwisp");
constexpr int MaxFileNumber = 511;

QString BeforeLastSep(const QString& full) {
    const qsizetype at = full.lastIndexOf(Sep);
    return at < 0 ? QString() : full.left(at);
}

QString AfterLastSep(const QString& full) {
    const qsizetype at = full.lastIndexOf(Sep);
    return at < 0 ? full : full.mid(at + 1);
}

QString Absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// The folder that must exist for the path to be opened or created.
bool ParentFolderExists(const QString& path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

// Skips one line of the device: up to and including its CR LF, LF or CR.
void SkipLine(QFile& file) {
    char c = 0;
    while (file.getChar(&c)) {
        if (c == '\n') {
            return;
        }
        if (c == '\r') {
            char next = 0;
            if (file.peek(&next, 1) == 1 && next == '\n') {
                file.getChar(&next);
            }
            return;
        }
    }
}

} // namespace

clsFile::clsFile() = default;
clsFile::~clsFile() {
    CloseAll();
}

QString clsFile::Use(const QString& path) {
    if (!path.isEmpty()) {
        full_ = path;
    }
    return full_;
}

QString clsFile::Path(const QString& path) {
    return BeforeLastSep(Use(path));
}

QString clsFile::PathApp(const QString& path) {
    const QString full = Use(path);
    if (!full.contains(Sep)) {
        return QCoreApplication::applicationDirPath();
    }
    return BeforeLastSep(full);
}

QString clsFile::Name(const QString& path) {
    return AfterLastSep(Use(path));
}

QString clsFile::Base(const QString& path) {
    const QString name = Name(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString clsFile::Ext(const QString& path) {
    const QString name = Name(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString clsFile::PathBase(const QString& path) {
    Use(path);
    const QString folder = BeforeLastSep(full_);
    // A bare name has no folder to join: "/name" would point at the root.
    if (!full_.contains(Sep)) {
        return Base();
    }
    return folder + Sep + Base();
}

QString clsFile::ParentPath(const QString& path) {
    return BeforeLastSep(Use(path));
}

QString clsFile::Parent(const QString& path) {
    const QString full = Use(path);
    if (!full.contains(Sep)) {
        return full;
    }
    return AfterLastSep(BeforeLastSep(full));
}

int clsFile::FreeNumber() const {
    for (int n = 1; n <= MaxFileNumber; ++n) {
        if (open_.find(n) == open_.end()) {
            return n;
        }
    }
    return 0;
}

// Readers may share a file; a writer may not share it with anybody.
bool clsFile::IsOpen(const QString& path, bool forWrite) const {
    const QString abs = Absolute(path);
    for (const auto& [number, entry] : open_) {
        if (entry.path == abs && (forWrite || entry.forWrite)) {
            return true;
        }
    }
    return false;
}

int clsFile::OpenError(const QString& path, bool forWrite) const {
    if (!ParentFolderExists(path)) {
        return ErrPathNotFound;
    }
    if (!forWrite && !QFileInfo::exists(path)) {
        return ErrFileNotFound;
    }
    return ErrAccess;
}

int clsFile::ReportOpenError(const QString& path, int error) {
    QString text;
    if (error == ErrAlreadyOpen) {
        text = path + QStringLiteral(" は、既に開かれています。");
    } else if (error == ErrPathNotFound) {
        text = path + QStringLiteral(" のパスが見つからないです。「書き込み時」");
    } else {
        text = QStringLiteral("#System Error for Write ") + path + QStringLiteral("!(") +
               QString::number(error) + QLatin1Char(')');
    }
    const Ports::MsgAnswer answer = Ports::Prompt().MessageBox(
        text, BoxTitle, Ports::MsgIcon::Critical, Ports::MsgButtons::OkCancel);
    if (answer == Ports::MsgAnswer::Cancel) {
        Ports::Prompt().EndProgram();
    }
    return 0;
}

int clsFile::OpenRead(const QString& path, int mode, int startLine) {
    const QString p = path.isEmpty() ? full_ : path;
    if (IsOpen(p, false)) {
        return ReportOpenError(p, ErrAlreadyOpen);
    }
    const int number = FreeNumber();
    if (number == 0) {
        return ReportOpenError(p, ErrTooManyFiles);
    }
    auto file = std::make_unique<QFile>(p);
    if (QFileInfo(p).isDir() || !file->open(QIODevice::ReadOnly)) {
        return ReportOpenError(p, OpenError(p, false));
    }
    if (mode == 1) {
        for (int i = 1; i < startLine; ++i) {
            SkipLine(*file);
        }
    }
    open_[number] = Entry{std::move(file), Absolute(p), false};
    return number;
}

int clsFile::OpenWrite(const QString& path, int mode, bool deleteFirst) {
    const QString p = path.isEmpty() ? full_ : path;
    if (IsOpen(p, true)) {
        return ReportOpenError(p, ErrAlreadyOpen);
    }
    if (deleteFirst) {
        QFile::remove(p);
    }
    const int number = FreeNumber();
    if (number == 0) {
        return ReportOpenError(p, ErrTooManyFiles);
    }
    auto file = std::make_unique<QFile>(p);
    // Binary writes keep what they do not overwrite; text output starts an empty file.
    const QIODevice::OpenMode how =
        mode == 1 ? (QIODevice::WriteOnly | QIODevice::Truncate) : QIODevice::ReadWrite;
    if (QFileInfo(p).isDir() || !file->open(how)) {
        return ReportOpenError(p, OpenError(p, true));
    }
    open_[number] = Entry{std::move(file), Absolute(p), true};
    return number;
}

int clsFile::OpenAppend(const QString& path) {
    const QString p = path.isEmpty() ? full_ : path;
    if (IsOpen(p, true)) {
        return ReportOpenError(p, ErrAlreadyOpen);
    }
    const int number = FreeNumber();
    if (number == 0) {
        return ReportOpenError(p, ErrTooManyFiles);
    }
    auto file = std::make_unique<QFile>(p);
    if (QFileInfo(p).isDir() || !file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        return ReportOpenError(p, OpenError(p, true));
    }
    open_[number] = Entry{std::move(file), Absolute(p), true};
    return number;
}

QFile* clsFile::File(int number) const {
    const auto it = open_.find(number);
    return it == open_.end() ? nullptr : it->second.file.get();
}

void clsFile::Close(int number) {
    const auto it = open_.find(number);
    if (it != open_.end()) {
        it->second.file->close();
        open_.erase(it);
    }
}

void clsFile::CloseAll() {
    for (auto& [number, entry] : open_) {
        entry.file->close();
    }
    open_.clear();
}

QStringList clsFile::SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

Common::StrArray clsFile::OpenReadToken(const QString& path, int startLine, bool skipComments,
                                        bool skipEmpty) {
    const int number = OpenRead(path, 0);
    if (number == 0) {
        return std::nullopt;
    }
    const QByteArray bytes = File(number)->readAll();
    Close(number);

    const QStringList lines = SplitLines(Common::DecodeUtf8OrCp932(bytes));
    QStringList kept;
    for (qsizetype i = qMax(startLine, 1) - 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (skipComments && line.startsWith(QStringLiteral("//"))) {
            continue;
        }
        if (skipEmpty && line.isEmpty()) {
            continue;
        }
        kept.append(line);
    }
    if (kept.isEmpty()) {
        return std::nullopt;
    }
    return kept;
}

bool clsFile::OpenWriteString(const QString& path, const QString& text) {
    const QString p = path.isEmpty() ? full_ : path;
    if (IsOpen(p, true)) {
        ReportOpenError(p, ErrAlreadyOpen);
        return false;
    }
    Files::WholeFile file(p);
    if (QFileInfo(p).isDir() || !file.open()) {
        ReportOpenError(p, OpenError(p, true));
        return false;
    }
    file.write(text.toUtf8());
    return file.commit();
}

void clsFile::MakeFolder(const QString& path) {
    QString p = path.isEmpty() ? full_ : path;
    while (p.size() > 1 && p.endsWith(Sep)) {
        p.chop(1);
    }
    if (p.isEmpty() || QFileInfo::exists(p)) {
        return;
    }
    if (!ParentFolderExists(p)) {
        const QString parent = BeforeLastSep(p);
        if (parent.isEmpty()) {
            return;
        }
        MakeFolder(parent);
    }
    if (QDir().mkdir(p) && ShowMessage) {
        Ports::Prompt().MessageBox(QStringLiteral("「 ") + p +
                                       QStringLiteral(" 」フォルダを作成しました。"),
                                   BoxTitle, Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
    }
}

bool clsFile::Existence(const QString& path) {
    const QString p = path.isEmpty() ? full_ : path;
    if (p.isEmpty()) {
        return false;
    }
    return QFileInfo::exists(p);
}
