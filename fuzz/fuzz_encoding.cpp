// Any bytes as a downloaded page and as a text file: the page converter, the cut at the first
// zero byte, the UTF-8 test and the code page 932 decoder and encoder.

#include "FuzzInput.h"
#include "text/TextCodec.h"
#include "web/Encoding.h"

#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    QByteArray page = bytes;
    const QString text = modNkf32::ConvertToShiftJisText(page);
    FUZZ_CHECK(page.isEmpty());
    // Whatever the encoding, the text ends where the page's first zero character would be.
    FUZZ_CHECK(!text.contains(QChar(0)));

    QByteArray cut = bytes;
    const qsizetype nul = bytes.indexOf('\0');
    const qsizetype kept = modNkf32::TrimAtNul(cut);
    if (nul < 0)
        FUZZ_CHECK(kept == bytes.size() && cut == bytes);
    else if (nul == 0)
        FUZZ_CHECK(kept == 0 && cut == bytes);
    else
        FUZZ_CHECK(kept == nul && cut == bytes.left(nul));

    // Our UTF-8 test agrees with Qt's decoder, and valid bytes load as UTF-8 without any leading
    // BOM (Qt's decoder drops the first one itself).
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString viaQt = utf8(bytes);
    const bool valid = Common::IsValidUtf8(bytes);
    FUZZ_CHECK(valid == !utf8.hasError());
    if (valid) {
        while (viaQt.startsWith(QChar(0xFEFF)))
            viaQt.remove(0, 1);
        FUZZ_CHECK(Common::DecodeUtf8OrCp932(bytes) == viaQt);
    }

    // A list saved back in code page 932 reads back to the same bytes once they are canonical.
    const QByteArray once = Common::EncodeCp932(Common::DecodeCp932(bytes));
    const QByteArray twice = Common::EncodeCp932(Common::DecodeCp932(once));
    FUZZ_CHECK(once == twice);
    return 0;
}
