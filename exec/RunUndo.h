#pragma once

#include <cstdint>

#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

// Where a file of a journal is now.
enum class FilePlace : std::uint8_t
{
    Old,        // under its name before the run, untouched
    Temporary,  // a rename in place stopped between its two phases
    New,        // where the run was to put it
    OldAndCopy, // a move to another device stopped after the copy was
                // complete and before the source was removed
    Gone,       // none of these: moved, removed or replaced since
};

// Takes a run back through the same engine as a run: renames and moves go
// back to their old names without ever replacing a file, copies the run made
// go to the trash when they are as the run left them, files the run sent to
// the trash come back. A file that is no longer where the run left it, or
// whose old name is taken, is left alone and reported. The journal is marked
// as taken back. services.journal, when given, records this run of its own,
// so that a crash in the middle of it can be recovered too.
RunResult takeBackRun(const JournalRecord& record, RunServices& services);

// Carries out what a run that was cut short had still to do, and removes
// what it left half-done (temporary names, hidden copies). Names taken
// meanwhile are reported, never replaced.
RunResult finishRun(const JournalRecord& record, RunServices& services);

// The journals of runs that were cut short and not dealt with since,
// oldest first.
std::vector<JournalRecord> unfinishedRuns(const std::string& folder);

// The newest run that can be taken back, if any.
bool lastRunToTakeBack(const std::string& folder, JournalRecord& out);

} // namespace torvel
