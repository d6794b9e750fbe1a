// Any bytes as a portal news list page: the parser must end cleanly, whatever it finds.

#include "app/AppData.h"
#include "parsers/Yahoo.h"
#include "text/TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The fixture folder holds a NewsWord folder, so the word lists take part.
    Common::SetAppDataFolder(QStringLiteral(TW_TEST_DATA "/parsers"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        Common::DecodeCp932(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString nextPage;
    // Faults are the parser's own business: one escaping from here is a finding.
    static Yahoo::WordLists words; // read from the fixture folder once
    Yahoo::ParseYahooNewsListText(words, page,
                                  QStringLiteral("http://news.test/cp/rtrs?date=20240105"),
                                  QStringLiteral("ロイター"), nextPage);
    return 0;
}
