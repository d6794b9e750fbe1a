#pragma once
// Turns a downloaded page, in whatever Japanese encoding the server used, into text.

#include <QByteArray>
#include <QString>
#include <optional>

namespace modNkf32 {

// The page as text; "" on any failure. The bytes are emptied.
// Detection: BOM, ISO-2022-JP escapes, valid UTF-8, else a charset detector choosing among
// Shift_JIS (Windows code page 932), EUC-JP and UTF-8.
QString ConvertToShiftJisText(QByteArray& bytes);

// Cuts the bytes before the first zero byte and returns their count. No zero: unchanged, the
// size. A zero first byte: 0, the bytes stay as they are.
qsizetype TrimAtNul(QByteArray& bytes);

// The bytes as the charset a server or a document declared ("Shift_JIS", "EUC-JP",
// "ISO-2022-JP", "UTF-8" and their usual aliases; the Japanese ones with the Windows mapping, as
// everywhere else in the program; any other label ICU knows). invalid, when given, receives the
// number of byte sequences not valid in that charset; they become U+FFFD. std::nullopt for a
// label nobody knows.
std::optional<QString> DecodeLabelled(QByteArrayView bytes, QByteArrayView label,
                                      qsizetype* invalid = nullptr);

} // namespace modNkf32
