#pragma once
// Qt's own texts (the buttons and labels of the file, font and message dialogs) in Japanese, as
// the rest of the program speaks.

class QCoreApplication;

namespace QtJapanese {

// Installs Qt's Japanese translation from the system's Qt translations folder. False when it is
// not installed there; the dialogs then stay in English.
bool Install(QCoreApplication& app);

} // namespace QtJapanese
