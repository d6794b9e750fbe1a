#pragma once
// Everything the program hands to another program or to the desktop goes through here.

#include <QString>

class QWidget;

namespace ShellLaunch {

// Programs get `parameters` as their one argument (the double quotes that kept an address one
// argument are stripped); documents and web addresses open with the desktop's handler. Returns
// true when started; on failure shows the error table's message (critical icon, title
// "LaunchApplication_by_File アプリケーション起動不可") when showError.
bool LaunchApplication_by_File(QWidget* owner, const QString& file, const QString& parameters,
                               const QString& folder, bool showError);

// The message of a launch result code; "ファイルを開けません。" for codes outside the table.
QString LaunchErrorText(int code);

// 5 documents, 36 the sounds folder (where the sound dialog opens), 37 the system programs
// folder, 253 the temporary folder with a trailing "/"; others are looked up as standard
// locations where one fits, else "".
QString GetSpecialFolder(int id);

} // namespace ShellLaunch
