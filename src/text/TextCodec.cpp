#include "text/TextCodec.h"

#include <cstring>
#include <memory>
#include <unicode/ucnv.h>

namespace Common {

namespace {

struct ConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

// "windows-31j" is ICU's name for code page 932: NEC and IBM extensions, 0x8160 as U+FF5E.
// A converter for one text: ICU shares the loaded table between converters, so opening one
// costs microseconds, and no converter state outlives the call.
Converter Cp932() {
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        return Converter();
    // Unmappable characters become "?" rather than a two-byte substitute.
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &status);
    return c;
}

} // namespace

bool IsValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        // Pages are mostly markup: runs of ASCII go eight bytes at a time.
        quint64 word;
        while (i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080ULL) == 0))
            i += 8;
        if (i == n)
            break;
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned char lo = 0x80;
        unsigned char hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0)
                lo = 0x90; // overlong
            if (b == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= extra; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

struct Cp932Decoder::Converter {
    Common::Converter handle;
};

Cp932Decoder::Cp932Decoder() = default;
Cp932Decoder::~Cp932Decoder() = default;

QString Cp932Decoder::Decode(const char* bytes, qsizetype size) {
    if (size <= 0)
        return QString();
    if (!converter_)
        converter_ = std::make_unique<Converter>(Converter{Cp932()});
    UConverter* converter = converter_->handle.get();
    if (!converter)
        return QString();
    ucnv_reset(converter);
    // One UTF-16 unit per byte is always enough for a double-byte code page.
    QString result(size + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(result.data()),
                                         int32_t(result.size()), bytes, int32_t(size), &status);
    if (U_FAILURE(status))
        return QString();
    result.resize(length);
    return result;
}

QString DecodeCp932(const QByteArray& bytes) {
    return Cp932Decoder().Decode(bytes.constData(), bytes.size());
}

QByteArray EncodeCp932(const QString& text) {
    if (text.isEmpty())
        return QByteArray();
    const Converter owned = Cp932();
    UConverter* converter = owned.get();
    if (!converter)
        return QByteArray();
    // At most two bytes per UTF-16 unit.
    QByteArray result(text.size() * 2 + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(converter, result.data(), int32_t(result.size()),
                                           reinterpret_cast<const UChar*>(text.constData()),
                                           int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return QByteArray();
    result.resize(length);
    return result;
}

QString DecodeUtf8OrCp932(const QByteArray& bytes) {
    // Every leading BOM goes: a file saved twice by a careless editor must not keep one glued to
    // its first line.
    qsizetype start = 0;
    while (QByteArrayView(bytes).sliced(start).startsWith("\xEF\xBB\xBF"))
        start += 3;
    const QByteArray body = bytes.sliced(start);
    if (IsValidUtf8(body))
        return QString::fromUtf8(body);
    return DecodeCp932(body);
}

} // namespace Common
