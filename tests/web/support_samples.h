#pragma once
// One Japanese page and the encoders that turn it into the bytes the sites send.

#include <QByteArray>
#include <QString>
#include <unicode/ucnv.h>

// A list page as the portal serves it, with the characters whose mapping differs between the
// Japanese code tables ("～", "①", "－", "∥").
inline QString SamplePage() {
    QString page = QStringLiteral("<html><head><title>ニュース一覧</title></head><body><ul>\n");
    for (int i = 1; i <= 40; ++i) {
        page +=
            QStringLiteral("<li><a href=\"/cp/%1\">2024年1月%2日 9:%3 トヨタ自動車、新型車を発表"
                           "～販売目標は年10万台① 株価は上昇－前日比∥東証プライム</a></li>\n")
                .arg(i)
                .arg(i % 28 + 1)
                .arg(i % 60, 2, 10, QLatin1Char('0'));
    }
    page += QStringLiteral("</ul></body></html>\n");
    return page;
}

// Encodes with an ICU converter; a character the encoding lacks makes the result empty, so a
// broken fixture shows up as a failed comparison rather than as a silent "?".
inline QByteArray EncodeAs(const char* icuName, const QString& text) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* conv = ucnv_open(icuName, &error);
    if (U_FAILURE(error))
        return {};
    ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    const int32_t capacity = static_cast<int32_t>(text.size() * 8 + 16);
    QByteArray out(capacity, '\0');
    const int32_t length =
        ucnv_fromUChars(conv, out.data(), capacity, reinterpret_cast<const UChar*>(text.utf16()),
                        static_cast<int32_t>(text.size()), &error);
    ucnv_close(conv);
    if (U_FAILURE(error))
        return {};
    out.truncate(length);
    return out;
}
