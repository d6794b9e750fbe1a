#pragma once
// Page encodings the simulated sites send, done with ICU so the byte sequences are the real ones.

#include <QByteArray>
#include <QString>

namespace Feedsim {

enum class PageEncoding { ShiftJis, EucJp, Utf8, Iso2022Jp };

// "sjis", "eucjp", "utf8", "iso2022jp"; false for anything else.
bool ParseEncodingName(const QString& name, PageEncoding& out);
// The label a page declares in its meta tag and Content-Type header.
QByteArray CharsetLabel(PageEncoding enc);
// Another encoding than enc, for pages that lie about their encoding.
PageEncoding OtherEncoding(PageEncoding enc);
QByteArray EncodeText(const QString& text, PageEncoding enc);

} // namespace Feedsim
