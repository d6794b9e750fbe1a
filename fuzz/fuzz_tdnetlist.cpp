// Any bytes as a disclosure list page, read by whichever of the two readers the page asks for.
// A ParseFault is an allowed ending; what is returned keeps the records' promises.
// First byte: bit 0 puts the rest inside the current layout's table (so that reader gets its
// share without the fuzzer having to find the table's id first); the other bits give a cut-off
// time within the list's day.

#include "FuzzInput.h"
#include "app/SettingsState.h"
#include "parsers/Yahoo.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "text/TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader input(data, size);
    const uint8_t mode = input.Byte();
    QByteArray bytes = input.Pieces(1).front();
    if (mode & 1)
        bytes.prepend("<table id=\"main-list-table\">");
    const QString page = Common::DecodeCp932(bytes);
    const double day = Dates::ToOle(QDate(2024, 1, 5));
    const double cutOff = (mode >> 1) ? day + (mode >> 1) / 128.0 : 0.0;
    const QString host = Program::SettingsState().TdnetHost;
    const QString folder = host + QStringLiteral("/inbs/");

    QString nextPage = QStringLiteral("stale");
    try {
        const News::ParsedHeadlines items = Yahoo::ParseTdnetListText(
            host, page, folder + QStringLiteral("I_list_001_20240105.html"), nextPage, cutOff);
        FUZZ_CHECK(page.isEmpty() || nextPage.isEmpty() ||
                   nextPage == folder + "I_list_002_20240105.html");
        if (!items)
            return 0;
        FUZZ_CHECK(!items->isEmpty());
        for (const News::ParsedHeadline& item : *items) {
            FUZZ_CHECK(item.Posted > cutOff && item.Posted >= day && item.Posted < day + 1);
            FUZZ_CHECK(item.Source == QStringLiteral("適時開示情報") && !item.IsVip);
            FUZZ_CHECK(item.Url.startsWith(folder));
            FUZZ_CHECK(item.CellLink1.isEmpty() || item.CellLink1.startsWith(folder));
            FUZZ_CHECK(item.Category == item.CompanyName + '(' + item.CodePrefix + ':' +
                                            Common::Trim(item.CodeText) + ')');
        }
    } catch (const Yahoo::ParseFault&) {
    }
    return 0;
}
