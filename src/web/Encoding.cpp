#include "web/Encoding.h"

#include "text/Common.h"
#include "text/TextCodec.h"

#include <QStringDecoder>

#include <uchardet/uchardet.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>

namespace modNkf32 {

namespace {

// The detector only needs a taste of the page; feeding it a whole megabyte costs more than
// the decoding itself.
constexpr qsizetype DetectWindow = 16 * 1024;
// Bytes decoded between two chances for the event loop: well under a millisecond's work.
constexpr qsizetype DecodeSlice = 64 * 1024;

// ICU names. windows-31j is Shift_JIS with the Windows mapping ("～" is U+FF5E, NEC specials
// such as "①" included); Debian's EUC-JP and ISO-2022-JP map the same way.
constexpr const char* Cp932 = "windows-31j";
constexpr const char* EucJp = "EUC-JP";
constexpr const char* Iso2022Jp = "ISO-2022-JP";

struct InvalidCounter {
    qsizetype count = 0;
};

void CountAndSubstitute(const void* context, UConverterToUnicodeArgs* args, const char* units,
                        int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
    if (reason <= UCNV_IRREGULAR)
        ++static_cast<InvalidCounter*>(const_cast<void*>(context))->count;
    UCNV_TO_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, reason, error);
}

struct ConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Decodes with an ICU converter; invalid sequences become substitution characters.
// invalid, when given, receives their number. std::nullopt when ICU itself fails.
// A large page goes through in slices, with pending events let in between; the converter is
// this call's own and keeps a character split across two slices.
std::optional<QString> DecodeIcu(const char* name, const char* data, qsizetype size,
                                 qsizetype* invalid = nullptr) {
    if (size >= std::numeric_limits<int32_t>::max() / 2)
        return std::nullopt;
    UErrorCode error = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, ConverterClose> conv(ucnv_open(name, &error));
    if (U_FAILURE(error))
        return std::nullopt;
    InvalidCounter counter;
    if (invalid) {
        ucnv_setToUCallBack(conv.get(), CountAndSubstitute, &counter, nullptr, nullptr, &error);
        if (U_FAILURE(error))
            return std::nullopt;
    }
    // None of these encodings yields more UTF-16 units than bytes; growing is for safety.
    QString out(size + 1, Qt::Uninitialized);
    qsizetype used = 0;
    const char* source = data;
    const char* const sourceEnd = data + size;
    for (;;) {
        const char* sliceEnd = sourceEnd - source > DecodeSlice ? source + DecodeSlice : sourceEnd;
        const bool last = sliceEnd == sourceEnd;
        auto* const begin = reinterpret_cast<UChar*>(out.data());
        UChar* target = begin + used;
        error = U_ZERO_ERROR;
        ucnv_toUnicode(conv.get(), &target, begin + out.size(), &source, sliceEnd, nullptr, last,
                       &error);
        used = target - begin;
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            // The converter holds what did not fit; the next call hands it over.
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(error))
            return std::nullopt;
        if (last)
            break;
        Common::YieldIfDue();
    }
    out.truncate(used);
    if (invalid)
        *invalid = counter.count;
    return out;
}

// The bytes as UTF-8 when they are valid UTF-8 throughout, else std::nullopt. Decoded slice by
// slice, each cut before a character's first byte so that no character is split, with pending
// events let in between; a legacy page fails within its first slice instead of after a whole
// wasted decode. The bytes must not start with a byte order mark.
std::optional<QString> DecodeValidUtf8(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    // Never more UTF-16 units than bytes, replacement characters included.
    QString out(n + 1, Qt::Uninitialized);
    QChar* const begin = out.data();
    QChar* end = begin;
    for (qsizetype start = 0; start < n;) {
        qsizetype stop = std::min(n, start + DecodeSlice);
        // Back over at most three continuation bytes; more cannot be valid anyway.
        for (int k = 0; k < 3 && stop < n && (bytes[stop] & 0xC0) == 0x80; ++k)
            --stop;
        QStringDecoder slice(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                         QStringConverter::Flag::ConvertInitialBom);
        end = slice.appendToBuffer(end, QByteArrayView(bytes + start, stop - start));
        if (slice.hasError())
            return std::nullopt;
        start = stop;
        if (start < n)
            Common::YieldIfDue();
    }
    out.truncate(end - begin);
    return out;
}

// 7-bit data with the JIS escapes (kanji in: ESC $ B, ESC $ @; roman / ASCII: ESC ( J, ESC ( B).
bool LooksLikeIso2022Jp(const QByteArray& bytes) {
    bool escape = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80)
            return false;
        if (c == 0x1B && i + 2 < n) {
            const char a = bytes[i + 1], b = bytes[i + 2];
            if ((a == '$' && (b == 'B' || b == '@')) || (a == '(' && (b == 'J' || b == 'B')))
                escape = true;
        }
    }
    return escape;
}

QString DecodeUtf16(const QByteArray& bytes, QStringConverter::Encoding encoding) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes).sliced(2));
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

