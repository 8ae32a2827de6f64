#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RunFeedback.h"
#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

class FileSystem;
class FolderHandle;
struct FileInfo;

// The runs whose files stay where they are, each given something (a time
// stamp, attributes): the one loop that walks their files, and the taking
// back and finishing of them. A kind supplies only what it does to one file.

// What a file of such a run is to be given when the run is taken back or
// finished.
enum class Needed : std::uint8_t
{
    Nothing, // it has it already: a file the run never reached, or did
    Change,
    Changed, // someone else has given it something else since: left alone
};

// What a per-file kind does to one file of its journal.
struct PerFileKind
{
    RunActivity activity;  // the status line while a file is changed
    RunStep giveFailed;    // finishing: the file refused what the run gives it
    RunStep restoreFailed; // taking back: the file refused what it had
    // What file (an index into the record's files) needs, as it is now;
    // back: to be given what it had before the run.
    Needed (*needed)(const JournalRecord& record, std::size_t file, const FileInfo& now, bool back);
    // Whether it has what the run gives it.
    bool (*done)(const JournalRecord& record, std::size_t file, const FileInfo& now);
    // Gives it what the run gives it, or (back) what it had.
    int (*apply)(const JournalRecord& record, std::size_t file, FileSystem& fs,
                 const FolderHandle& dir, bool back);
};

// The part of one per-file run that is its kind's own.
class FileStep
{
public:
    virtual ~FileStep() = default;

    // Whether any file is to be changed at all; when none is, nothing is
    // written down.
    virtual bool changesAny() const { return true; }
    // Writes down, through journalChanges, what the files have before the run.
    [[nodiscard]] virtual int journal(RunJournal& journal, FileSystem& fs) = 0;
    // Before the first file: the folder is open, or not (folderOpen).
    virtual void start(FileSystem& /*fs*/, const FolderHandle& /*dir*/, bool /*folderOpen*/) {}
    // After the last file, while the folder is still open.
    virtual void end() {}
    // Why the file of row is refused whatever its folder holds; 0 when it is not.
    virtual int refusal(std::size_t /*row*/) const { return 0; }
    // Changes the file of row: 0, with changed false when it had what the
    // run gives it already, or an errno value.
    virtual int change(std::size_t row, const std::string& name, FileSystem& fs,
                       const FolderHandle& dir, bool& changed) = 0;
};

// The run of a per-file kind over names (bare names in folder, ending in
// "/"): each file gets the step, with a status text and progress per file
// and a look at stopRequested between files. The run goes on after a
// failure; the files that could not be changed are in the result, for the
// window to report once at the end. With a journal, what each file had is
// written down first, so that the run can be taken back; a folder that
// cannot be opened, or a journal that cannot be written, fails every file
// before any is touched.
RunResult runEachFile(JournalKind kind, const std::string& folder,
                      const std::vector<std::string>& names, FileStep& step, RunServices& services);

// Writes plan to journal with, for each of names in plan.from, what the
// file has before the run touches any: its inode, last-write time and
// attribute word. A file that cannot be read is left out: the run fails it
// anyway. ownStamps: for a time stamp run that gives each file its own time,
// those times, one per name.
[[nodiscard]] int journalChanges(RunJournal& journal, JournalRecord plan, FileSystem& fs,
                                 const std::vector<std::string>& names,
                                 const std::vector<timespec>* ownStamps = nullptr);

// Takes back a per-file run: each file gets what it had back, unless it has
// changed since (another time stamp, another file under its name), which is
// left alone and reported.
RunResult takeBackChanges(const JournalRecord& record, RunServices& services);

// Gives the files of a per-file run that was cut short what the run was to
// give them.
RunResult finishChanges(const JournalRecord& record, RunServices& services);

// How many files of a per-file run have what it gives them.
std::size_t changedFiles(const JournalRecord& record, FileSystem& fs);

} // namespace torvel
