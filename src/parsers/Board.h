#pragma once
// The message-board report: a stock's board list page counted by sentiment, then the recent
// messages one by one, as a plain text that the options dialog writes to "掲示板.TXT".

#include "app/Ports.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class clsWEB;

namespace Yahoo {

// Where the boards are read: the downloading page object and the board host (scheme and host).
struct BoardSite {
    clsWEB& web;
    QString host;
};

// Called with the index of the message link just handled and the index of the last one.
using BoardProgress = std::function<void(int value, int maximum)>;

// The report text, or "" when the list page has no message links or anything went wrong (a
// fault is written to the trace). previousPage and nextPage receive the list's paging links.
QString SummariseBoard(const BoardSite& site, const QString& listAddress,
                       const BoardProgress& progress, bool markLinks, const QDateTime& dateLimit,
                       QString& previousPage, QString& nextPage);

// Sentiment markers counted on the list page and the labels the report shows; index 5 (not
// disclosed) has no marker.
const QStringList& BoardMarkers();
const QStringList& BoardLabels();

// One line of the sentiment table, CR LF included.
QString BoardTableLine(const QString& label, qint16 count, int messages);

// A stock code: four characters, a digit first, then digits or capital letters ("7203",
// "130A"). The board command trims the answer and puts it in upper case before asking.
bool BoardCodeIsValid(const QString& code);
// site.host + "/?action=q&board=" + code.
QString BoardListAddress(const BoardSite& site, const QString& code);
// AppDataFolder() + "/掲示板.TXT".
QString BoardReportPath();

// The board command as the options dialog runs it: asks for the code, checks it, writes the
// report and hands it to openReport. setBusy(true) / setBusy(false) bracket the work once a
// code was given. Returns the report's path, "" when none was written.
QString RunBoardCommand(const BoardSite& site, Ports::PromptPort& prompt,
                        const std::function<void(bool)>& setBusy,
                        const std::function<void(const QString&)>& openReport);

inline const QString BoardTitle = QStringLiteral("Yahoo!ファイナンス掲示板閲覧");

} // namespace Yahoo
