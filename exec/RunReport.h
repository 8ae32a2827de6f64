#pragma once

#include <string>
#include <vector>

#include "RunTypes.h"

namespace torvel {

// How a run on the rename page tells the person what it did.
//
// The count on the status line counts the files that reached their new
// names, never a file that failed. When any file failed, the window shows
// one modal message box at the end of the run with failureReport: a first
// line "次の M 個のファイルは変換できませんでした。", then one line per file
// (its name, what failed, the system's reason), at most maxReportLines of
// them, then how many more there are. A run that could not start has no
// count and no list: its errorText goes into a message box of its own.

inline constexpr int maxReportLines = 20;

// The text of the failure box, UTF-8; empty when nothing failed. Files that
// reached their names without attributes or permission bits the destination
// cannot store follow in a second list, as a warning.
std::string failureReport(const RunResult& result);

// One line of it, e.g.
// "a.txt → b.txt：新しい名前に変更できませんでした（同じ名前のファイルがあります）"
std::string failureLine(const FileFailure& failure);

// The reason for an errno value in the system's words.
std::string failureReason(int error);

} // namespace torvel
