#pragma once
// Feed lists in OPML, the outline format feed readers use to exchange their subscriptions.

#include "app/SettingsState.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace Opml {

// An address the program can fetch a feed from: absolute, http or https, with a host.
bool IsFeedAddress(const QString& url);
// The form two addresses are compared in to tell whether they are the same feed (the host's case
// and surrounding blanks do not count).
QString AddressKey(const QString& url);

// Every outline with a usable "xmlUrl", at any depth (category outlines are flattened), in
// document order, each enabled. The name is "title", else "text", else the address. A second
// outline with the same address is dropped. At most Program::MaxFeeds. On a fault (not OPML,
// broken XML, too many feeds) `error` receives a Japanese message and the feeds read before the
// fault are returned; otherwise it is cleared. `unusable` counts the outlines whose "xmlUrl" is
// not a feed address (a local file, a script, no host), which are left out.
QList<Program::FeedSource> ReadOpml(const QByteArray& bytes, QString* error,
                                    int* unusable = nullptr);

// OPML 2.0 in UTF-8, one outline per feed, disabled ones included.
QByteArray WriteOpml(const QList<Program::FeedSource>& feeds, const QString& title);

} // namespace Opml
