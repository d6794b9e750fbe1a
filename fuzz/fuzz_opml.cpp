// Any bytes as an imported feed list. Whatever is read must be a list the dialog accepts (a
// fetchable address each, no address twice, within the limit), and writing it out and reading it
// back must give the same list without a fault.

#include "FuzzInput.h"
#include "parsers/Opml.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader in(data, size);
    const QList<QByteArray> pieces = in.Pieces(1);
    QString error;
    const QList<Program::FeedSource> feeds = Opml::ReadOpml(pieces.front(), &error);
    FUZZ_CHECK(feeds.size() <= Program::MaxFeeds);
    QSet<QString> keys;
    for (const Program::FeedSource& feed : feeds) {
        FUZZ_CHECK(Opml::IsFeedAddress(feed.Url));
        FUZZ_CHECK(!feed.Name.isEmpty() && feed.Enabled);
        FUZZ_CHECK(!keys.contains(Opml::AddressKey(feed.Url)));
        keys.insert(Opml::AddressKey(feed.Url));
    }

    QString again;
    FUZZ_CHECK(Opml::ReadOpml(Opml::WriteOpml(feeds, error), &again) == feeds);
    FUZZ_CHECK(again.isEmpty());
    return 0;
}
