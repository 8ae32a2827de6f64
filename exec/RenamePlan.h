#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "NameIndex.h"
#include "RunTypes.h"

namespace torvel {

// The rename in place, as data: complete before the first rename, so that it
// can be shown or written down and then carried out step by step.
//
// A row whose new name is free goes straight to it; a chain (b -> c, a -> b)
// is carried out from its free end; only a cycle (a swap, a series shifted
// onto itself) sends one of its files to a temporary name, once. A row and
// its same-name files move as one: a row waits for every file of the batch
// that holds one of its targets.
//
// What keeps every file safe when the process dies at any moment:
// - Each file is at every moment under exactly one of its old, temporary or
//   new name: every step is one rename that never replaces, from one of them
//   to the next. (Where the file system has no such rename it is a link and
//   an unlink; a kill between the two leaves one inode under two of its
//   names, and recovery removes the later one.)
// - The whole plan, each file's three names and its inode, is written to the
//   journal and synced before the first rename (RenameRun::prepare).
// - Recovery finds each inode under one of its names and plans again from
//   there, through this same engine.
// - A file sent to the trash to make room is written to the journal, and the
//   line synced, before the move to the trash is reported and its name used
//   (makeRoom); when the line cannot be written the name stays unused.

// The prefix of the temporary names of a rename in place.
inline constexpr const char* temporaryPrefix = "_jd[";

// A same-name file of a row: it takes the row's new base with its own
// extension, right after its row's file reached its new name.
struct SameNameStep
{
    std::string current;
    std::string target;      // the row's new base and the file's own extension
    std::string temporary;   // where it waits when its row steps aside; else empty
    std::uint64_t inode = 0; // as the folder listed it when the run began; 0: not listed
    int refused = 0;         // why the file is not moved (errno), 0 when it is
    bool waiting = false;    // while the plan is carried out: under its temporary name now
};

// What a row does, fixed before the first file is touched.
enum class RowPlan : std::uint8_t
{
    Moves,   // its file is renamed
    Keeps,   // its new name is its name: no call is made
    Refused, // its new or current name cannot be given here; untouched
};

// One row of the plan. What few rows have is kept apart, so that a row of a
// batch of 100,000 stays small.
struct PlannedRow
{
    struct Extras
    {
        std::string temporary; // empty when no temporary name could be found
        std::vector<SameNameStep> sameName;
    };

    RowPlan plan = RowPlan::Moves;
    bool stepsAside = false; // its file is in a cycle: it waits once under temporary()
    bool waiting = false;    // while the plan is carried out: under its temporary name now
    int refused = 0;         // errno when Refused, else 0
    std::uint64_t inode = 0; // as the folder listed its file when the run began; 0: not listed
    std::unique_ptr<Extras> extras;

    const std::string& temporary() const;
    std::span<const SameNameStep> sameName() const;
    std::span<SameNameStep> sameName();
    Extras& makeExtras();
};

// One rename of the plan. Every row that moves has exactly one Direct or
// one Aside followed later by one FromAside.
enum class MoveKind : std::uint8_t
{
    Direct,    // current name -> new name
    Aside,     // current name -> temporary name: the row's file is in a cycle
    FromAside, // temporary name -> new name
};

struct PlannedMove
{
    std::uint32_t row = 0;
    MoveKind kind = MoveKind::Direct;
};

// For rows that have any, the same-name files that travel with the row.
using SameNames = std::unordered_map<std::uint32_t, std::vector<std::string>>;

struct RenamePlan
{
    std::vector<PlannedMove> order; // in the order they are carried out
    std::vector<PlannedRow> rows;   // one per row
    // The current names of the batch's files (rows and their same-name
    // files), each with its row. Matched with ASCII letter case ignored when
    // no two of them differ in case alone, because a folder on a FAT volume
    // holds "A.jpg" and "a.jpg" as one name: a change of case alone then
    // steps aside too, and a row waits for a file whose name differs from its
    // new one in case alone. Views of the rows' names and of sameName.
    NameIndex batch;
};

// Plans the rename of the rows in one folder.
//
// prefixedNames: the folder's names that begin with the temporary prefix
// (leftovers of earlier runs). A temporary name is "_jd[" + the counter in
// three digits + the current name, cut short at the end where it would pass
// 255 bytes; the counter starts at 0, is shared by all files that step aside
// and moves on with every candidate, and a candidate that is taken is passed
// over: a leftover, a name planned for an earlier file, or any new name of
// the run, so that no file ever waits under a name another file is to take.
RenamePlan planRename(const std::vector<RunRow>& rows,
                      const std::vector<std::string>& prefixedNames, SameNames sameNames = {});

// planRename in two steps, for a run that reads its folder once the batch
// is indexed: what each row does and the index of the batch's names; then
// the order and the temporary names.
RenamePlan startPlan(const std::vector<RunRow>& rows, SameNames sameNames);
void orderPlan(const std::vector<RunRow>& rows, const std::vector<std::string>& prefixedNames,
               RenamePlan& plan);

} // namespace torvel
