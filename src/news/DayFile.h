#pragma once
// The day file: today's store on disk, so that a restart on the same day shows the same list.
// And the CSV export of the store.

#include "news/NewsItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>
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

// One entry as it lies in a day file, its texts not yet decoded: for a reader that looks at
// many entries and keeps few.
struct RawDayEntry {
    double Posted = 0;
    QByteArrayView Source, Category, Title, Url, Reserved1, Reserved2, Mark;
    qint32 StockCode = 0;
    bool IsVip = false, Reserved3 = false, IsOpened = false, IsNew = false;
};
// Calls visit for every entry in file order (newest first). false when the bytes are not one
// whole day file; visit may have seen the entries before the damage.
bool WalkDayFile(const QByteArray& bytes, const std::function<void(const RawDayEntry&)>& visit);
NewsItem DecodeEntry(const RawDayEntry& entry);
// True when the bytes are UTF-8 as the day file writes it (else they are the old Shift_JIS).
bool IsUtf8Field(QByteArrayView bytes);

// The longest prefix of the text whose UTF-8 form fits in maxBytes, cut at a character boundary.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

} // namespace News
