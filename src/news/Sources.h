#pragma once
// The 26 news sources, in the order the fetch cycle walks them.

#include <QString>
#include <QStringList>

namespace News {

// Builds the three parallel source arrays and empties the store.
void InitNewsSources();

// Display names: the Source text of every headline from the source.
const QStringList& SourceNames();
// Provider codes of the list page addresses.
const QStringList& SourceCodes();
// Keys of the logo pictures.
const QStringList& SourceLogoKeys();

// Index of the source whose display name is exactly name; -1 when there is none.
int SourceIndex(const QString& name);

} // namespace News