// The part of the page worth tasting: pages often open with many kilobytes of ASCII (scripts,
// style sheets), so the window starts at the first byte that is not ASCII.
QByteArrayView DetectionWindow(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype first = 0;
    while (first < bytes.size() && data[first] < 0x80)
        ++first;
    if (first == bytes.size())
        first = 0;
    return QByteArrayView(bytes).sliced(first, std::min(bytes.size() - first, DetectWindow));
}

// Which of the two legacy encodings the bytes are, for pages the detector gives up on.
const char* FewerInvalid(QByteArrayView window) {
    qsizetype sjisBad = 0, eucBad = 0;
    const auto sjis = DecodeIcu(Cp932, window.data(), window.size(), &sjisBad);
    const auto euc = DecodeIcu(EucJp, window.data(), window.size(), &eucBad);
    if (!euc || (sjis && sjisBad <= eucBad))
        return Cp932;
    return EucJp;
}

const char* DetectLegacy(const QByteArray& bytes) {
    const QByteArrayView window = DetectionWindow(bytes);
    uchardet_t detector = uchardet_new();
    if (!detector)
        return FewerInvalid(window);
    QByteArray charset;
    if (uchardet_handle_data(detector, window.data(), static_cast<size_t>(window.size())) == 0) {
        uchardet_data_end(detector);
        charset = QByteArray(uchardet_get_charset(detector)).toUpper();
    }
    uchardet_delete(detector);
    if (charset == "SHIFT_JIS" || charset == "WINDOWS-31J" || charset == "CP932")
        return Cp932;
    if (charset == "EUC-JP")
        return EucJp;
    if (charset == "UTF-8")
        return "UTF-8";
    if (charset == "ISO-2022-JP")
        return Iso2022Jp;
    return FewerInvalid(window);
}

QString Convert(QByteArray& data) {
    // UTF-16 is full of zero bytes: look for its BOM before cutting at the first one.
    if (data.startsWith("\xFF\xFE"))
        return DecodeUtf16(data, QStringConverter::Utf16LE);
    if (data.startsWith("\xFE\xFF"))
        return DecodeUtf16(data, QStringConverter::Utf16BE);

    if (TrimAtNul(data) == 0)
        return {};
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(QByteArrayView(data).sliced(3));
    if (LooksLikeIso2022Jp(data))
        return DecodeIcu(Iso2022Jp, data.constData(), data.size()).value_or(QString());

    if (auto text = DecodeValidUtf8(data))
        return *text;

    const char* name = DetectLegacy(data);
    return DecodeIcu(name, data.constData(), data.size()).value_or(QString());
}

} // namespace

qsizetype TrimAtNul(QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    if (nul < 0)
        return bytes.size();
    if (nul > 0)
        bytes.truncate(nul);
    return nul;
}

std::optional<QString> DecodeLabelled(QByteArrayView bytes, QByteArrayView label,
                                      qsizetype* invalid) {
    const QByteArray name = label.trimmed().toByteArray().toLower();
    if (name.isEmpty())
        return std::nullopt;
    const char* icuName = name.constData();
    // Servers name Shift_JIS in many ways and nearly always mean the Windows code page.
    static const char* const sjis[] = {"shift_jis",   "shift-jis",  "sjis",  "x-sjis",
                                       "ms_kanji",    "csshiftjis", "cp932", "ms932",
                                       "windows-31j", "x-ms-cp932"};
    static const char* const euc[] = {"euc-jp", "eucjp", "x-euc-jp", "cseucpkdfmtjapanese"};
    static const char* const jis[] = {"iso-2022-jp", "csiso2022jp", "jis"};
    if (std::find(std::begin(sjis), std::end(sjis), name) != std::end(sjis))
        icuName = Cp932;
    else if (std::find(std::begin(euc), std::end(euc), name) != std::end(euc))
        icuName = EucJp;
    else if (std::find(std::begin(jis), std::end(jis), name) != std::end(jis))
        icuName = Iso2022Jp;
    try {
        if (name == "utf-8" || name == "utf8") {
            // The common case skips ICU; QString::fromUtf8 replaces bad sequences alike.
            const QByteArray data = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3).toByteArray()
                                                                     : bytes.toByteArray();
            if (Common::IsValidUtf8(data)) {
                if (invalid)
                    *invalid = 0;
                return QString::fromUtf8(data);
            }
            icuName = "UTF-8";
        }
        qsizetype bad = 0;
        auto text = DecodeIcu(icuName, bytes.data(), bytes.size(), &bad);
        if (text && invalid)
            *invalid = bad;
        return text;
    } catch (...) {
        return std::nullopt;
    }
}

QString ConvertToShiftJisText(QByteArray& bytes) {
    QByteArray data;
    data.swap(bytes);
    try {
        return Convert(data);
    } catch (...) {
        // Out of memory on a monstrous page is a missing page, not a crash.
        return {};
    }
}

} // namespace modNkf32
