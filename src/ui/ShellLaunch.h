#pragma once
// Everything the program hands to another program or to the desktop goes through here.

#include <QString>

class QWidget;

namespace ShellLaunch {

// Programs get `parameters` as their one argument (the double quotes that kept an address one
// argument are stripped); documents and web addresses open with the desktop's handler. Returns
// true when started; on failure, when showError, a message box (critical icon, title
// LaunchFailureTitle) names what could not be opened and why.
bool LaunchApplication_by_File(QWidget* owner, const QString& file, const QString& parameters,
                               const QString& folder, bool showError);

// The message of a launch result code; "ファイルを開けません。" for codes outside the table.
QString LaunchErrorText(int code);
// Code 1 is the desktop's opener (xdg-open) missing.
constexpr int NoDesktopOpener = 1;
// "<what> を開けません。" and the reason of the code.
QString LaunchFailureText(const QString& what, int code);
inline constexpr char16_t LaunchFailureTitle[] = u"開けませんでした";

// 5 documents, 36 the sounds folder (where the sound dialog opens), 37 the system programs
// folder, 253 the temporary folder with a trailing "/"; others are looked up as standard
// locations where one fits, else "".
QString GetSpecialFolder(int id);

} // namespace ShellLaunch
