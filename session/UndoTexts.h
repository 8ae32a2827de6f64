#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

// The texts of taking a run back and of finishing one that was cut short,
// UTF-8, as the person reads them in the boxes that ask first.

// "2026-12-07 13:30:05 に /home/u/写真/ で行った 14 個のファイルの名前の変更"
std::string runDescription(const JournalRecord& record);

// The question before taking a run back: which run, how many of its files
// it changed (done, of those it planned), and what will happen.
std::string takeBackQuestion(const JournalRecord& record, std::size_t done);

// The question before taking the run back as torvel-cli asks it, with the
// program that made the run right below its first line, which names the
// run: the window's runs are taken back from there too, and the person
// should know whose run it is.
std::string takeBackQuestionWithProgram(const JournalRecord& record, std::size_t done);

// Said before taking the run back without asking (torvel-cli --yes): which
// run, the program that made it, and how far it got.
std::string takingBackText(const JournalRecord& record, std::size_t done);

// A damaged journal put aside: where it is now, and what it names.
std::string damagedJournalText(const JournalRecord& record);

// The one question at start for several runs that were cut short, newest
// first: 続行 and 元に戻す act on all of them.
std::string unfinishedRunsQuestion(const std::vector<JournalRecord>& runs);

// The question at start for a run that was cut short, done files of its
// plan into it.
std::string unfinishedRunQuestion(const JournalRecord& record, std::size_t done);

// "N個のファイルを変換しました。": the files that reached their new names,
// or whose time stamp or attributes were changed.
std::string convertedText(int count);

// "N個のファイルを元に戻しました。": after taking a run back, the files that
// went back (or, for a copy, to the trash).
std::string takenBackText(int count);

// What a settling did, for the status line and torvel-cli: taken back, or
// finished (the files that reached their new names), with the failures.
std::string settledSummary(const RunResult& result, bool takenBack);

// The status line after a run: how many files were converted, how many were
// not, and how the run is taken back (hint, empty when it cannot be). Short
// enough that the window's status line shows it whole for a run of 100,000
// files, half of them failed.
std::string runSummary(int converted, std::size_t failed, std::string_view takeBackHint);
std::string runSummary(const RunResult& result, std::string_view takeBackHint);

inline constexpr const char* ctrlZHint = "（Ctrl+Z で元に戻せます）";
inline constexpr const char* undoOptionHint = "（torvel-cli --undo で元に戻せます）";

inline constexpr const char* runChangedMeanwhile =
    "ほかの実行が行われたため、何も変更しませんでした。もう一度選んでください。";

inline constexpr const char* nothingToTakeBack = "元に戻せる実行はありません。";

} // namespace torvel
