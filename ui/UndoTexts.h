#pragma once

#include <string>

#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

// The texts of taking a run back and of finishing one that was cut short,
// UTF-8, as the person reads them in the boxes that ask first.

// "2026-12-07 13:30:05 に /home/u/写真/ で行った 14 個のファイルの名前の変更"
std::string runDescription(const JournalRecord& record);

// The question before taking a run back: which run, and what will happen.
std::string takeBackQuestion(const JournalRecord& record);

// The question at start for a run that was cut short.
std::string unfinishedRunQuestion(const JournalRecord& record);

// The status line after a run of the rename page: how many files reached
// their names, how many did not, and that Ctrl+Z takes the run back.
std::string runSummary(const RunResult& result, bool canTakeBack);

inline constexpr const char* nothingToTakeBack = "元に戻せる実行はありません。";

} // namespace torvel
