#pragma once
// Decoding of the text files the program reads and of day-file fields.

#include <QByteArray>
#include <QString>

namespace Common {

// UTF-8 when the bytes are valid UTF-8, otherwise Windows code page 932 (Shift_JIS with the
// Windows mapping), so lists made on Windows still load. Leading BOMs are dropped either way.
QString DecodeUtf8OrCp932(const QByteArray& bytes);
// Windows code page 932 alone.
QString DecodeCp932(const QByteArray& bytes);
QByteArray EncodeCp932(const QString& text);
bool IsValidUtf8(const QByteArray& bytes);

} // namespace Common
