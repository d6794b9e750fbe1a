// Any bytes through the tag cut-out and the link collector. The first byte holds the link
// options, the second the starting position; then the page, the tag name, the link pattern and
// the base address, separated by zero bytes.

#include "FuzzInput.h"
#include "web/clsWEB.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput::Reader in(data, size);
    const int options = in.Byte();
    const int from = in.Small();
    const QStringList parts = in.Strings(4);
    const QString& html = parts[0];

    // A fresh object each time: the link collector keeps the last address it looked at.
    clsWEB web;
    QString tag = parts[1], attributes;
    qsizetype position = from;
    const QString inner = web.HtmlTagGet(html, position, tag, attributes);
    FUZZ_CHECK(html.contains(inner));
    FUZZ_CHECK(position >= 0 && position <= html.size() + 1);
    if (position == 0)
        FUZZ_CHECK(inner.isEmpty());

    const Common::StrArray links = web.GetLinks(parts[2], parts[3], html, options);
    if (!links)
        return 0;
    if (options & 32)
        FUZZ_CHECK(QSet<QString>(links->begin(), links->end()).size() == links->size());
    for (qsizetype i = 0; i < links->size(); ++i) {
        const QString& link = links->at(i);
        if (options & 16)
            FUZZ_CHECK(!link.contains(u'#'));
        if ((options & 6) == 2 && i > 0) {
            const int order = QString::compare(links->at(i - 1), link, Qt::CaseSensitive);
            FUZZ_CHECK((options & 8) ? order <= 0 : order >= 0);
        }
    }
    return 0;
}
