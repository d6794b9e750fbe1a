// Any bytes as a downloaded news feed, under one of a few Content-Type values, and any text as a
// feed date: the reader ends cleanly and keeps its promises about what it returns.

#include "FuzzInput.h"
#include "parsers/FeedReader.h"

#include <cmath>

namespace {

bool IsAsciiSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// One line, blanks single, none at the ends.
bool IsNormalized(const QString& text) {
    if (text.isEmpty())
        return true;
    if (IsAsciiSpace(text.front()) || IsAsciiSpace(text.back()))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsAsciiSpace(text[i]) && (text[i] != u' ' || IsAsciiSpace(text[i + 1])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader input(data, size);
    static const QByteArray types[] = {"",
                                       "application/rss+xml",
                                       "text/xml; charset=Shift_JIS",
                                       "text/xml; charset=EUC-JP",
                                       "application/atom+xml; charset=\"ISO-2022-JP\"",
                                       "text/xml; charset=utf-8"};
    const QByteArray& contentType = types[input.Byte() % std::size(types)];
    const QByteArray body = input.Pieces(1).first();

    const Feeds::FeedParse parse =
        Feeds::ParseFeed(body, contentType, QStringLiteral("http://feed.test/dir/feed.xml"));
    if (parse.Format == Feeds::FeedFormat::Unknown)
        FUZZ_CHECK(parse.Items.isEmpty() && !parse.Fault.isEmpty());
    for (const Feeds::FeedItem& item : parse.Items) {
        FUZZ_CHECK(IsNormalized(item.Title));
        FUZZ_CHECK(IsNormalized(item.Category));
        FUZZ_CHECK(std::isfinite(item.Posted));
    }

    // The same bytes as a date: a date is a valid one.
    const auto when = Feeds::ParseFeedDate(QString::fromUtf8(body.left(80)));
    FUZZ_CHECK(!when || when->isValid());
    return 0;
}
