#pragma once
// What the two list parsers share: the word lists, the guarded cut and the scheme-and-host part
// of an address.

#include "parsers/Yahoo.h"
#include "text/Common.h"

#include <QDate>
#include <QString>
#include <QTime>

namespace Yahoo::detail {

// Reads the five lists together when the header list is not loaded yet.
const WordLists& EnsureWordLists(WordLists& lists);

// Common::CutOut, but a reading position that an earlier cut left at 0 ("not found") is a fault
// rather than a search from nowhere.
QString Cut(qsizetype& position, const QString& text, const QString& startMarker,
            const QString& endMarker, const char* where);

// Scheme and host: the text before the first "/" behind the first "//"; empty without "//";
// the whole address when nothing follows the host.
QString SiteAddress(const QString& url);

// The record's date double of a local date and time, straight from the parts: the same value
// as Dates::ToOle of that date-time, without a round trip through the time zone.
double OleOf(const QDate& date, const QTime& time);

} // namespace Yahoo::detail
