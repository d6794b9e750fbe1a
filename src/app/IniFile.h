#pragma once
// A settings file in the INI format, held in memory so that many changes reach the disk in one
// atomic replace. Section and key names match case-insensitively; the first of duplicate keys
// wins; a change keeps every other line as it was.

#include <QString>
#include <QStringList>
#include <optional>

namespace Program {

class IniFile {
public:
    IniFile() = default;
    // Reads the file (UTF-8, CP932 when the bytes are not UTF-8); a missing file is empty.
    explicit IniFile(const QString& path);

    bool Load(const QString& path);
    // UTF-8 without BOM, CR LF, replaced whole (Files::WholeFile).
    bool Save(const QString& path) const;

    // The value with surrounding blanks and one pair of enclosing double quotes removed.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString Value(const QString& section, const QString& key, const QString& fallback) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Removes every line of the key in the section (duplicates too); nothing when it is missing.
    void RemoveKey(const QString& section, const QString& key);

    const QStringList& Lines() const { return lines_; }
    void SetLines(const QStringList& lines) { lines_ = lines; }

private:
    // Line index of the section header, -1 when missing.
    qsizetype FindSection(const QString& section) const;
    // Line index of the key inside the section that starts at header, -1 when missing.
    qsizetype FindKey(qsizetype header, const QString& key) const;

    QStringList lines_;
};

} // namespace Program
