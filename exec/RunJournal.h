#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <time.h>

#include "DurableFile.h"
#include "RunKinds.h"

namespace torvel {

// One file of a run. It is found again by its inode wherever the run left
// it: under its old name, its temporary name or its new name. A file carried
// to another device is a new file there; its size and last-write time, which
// the copy keeps, tell the copy.
struct JournalFile
{
    std::string oldName;   // in the run's source folder
    std::string temporary; // a rename in place in a cycle: where it waits once
    std::string newName;   // in the run's destination folder
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    // The last-write time: of the source, which a copy keeps; for a time
    // stamp run, the file's own before the run.
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;
    std::uint32_t attributes = 0; // an attribute run: the word before the run
    std::uint32_t mode = 0;       // an attribute run: the permission bits before the run
    bool modeKnown = false;       // journals of an earlier version did not record them
};

// A file that reached its new name as a new file (a copy, or a move to
// another device), as the run found it the moment it arrived: only the very
// file it made is taken back or removed later.
struct Arrival
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// Which folder a path named when the journal was written.
struct FolderId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderId&) const = default;
};

// A file that went to the trash to make room for a file of the run.
struct TrashedFile
{
    std::string folder; // where it was, ending in "/"
    std::string name;
    std::string trashFolder; // the trash it went to, ending in "/"
    std::string trashName;   // its name under files/ there
};

// A run as read back from its journal.
struct JournalRecord
{
    std::string path;
    JournalKind kind = JournalKind::Rename;
    std::string started; // local time, YYYY-MM-DDThh:mm:ss
    std::string by;      // the program that ran it ("torvel", "torvel-cli"); may be empty
    std::string from;    // folders, ending in "/"
    std::string to;
    // The folders from and to named when the run began; a journal of an
    // earlier version has none, and only the names it holds are checked.
    std::optional<FolderId> fromId;
    std::optional<FolderId> toId;
    // A run that takes back (settlesBack) or finishes the run of another
    // journal in the same folder: its file name.
    std::string settles;
    bool settlesBack = false;
    std::vector<JournalFile> files;
    std::unordered_map<std::string, Arrival> arrivals; // by new name
    std::vector<TrashedFile> trashed;
    timespec stamp{};             // a time stamp run: the time it gives
    std::vector<timespec> stamps; // or, one per file in its order, each its own
    std::uint32_t keepMask = 0;   // an attribute run: word = (word & keep) | set
    std::uint32_t setMask = 0;
    bool planned = false;  // the whole plan reached the disk before any file was touched
    bool finished = false; // the run came to its end
    bool undone = false;   // it has been taken back
    // A line that is not one, or names a file outside the run's folders or a
    // trash that is not the person's: the journal is not to be acted on.
    bool damaged = false;
    bool untrusted = false;      // damaged by a line that names what it may not
    std::size_t damagedLine = 0; // the first such line, counted from 1

    bool settlement() const { return !settles.empty(); }
};

// Writes the journal of one run: the whole plan before the first file is
// touched, a line for each file sent to the trash, and a last line when the
// run is over. Plain text, one record a line, names percent-encoded as in
// the trash's records, so that a person can read it.
class RunJournal
{
public:
    // folder: where journals are kept, ending in "/"; made when missing.
    explicit RunJournal(std::string folder);

    // The run this journal records will take back (back) or finish the run
    // of the journal at path: written in its head, so that a crash in the
    // middle of it is finished or reverted, never mistaken for a run.
    void settling(const std::string& path, bool back);

    // Writes the plan and puts it on the disk. Nothing may be touched unless
    // this returns 0.
    [[nodiscard]] int begin(const JournalRecord& plan);

    // The same in steps, for a plan of many files that is not to be held
    // twice: open() with the plan's head (files empty), add() each file,
    // then planned(), which puts the whole plan on the disk.
    [[nodiscard]] int open(const JournalRecord& head);
    // stamp: a time stamp run's own time for this file, where each has one.
    [[nodiscard]] int add(const JournalFile& file, const timespec* stamp = nullptr);
    [[nodiscard]] int add(std::string_view oldName, std::string_view temporary,
                          std::string_view newName, std::uint64_t inode);
    [[nodiscard]] int planned();

    [[nodiscard]] int trashed(const TrashedFile& file);
    // A file that arrived as a new file under newName (a copy, a move to
    // another device). Not written through: a line lost to a crash leaves
    // that file unproven, and it is then left where it is.
    [[nodiscard]] int arrived(std::string_view newName, const Arrival& file);
    [[nodiscard]] int finish();

    const std::string& path() const { return m_path; }

private:
    int flush(std::size_t above);

    std::string m_folder;
    std::string m_path;
    DurableFile m_file;
    std::string m_pending; // written in pieces, not the whole plan at once
    std::size_t m_files = 0;
    std::string m_settles; // the journal this run settles, with its way
    bool m_settlesBack = false;
};

// Reads a journal. A file that is not one, or one whose plan never reached
// its end, gives planned = false; one with a line that is not one, or that
// names anything but a bare name in its folders, or a trash that is not the
// person's, gives damaged.
[[nodiscard]] int readJournal(const std::string& path, JournalRecord& out);

// Adds the line that says the run was taken back, or that it is not one to
// take back (the run that took back or finished another).
[[nodiscard]] int markUndone(const std::string& path);
// Adds the line that says the run came to its end after all.
[[nodiscard]] int markFinished(const std::string& path);

// How a journal ends, from its last line alone: a journal of 100,000 files
// is not read whole to learn that its run is over.
enum class JournalEnd : std::uint8_t
{
    Open,     // no end line: a run under way, cut short, or a plan cut short
    Finished, // the run came to its end
    Undone,   // taken back, or not one to take back
};
JournalEnd journalEnd(const std::string& path);

// Whether the journal is of a run that settles another, from its head alone.
bool settlesAnother(const std::string& path);

// The journals in folder, in the order they were written, oldest first.
std::vector<std::string> journalPaths(const std::string& folder);

// Removes the oldest journals of runs that are over, beyond the newest keep
// or once the newer ones hold keepBytes; the newest is always kept, and so
// is every journal of a run that never came to its end.
void pruneJournals(const std::string& folder, std::size_t keep = 50,
                   std::uint64_t keepBytes = std::uint64_t{8} << 20);

// Puts a journal that cannot be trusted aside under a name that no run
// reads (path + ".damaged"), where the person can look at it; its new path.
[[nodiscard]] int setAside(const std::string& path, std::string& asidePath);

// A folder's names with the inode numbers it lists for them, for finding the
// inode of each file a plan names; the names must outlive the map.
using InodesByName = std::unordered_map<std::string_view, std::uint64_t>;
InodesByName inodesByName(const std::vector<std::string>& names,
                          const std::vector<std::uint64_t>& inodes);

} // namespace torvel
