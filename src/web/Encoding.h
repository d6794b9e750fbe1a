#pragma once
// Turns a downloaded page, in whatever Japanese encoding the server used, into text.

#include <QByteArray>
#include <QString>

namespace modNkf32 {

// The page as text; "" on any failure. The bytes are emptied.
// Detection: BOM, ISO-2022-JP escapes, valid UTF-8, else a charset detector choosing among
// Shift_JIS (Windows code page 932), EUC-JP and UTF-8.
QString ConvertToShiftJisText(QByteArray& bytes);

// Cuts the bytes before the first zero byte and returns their count. No zero: unchanged, the
// size. A zero first byte: 0, the bytes stay as they are.
qsizetype TrimAtNul(QByteArray& bytes);

} // namespace modNkf32
