#pragma once

#include <string>
#include <vector>

#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

class FileSystem;

// Writes plan to journal with, for each of names in plan.from, what the
// file has before the run touches any: its inode, last-write time and
// attribute word. A file that cannot be read is left out: the run fails it
// anyway. ownStamps: for a time stamp run that gives each file its own time,
// those times, one per name.
[[nodiscard]] int journalChanges(RunJournal& journal, JournalRecord plan, FileSystem& fs,
                                 const std::vector<std::string>& names,
                                 const std::vector<timespec>* ownStamps = nullptr);

// Takes back a time stamp or attribute run: each file gets its own time or
// attributes back, unless it has changed since (another time stamp, another
// file under its name), which is left alone and reported.
RunResult takeBackChanges(const JournalRecord& record, FileSystem& fs);

// How many files of a time stamp or attribute run have what it gives them.
std::size_t changedFiles(const JournalRecord& record, FileSystem& fs);

// Gives the files of a time stamp or attribute run that was cut short what
// the run was to give them.
RunResult finishChanges(const JournalRecord& record, FileSystem& fs);

} // namespace torvel
