#pragma once
#include <QString>

namespace Program {

// "2.15" for 2.1.5, "1.100" for 1.10.0: minor and revision run together after the dot.
QString FormatVersionText(int major, int minor, int revision);
// "version_0123.htm" for 1.2.3: the major with two digits, then minor and revision.
QString FormatVersionPageName(int major, int minor, int revision);

// The same for the version this program was built as.
QString VersionText();
QString VersionPageName();
// "1.2.3": the three numbers apart, as "LAST VERSION" keeps them.
QString FullVersionText();

} // namespace Program
