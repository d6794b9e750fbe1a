#include "Encode.h"

#include <unicode/ucnv.h>

namespace Feedsim {

namespace {

const char* IcuName(PageEncoding enc) {
    switch (enc) {
    case PageEncoding::ShiftJis:
        return "windows-31j";
    case PageEncoding::EucJp:
        return "EUC-JP";
    case PageEncoding::Iso2022Jp:
        return "ISO-2022-JP";
    case PageEncoding::Utf8:
        break;
    }
    return "UTF-8";
}

} // namespace

bool ParseEncodingName(const QString& name, PageEncoding& out) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("sjis"))
        out = PageEncoding::ShiftJis;
    else if (n == QLatin1String("eucjp"))
        out = PageEncoding::EucJp;
    else if (n == QLatin1String("utf8"))
        out = PageEncoding::Utf8;
    else if (n == QLatin1String("iso2022jp"))
        out = PageEncoding::Iso2022Jp;
    else
        return false;
    return true;
}

QByteArray CharsetLabel(PageEncoding enc) {
    switch (enc) {
    case PageEncoding::ShiftJis:
        return "Shift_JIS";
    case PageEncoding::EucJp:
        return "EUC-JP";
    case PageEncoding::Iso2022Jp:
        return "ISO-2022-JP";
    case PageEncoding::Utf8:
        break;
    }
    return "UTF-8";
}

PageEncoding OtherEncoding(PageEncoding enc) {
    return enc == PageEncoding::ShiftJis ? PageEncoding::EucJp : PageEncoding::ShiftJis;
}

QByteArray EncodeText(const QString& text, PageEncoding enc) {
    if (enc == PageEncoding::Utf8)
        return text.toUtf8();
    UErrorCode err = U_ZERO_ERROR;
    UConverter* conv = ucnv_open(IcuName(enc), &err);
    if (U_FAILURE(err))
        return text.toUtf8();
    const auto* src = reinterpret_cast<const UChar*>(text.utf16());
    // Japanese multibyte encodings need at most 8 bytes per UTF-16 unit (ISO-2022-JP escapes).
    QByteArray out(text.size() * 8 + 16, Qt::Uninitialized);
    err = U_ZERO_ERROR;
    const int32_t n =
        ucnv_fromUChars(conv, out.data(), int32_t(out.size()), src, int32_t(text.size()), &err);
    ucnv_close(conv);
    if (U_FAILURE(err))
        return text.toUtf8();
    out.truncate(n);
    return out;
}

} // namespace Feedsim
