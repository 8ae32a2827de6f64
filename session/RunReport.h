#pragma once

#include <string>
#include <vector>

#include "RunTypes.h"

namespace torvel {

// How a run of any kind tells the person what it did.
//
// The count on the status line counts the files that reached their new
// names, or what the run gives them, never a file that failed. When any file
// failed, the front end shows one report at the end of the run with
// failureReport: a first line "次の M 個のファイルは変換できませんでした。"
// (変更 for a time stamp or attribute run: the kind's verb), then one line per
// file (its name, what failed, the system's reason), at most maxReportLines
// of them, then how many more there are: a box per file would hold the
// person at the screen for every one of a thousand files on a volume that
// refuses them all. A run that could not start has no count and no list:
// notStartedText goes into a message box of its own.

inline constexpr int maxReportLines = 20;

// The text of the failure box, UTF-8; empty when nothing failed. Files that
// reached their names without attributes or permission bits the destination
// cannot store follow in a second list, as a warning.
std::string failureReport(const RunResult& result);

// One line of it, e.g.
// "a.txt → b.txt：新しい名前に変更できませんでした（同じ名前のファイルがあります）";
// for a file a time stamp or attribute run could not change, its name and
// the reason alone: "a.txt：このドライブには属性を保存できません".
std::string failureLine(const FileFailure& failure);

// The reason for an errno value in the system's words.
std::string failureReason(int error);

// Why a run, or the taking back or finishing of a journal, did not start:
// the journal named when it was refused, else the system's error.
std::string notStartedText(const RunResult& result);

} // namespace torvel
