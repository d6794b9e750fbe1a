#pragma once
// The day files of earlier days: which days are on disk, showing one of them beside today's
// store, and keeping the folder to the number of days the user wants.

#include "news/DayFile.h"
#include "news/NewsStore.h"

#include <QDate>
#include <QList>
#include <QString>

class clsWEB;
namespace Yahoo {
struct WordLists;
}

namespace News {

// The disclosure service keeps the lists of about the last month.
inline constexpr int DisclosureListDays = 31;

// AppDataFolder() + "/Data".
QString DataFolder();
// The day's file in the data folder: "/Data/20240105.DAT" for 5 January 2024.
QString DayFilePathOf(const QDate& day);
// The day a file name stands for; invalid for anything but "yyyymmdd.DAT" of a real date.
QDate DayOfFileName(const QString& fileName);
// The days that have a day file in the folder, oldest first.
QList<QDate> StoredDays(const QString& folder);
// Removes the day files more than keepDays days old (0: none). Today's and yesterday's file
// always stay, whatever the count. Returns how many were removed.
int RemoveOldDayFiles(const QString& folder, const QDate& today, int keepDays);

// A day whose disclosures can still be fetched and that needs them: before today, within the
// service's month, and its file missing or last written before the day was over.
bool CanFillDay(const QString& folder, const QDate& day, const QDate& today);

struct FillResult {
    bool ok = false;
    bool cancelled = false; // stopped by Cancel: the day's file was left as it was
    int added = 0;          // headlines the day's file did not hold yet
    QString reason;         // why nothing could be done
};

class Patrol;

// Downloads every page of the day's disclosure list, with the usual pauses, and merges it into
// that day's file (made when missing). Today's store is not touched. It runs on the GUI thread
// and every wait pumps events, so a click or the close box handled meanwhile may cancel it.
class DayFill {
public:
    DayFill(const Program::SettingsState& settings, clsWEB& web, Yahoo::WordLists& words,
            const QDate& day)
        : settings_(settings), web_(web), words_(words), day_(day) {}
    FillResult Run();
    // The download in flight stops at once, no further page is asked for and nothing is saved.
    void Cancel();
    bool Running() const { return filler_ != nullptr; }

private:
    const Program::SettingsState& settings_;
    clsWEB& web_;
    Yahoo::WordLists& words_;
    QDate day_;
    Patrol* filler_ = nullptr;
    bool cancelled_ = false;
};
inline FillResult FillMissedDay(const Program::SettingsState& settings, clsWEB& web,
                                Yahoo::WordLists& words, const QDate& day) {
    return DayFill(settings, web, words, day).Run();
}

// An earlier day, read from its file and shown instead of today's store. Nothing in it changes
// but the opened mark, which goes back to that day's own file.
class EarlierDay {
public:
    explicit EarlierDay(const Program::SettingsState& settings) : store_(settings) {}

    // Reads the day's file; the day shown stays as it was unless the file was read whole.
    DayFileResult Open(const QDate& day);
    void Close();
    bool IsOpen() const { return day_.isValid(); }
    QDate Day() const { return day_; }
    const NewsStore& Store() const { return store_; }
    // Marks the headline opened and saves that day's file; false when nothing was saved.
    bool MarkOpened(int index);

private:
    NewsStore store_;
    QDate day_;
};

} // namespace News
