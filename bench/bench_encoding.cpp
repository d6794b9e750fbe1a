// Page decoding throughput on a 1 MB list page in each encoding the sites send.

#include "web/Encoding.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <unicode/ucnv.h>

namespace {

QByteArray Encode(const char* icuName, const QString& text) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* conv = ucnv_open(icuName, &error);
    if (U_FAILURE(error))
        return {};
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

// About one megabyte of headline rows once encoded.
QString Page(int approxBytes) {
    QString page = QStringLiteral("<html><head><title>ニュース一覧</title></head><body><table>\n");
    for (int i = 0; page.size() * 2 < approxBytes; ++i) {
        page += QStringLiteral("<tr><td>1月%1日 9:%2</td><td><a href=\"/cp/%3\">%4社、通期予想を"
                               "上方修正～営業益は前期比①増 東証プライム</a></td></tr>\n")
                    .arg(i % 28 + 1)
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(1000 + i % 9000);
    }
    return page + QStringLiteral("</table></body></html>\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString page = Page(1 << 20);
    struct Case {
        const char* figure;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"convert_sjis_1mb", Encode("windows-31j", page)},
        {"convert_eucjp_1mb", Encode("EUC-JP", page)},
        {"convert_utf8_1mb", page.toUtf8()},
        {"convert_iso2022jp_1mb", Encode("ISO-2022-JP", page)},
    };
    for (const Case& c : cases) {
        QByteArray bytes = c.bytes;
        if (modNkf32::ConvertToShiftJisText(bytes) != page) {
            std::printf("%s: failed\n", c.figure);
            continue;
        }
        const int rounds = 20;
        qint64 total = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            bytes = c.bytes;
            bytes.detach();
            total += modNkf32::ConvertToShiftJisText(bytes).size();
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        const double mb = double(c.bytes.size()) * rounds / 1e6;
        std::printf("%s: %.1f MB/s\n", c.figure, mb / seconds);
        if (total == 0)
            return 1;
    }
    return 0;
}
