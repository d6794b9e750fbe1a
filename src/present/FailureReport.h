#pragma once
// What the status bar says about the sources a fetch cycle could not read.

#include <QString>

namespace News {
struct CycleResult;
}

namespace Present {

struct FailureReport {
    QString text; // one line for the panel; empty when nothing failed
    QString tip;  // each failed source and why, one a line
};

// "26 件中 3 件の取得に失敗しました（接続できません）". With several reasons the one most
// sources share is named and " ほか" follows it.
FailureReport ReportFailures(const News::CycleResult& result);

} // namespace Present
