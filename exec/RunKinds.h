#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class FileSystem;
struct JournalRecord;
struct PerFileKind;
struct RunResult;
struct RunServices;

// The kinds of run, each a row of the table below: what a run does to its
// files, kept in its journal so that it can be taken back, and finished or
// taken back after the process died in the middle of it.
enum class JournalKind : std::uint8_t
{
    Rename, // in place, through temporary names
    Move,
    Copy,
    TimeStamp,  // one last-write time given to every file, or each its own
    Attributes, // read-only, hidden, system and archive set or cleared
};

// How a line of a journal's head is read by a kind that has lines of its own.
enum class HeadLine : std::uint8_t
{
    Other,      // not one of the kind's lines
    Read,       // read into the record
    Unreadable, // the kind's line, but not in its form
};

// Everything that tells one kind of run from another, in one place: a new
// kind is a new row, and the journal, taking back, recovery and the texts
// the person reads follow from it.
struct RunKind
{
    JournalKind id;
    const char* word; // in the journal's "run" line

    // The kind's own lines in the journal's head, after the common ones;
    // none when it has none.
    void (*writeHead)(const JournalRecord& head, std::string& text) = nullptr;
    HeadLine (*readHead)(const std::vector<std::string_view>& fields, JournalRecord& out) = nullptr;

    // Takes the run of a journal back, or finishes one that was cut short,
    // with the journal's head and files checked already; how many of its
    // files have what the run gives them, at one look at each.
    RunResult (*takeBack)(const JournalRecord& record, RunServices& services);
    RunResult (*finish)(const JournalRecord& record, RunServices& services);
    std::size_t (*filesDone)(const JournalRecord& record, FileSystem& fs);

    // A kind whose files stay where they are, each given something (a time,
    // attributes): what it does to one file. None: the files get new names.
    const PerFileKind* perFile = nullptr;

    // The texts the person reads: what the run was, for the questions
    // ("名前の変更"); what taking it back does; and the verb of the heading
    // of its failure box ("次の M 個のファイルは変換できませんでした。").
    const char* what;
    const char* takeBackSteps;
    const char* failedVerb;
};

// The row of a kind.
const RunKind& runKind(JournalKind kind);

// The row whose journal word is word; none for a word no kind has.
const RunKind* runKindOfWord(std::string_view word);

} // namespace torvel
