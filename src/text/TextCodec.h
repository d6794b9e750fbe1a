#pragma once
// Decoding of the text files the program reads and of day-file fields.

#include <QByteArray>
#include <QString>
#include <memory>

namespace Common {

// UTF-8 when the bytes are valid UTF-8, otherwise Windows code page 932 (Shift_JIS with the
// Windows mapping), so lists made on Windows still load. Leading BOMs are dropped either way.
QString DecodeUtf8OrCp932(const QByteArray& bytes);
// Windows code page 932 alone.
QString DecodeCp932(const QByteArray& bytes);

// Decodes many code page 932 texts with one converter, made on the first text (the fields of a
// day file written in the old encoding).
class Cp932Decoder {
public:
    Cp932Decoder();
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;
    QString Decode(const char* bytes, qsizetype length);

private:
    struct Converter;
    std::unique_ptr<Converter> converter_;
};
QByteArray EncodeCp932(const QString& text);
bool IsValidUtf8(const QByteArray& bytes);

} // namespace Common
