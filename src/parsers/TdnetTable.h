#pragma once
// The disclosure list as the service lays it out today: one table row per disclosure, the cells
// told apart by the role name in their class. Reached through ParseTdnetListText, which picks
// this reader when the page holds the list table.

#include "news/NewsItem.h"

#include <QDate>
#include <QString>
#include <QStringView>

namespace Yahoo::detail {

// Index just behind the tag that carries id="main-list-table" (any quotes, any letter case of
// the attribute name); -1 when the page has no such tag.
qsizetype MainListTableStart(QStringView page);

// The rows of the table that begins at start, newest first, up to the first one not newer than
// cutOff. folder completes the links; day is the list's day (a row with a time on an invalid day
// is a fault, as in the older layout). Rows without a time or without a link are skipped.
News::ParsedHeadlines ParseTdnetTable(QStringView page, qsizetype start, const QString& folder,
                                      const QDate& day, double cutOff);

// The code cell as the records keep it: all digits read as a number and written back in
// decimal; anything else (a code with a letter) as its characters, trimmed, upper case.
QString DisclosureCodeText(QStringView cell);

} // namespace Yahoo::detail
