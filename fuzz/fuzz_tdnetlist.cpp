// Any bytes as a disclosure list page: a ParseFault is an allowed ending, nothing else is.

#include "parsers/Yahoo.h"
#include "text/TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        Common::DecodeCp932(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString nextPage;
    try {
        Yahoo::ParseTdnetListText(
            page, QStringLiteral("https://tdnet.test/inbs/I_list_001_20240105.html"), nextPage,
            0.0);
    } catch (const Yahoo::ParseFault&) {
    }
    return 0;
}
