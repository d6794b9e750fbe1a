#pragma once
// The program's file handling: taking a "/" path apart, opening files by number with one error
// report, reading a text file as lines, writing a text file in one step, making folders.

#include "text/Common.h"

#include <QString>
#include <map>
#include <memory>

class QFile;

class clsFile {
public:
    // Error numbers of the open-error report.
    static constexpr int ErrFileNotFound = 53;
    static constexpr int ErrAlreadyOpen = 55;
    static constexpr int ErrAccess = 75;
    static constexpr int ErrTooManyFiles = 67;
    static constexpr int ErrPathNotFound = 76;

    clsFile();
    ~clsFile();
    clsFile(const clsFile&) = delete;
    clsFile& operator=(const clsFile&) = delete;

    // When set, MakeFolder tells the user about each folder it created.
    bool ShowMessage = false;

    QString Full() const { return full_; }
    void SetFull(const QString& path) { full_ = path; }

    // Path parts of Full; a non-empty argument is stored into Full first.
    QString Path(const QString& path = QString());
    QString PathApp(const QString& path = QString());
    QString Name(const QString& path = QString());
    QString Base(const QString& path = QString());
    QString Ext(const QString& path = QString());
    QString PathBase(const QString& path = QString());
    QString ParentPath(const QString& path = QString());
    QString Parent(const QString& path = QString());

    // Modes: 0 binary, 1 text. The result is the file number, 0 after an error was reported.
    // Text read mode skips the first startLine - 1 lines.
    int OpenRead(const QString& path, int mode, int startLine = 1);
    // Text write mode empties the file; binary keeps it and writes from the start.
    int OpenWrite(const QString& path, int mode, bool deleteFirst = false);
    int OpenAppend(const QString& path);
    // The open file behind a number, nullptr when the number is not open.
    QFile* File(int number) const;
    void Close(int number);
    void CloseAll();

    // The file's lines from startLine on (1-based). std::nullopt when nothing was kept or the
    // file could not be opened.
    Common::StrArray OpenReadToken(const QString& path, int startLine, bool skipComments,
                                   bool skipEmpty);
    // Replaces the file as a whole (UTF-8, the text as given).
    bool OpenWriteString(const QString& path, const QString& text);
    void MakeFolder(const QString& path);
    bool Existence(const QString& path = QString());

    // Lines of decoded text: CR LF, LF or CR end a line; a final line end adds no empty line.
    static QStringList SplitLines(const QString& text);

private:
    QString Use(const QString& path);
    int FreeNumber() const;
    bool IsOpen(const QString& path, bool forWrite) const;
    // Shows the open-error box; Cancel ends the program. Always 0.
    int ReportOpenError(const QString& path, int error);
    int OpenError(const QString& path, bool forWrite) const;

    struct Entry {
        std::unique_ptr<QFile> file;
        QString path;
        bool forWrite = false;
    };
    QString full_;
    std::map<int, Entry> open_;
};
