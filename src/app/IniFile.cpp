#include "app/IniFile.h"

#include "files/WholeFile.h"
#include "files/clsFile.h"
#include "text/TextCodec.h"

#include <QFile>

namespace Program {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text.at(begin))) {
        ++begin;
    }
    while (end > begin && IsBlank(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

// The section name of a header line, std::nullopt when the line is no header.
std::optional<QString> HeaderName(const QString& line) {
    const QString t = TrimBlanks(line);
    if (!t.startsWith(QLatin1Char('['))) {
        return std::nullopt;
    }
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    return TrimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
}

bool IsComment(const QString& line) {
    return TrimBlanks(line).startsWith(QLatin1Char(';'));
}

// Key and raw value of a "key=value" line.
std::optional<std::pair<QString, QString>> KeyLine(const QString& line) {
    if (IsComment(line)) {
        return std::nullopt;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) {
        return std::nullopt;
    }
    return std::make_pair(TrimBlanks(line.left(eq)), line.mid(eq + 1));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value that reading would change (blanks at an end, or enclosed in double quotes) goes into
// quotes, which reading takes off again.
QString Stored(const QString& value) {
    const bool quoted =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    if (quoted || TrimBlanks(value).size() != value.size()) {
        return QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

} // namespace

IniFile::IniFile(const QString& path) {
    Load(path);
}

bool IniFile::Load(const QString& path) {
    lines_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    lines_ = clsFile::SplitLines(Common::DecodeUtf8OrCp932(file.readAll()));
    return true;
}

bool IniFile::Save(const QString& path) const {
    Files::WholeFile file(path);
    if (!file.open()) {
        return false;
    }
    QByteArray bytes;
    for (const QString& line : lines_) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    file.write(bytes);
    return file.commit();
}

qsizetype IniFile::FindSection(const QString& section) const {
    const QString wanted = TrimBlanks(section);
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const auto name = HeaderName(lines_.at(i));
        if (name && SameName(*name, wanted)) {
            return i;
        }
    }
    return -1;
}

qsizetype IniFile::FindKey(qsizetype header, const QString& key) const {
    const QString wanted = TrimBlanks(key);
    for (qsizetype i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_.at(i))) {
            break;
        }
        const auto kv = KeyLine(lines_.at(i));
        if (kv && SameName(kv->first, wanted)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
    const qsizetype header = FindSection(section);
    if (header < 0) {
        return std::nullopt;
    }
    const qsizetype at = FindKey(header, key);
    if (at < 0) {
        return std::nullopt;
    }
    QString value = TrimBlanks(KeyLine(lines_.at(at))->second);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
        value.endsWith(QLatin1Char('"'))) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const {
    return Value(section, key).value_or(fallback);
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString stored = Stored(value);
    const qsizetype header = FindSection(section);
    if (header < 0) {
        lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines_.append(key + QLatin1Char('=') + stored);
        return;
    }
    const qsizetype at = FindKey(header, key);
    if (at >= 0) {
        // Keep the key as the file spells it.
        const QString& line = lines_.at(at);
        lines_[at] = line.left(line.indexOf(QLatin1Char('='))) + QLatin1Char('=') + stored;
        return;
    }
    // After the section's last non-blank line, so the blank line before the next section stays.
    qsizetype last = header;
    for (qsizetype i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_.at(i))) {
            break;
        }
        if (!TrimBlanks(lines_.at(i)).isEmpty()) {
            last = i;
        }
    }
    lines_.insert(last + 1, key + QLatin1Char('=') + stored);
}

void IniFile::RemoveKey(const QString& section, const QString& key) {
    const qsizetype header = FindSection(section);
    if (header < 0)
        return;
    for (qsizetype at = FindKey(header, key); at >= 0; at = FindKey(header, key))
        lines_.removeAt(at);
}

} // namespace Program
