#pragma once
// A file replaced as a whole: written to a copy beside it, flushed to the disk, then renamed
// over it in one step, so a crash leaves the old or the new file complete, never a half one.
// The copy's name is ours alone (the file's name + ".twsave-" + eight hex digits), so the
// start-up clean-up can tell a copy a crash left behind from anything else in the folder.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace Files {

class WholeFile {
public:
    explicit WholeFile(const QString& path);
    // A copy that was not committed is removed.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Creates the copy; false when the folder cannot take it.
    bool open();
    bool write(const QByteArray& bytes);
    // Flushes the copy to the disk and renames it over the file. False after any failure since
    // open, and then the file is untouched.
    bool commit();
    QString errorString() const { return error_; }

private:
    void Fail(const QString& what);

    QString target_;
    QFile copy_;
    bool failed_ = false;
    bool committed_ = false;
    QString error_;
};

// The mark between a file's name and the random part of its save copy.
inline const QString SaveCopyMark = QStringLiteral(".twsave-");
// The name of the file a save copy stands for ("SYSTEM.INI" for "SYSTEM.INI.twsave-0a1b2c3d"),
// or "" when fileName is not a save copy.
QString SaveCopyOriginal(const QString& fileName);

} // namespace Files
