#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <time.h>

#include "DurableFile.h"

namespace torvel {

// What a run did to its files, kept so that it can be taken back, and
// finished or taken back after the process died in the middle of it.
enum class JournalKind : std::uint8_t
{
    Rename, // in place, through temporary names
    Move,
    Copy,
    TimeStamp,  // one last-write time given to every file, or each its own
    Attributes, // read-only, hidden, system and archive set or cleared
};

// One file of a run. It is found again by its inode wherever the run left
// it: under its old name, its temporary name or its new name. A file carried
// to another device is a new file there; its size and last-write time, which
// the copy keeps, tell the copy.
struct JournalFile
{
    std::string oldName;   // in the run's source folder
    std::string temporary; // a rename in place: where it waits between the phases
    std::string newName;   // in the run's destination folder
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    // The last-write time: of the source, which a copy keeps; for a time
    // stamp run, the file's own before the run.
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;
    std::uint32_t attributes = 0; // an attribute run: the word before the run
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
    std::string from;    // folders, ending in "/"
    std::string to;
    std::vector<JournalFile> files;
    std::vector<TrashedFile> trashed;
    timespec stamp{};             // a time stamp run: the time it gives
    std::vector<timespec> stamps; // or, one per file in its order, each its own
    std::uint32_t keepMask = 0;   // an attribute run: word = (word & keep) | set
    std::uint32_t setMask = 0;
    bool planned = false;  // the whole plan reached the disk before any file was touched
    bool finished = false; // the run came to its end
    bool undone = false;   // it has been taken back
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
    [[nodiscard]] int finish();

    const std::string& path() const { return m_path; }

private:
    int flush(std::size_t above);

    std::string m_folder;
    std::string m_path;
    DurableFile m_file;
    std::string m_pending; // written in pieces, not the whole plan at once
    std::size_t m_files = 0;
};

// Reads a journal. A file that is not one, or one whose plan never reached
// its end, gives planned = false.
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

// The journals in folder, oldest first.
std::vector<std::string> journalPaths(const std::string& folder);

// Removes the oldest journals of finished runs beyond the last keep.
void pruneJournals(const std::string& folder, std::size_t keep);

inline constexpr std::size_t keptJournals = 50;

// A folder's names with the inode numbers it lists for them, for finding the
// inode of each file a plan names; the names must outlive the map.
using InodesByName = std::unordered_map<std::string_view, std::uint64_t>;
InodesByName inodesByName(const std::vector<std::string>& names,
                          const std::vector<std::uint64_t>& inodes);

} // namespace torvel
