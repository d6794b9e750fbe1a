#pragma once
// The day file: today's store on disk, so that a restart on the same day shows the same list.
// And the CSV export of the store.

#include "news/NewsItem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace News {

// AppDataFolder() + "/Data/" + yyyymmdd of today + ".DAT".
QString DayFilePath();

enum class DayFileResult {
    Loaded,     // the store now holds the file's entries
    Missing,    // no file: the store is as it was
    Corrupt,    // not read whole: the store is as it was, the file was put aside as ".bad"
    Unreadable, // could not be opened: the store is as it was
};

class NewsStore;
struct DayFileStamp;

DayFileResult LoadDayFile(NewsStore& store);
// The same for the day file at path; a damaged one is renamed only when putAsideDamaged.
DayFileResult LoadDayFileFrom(NewsStore& store, const QString& path, bool putAsideDamaged);
// false when the store is empty (an empty store never overwrites the day's file) or on failure.
bool SaveDayFile(NewsStore& store);
bool SaveDayFileTo(NewsStore& store, const QString& path);
// True when today's day file exists and is not the one the store last read or wrote, so that a
// cycle reads it again only when someone else has put it there.
bool DayFileNeedsLoad(const NewsStore& store);

// The user opened the headline: remember it and save.
void MarkOpened(NewsStore& store, int index);

// One line per entry, newest first. false and nothing written when the store is empty.
bool ExportCsv(const NewsStore& store, const QString& path);

// The file's bytes for the given entries, in the given order.
QByteArray EncodeDayFile(const QList<NewsItem>& items);
// The entries, or std::nullopt when the bytes are not one whole day file.
std::optional<QList<NewsItem>> DecodeDayFile(const QByteArray& bytes);

// The longest prefix of the text whose UTF-8 form fits in maxBytes, cut at a character boundary.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

} // namespace News
