#pragma once

#include <cstdint>

#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

// Where a file of a journal is now.
enum class FilePlace : std::uint8_t
{
    Old,        // under its name before the run, untouched
    Temporary,  // a rename in place stopped while the file waited aside
    New,        // where the run was to put it
    OldAndCopy, // a move to another device stopped after the copy was
                // complete and before the source was removed
    CopyOnly,   // a copy the run made, whose source is gone since
    Gone,       // none of these: moved, removed or replaced since
};

// Takes a run back through the same engine as a run: renames and moves go
// back to their old names without ever replacing a file, copies the run made
// go to the trash when they are the very files it made and their sources are
// still there, files the run sent to the trash come back. A file that is not
// the one the run left (another file under its name, even one of the same
// size and time), or whose old name is taken, is left alone and reported;
// nothing is ever removed but to the trash. The journal is marked as taken
// back. services.journal, when given, records this run of its own as the
// settling of the journal, so that a crash in the middle of it is finished
// or reverted later. A journal that is damaged, or whose folders are not the
// ones it was written for, is refused and nothing is touched.
RunResult takeBackRun(const JournalRecord& record, RunServices& services);

// Carries out what a run that was cut short had still to do, and clears
// what it left half-done (temporary names, hidden copies). Names taken
// meanwhile are reported, never replaced. For the journal of a settling cut
// short, finishes the settling: the run it was taking back is taken back.
RunResult finishRun(const JournalRecord& record, RunServices& services);

// What 元に戻す does with the last journal: takes its run back. A settling
// that was cut short is taken where the person meant to go: a taking back
// is finished; a finishing is taken back, with the run it was finishing.
RunResult takeBackLastRun(const JournalRecord& record, RunServices& services);

// The journals of runs (and settlings) that were cut short and not dealt
// with since, oldest first; a run whose settling is among them is left to
// that settling. Call with the journal folder held. Damaged journals are set
// aside (".damaged") and listed in damaged; what can be read of one that is
// damaged but names nothing it may not is offered among the runs.
std::vector<JournalRecord> unfinishedRuns(const std::string& folder,
                                          std::vector<JournalRecord>* damaged = nullptr);

// How many files of the journal the run changed: those found where it was
// to put them (or halfway), or with the time or attributes it gives. One
// look at each file.
std::size_t filesDone(const JournalRecord& record, FileSystem& fs);

// The newest run that can be taken back, if any: the last one written, a
// damaged one too, so that an older run is never taken back in its place.
bool lastRunToTakeBack(const std::string& folder, JournalRecord& out);

// The rows of the kinds whose files get new names (rename, move, copy) in
// the table of kinds: taking back and finishing through the same engine as
// a run, and how many files are where the run was to put them (or halfway).
RunResult takeBackNewNames(const JournalRecord& record, RunServices& services);
RunResult finishNewNames(const JournalRecord& record, RunServices& services);
std::size_t filesWithNewNames(const JournalRecord& record, FileSystem& fs);

} // namespace torvel
