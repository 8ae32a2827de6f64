#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "RunTypes.h"

namespace torvel {

// The prefix of the temporary names of a rename in place.
inline constexpr const char* temporaryPrefix = "_jd[";

// A same-name file of a row: it takes the row's new base with its own
// extension, right after its row's file reached its new name.
struct SameNameStep
{
    std::string current;
    std::string target;    // the row's new base and the file's own extension
    std::string temporary; // where it waits when its row steps aside; else empty
    int refused = 0;       // why the file is not moved (errno), 0 when it is
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

// What a row does not do, fixed before the first file is touched.
enum class RowPlan : std::uint8_t
{
    Moves,   // its file is renamed
    Keeps,   // its new name is its name: no call is made
    Refused, // its new or current name cannot be given here; untouched
};

// The current names of a batch's files (rows and their same-name files),
// each with its row, matched with ASCII letter case ignored or exactly. The
// names are not copied: they must outlive the index.
class BatchIndex
{
public:
    void build(const std::vector<RunRow>& rows,
               const std::unordered_map<std::uint32_t, std::vector<SameNameStep>>& sameName);
    // The row whose file (or same-name file) is called name when the run
    // begins; none: -1.
    std::int64_t rowOf(std::string_view name) const { return rowOf(name, hash(name)); }
    // rowOf for each of a group of names (at most groupSize), into rows.
    // Looking up many names, such as a whole folder listing, waits on memory
    // several times per name: the probe's slot, the entry it names, the
    // entry's bytes. Each of those reads is started for the whole group
    // before one of them is waited for.
    static constexpr std::size_t groupSize = 64;
    void rowsOf(std::span<const std::string_view> names, std::span<std::int64_t> rows) const;
    bool ignoresCase() const { return m_fold; }

private:
    enum class Step
    {
        Slot,
        Entry,
        Bytes,
    };
    std::uint64_t hash(std::string_view name) const;
    void prefetch(std::uint64_t hash, Step step) const;
    std::int64_t rowOf(std::string_view name, std::uint64_t hash) const;
    bool fill(bool fold); // false: two names differ in case alone
    void add(std::uint32_t entry);
    bool same(std::string_view a, std::string_view b) const;
    // Entry i < rows is row i's own file; the others are same-name files.
    std::string_view nameOf(std::uint32_t entry) const;
    std::uint32_t rowOfEntry(std::uint32_t entry) const;

    const std::vector<RunRow>* m_rows = nullptr;
    std::vector<std::pair<std::string_view, std::uint32_t>> m_others;
    // Open addressing: the high half of a name's hash beside its entry + 1
    // (0 is free), so that a probe passes over other names without reading
    // them: a large batch is looked up once for every name in the folder.
    std::vector<std::uint64_t> m_slots;
    bool m_fold = true;
    bool m_collided = false;
};

// The whole rename in place, complete before the first rename, so that it
// can be shown or written down and then carried out step by step.
//
// A row whose new name is free goes straight to it; a chain (b -> c, a -> b)
// is carried out from its free end; only a cycle (a swap, a series shifted
// onto itself) sends one of its files to a temporary name, once. A row and
// its same-name files move as one: a row waits for every file of the batch
// that holds one of its targets.
struct RenamePlan
{
    std::vector<PlannedMove> order; // in the order they are carried out
    std::vector<RowPlan> rows;      // one per row
    std::vector<int> refused;       // per row: errno when Refused, else 0
    std::unordered_map<std::uint32_t, std::string> temporaries; // rows that step aside
    std::unordered_map<std::uint32_t, std::vector<SameNameStep>> sameName;
    BatchIndex batch; // over rows and sameName

    const std::string& temporaryOf(std::size_t row) const;
    const std::vector<SameNameStep>& sameNameOf(std::size_t row) const;
};

// Why a name cannot be given to a file here (errno), or 0 when it can.
int nameError(std::string_view name);

// Plans the rename of the rows in one folder.
//
// prefixedNames: the folder's names that begin with the temporary prefix
// (leftovers of earlier runs). A temporary name is "_jd[" + the counter in
// three digits + the current name, cut short at the end where it would pass
// 255 bytes; the counter starts at 0, is shared by all files that step aside
// and moves on with every candidate, and a candidate that is taken is passed
// over: a leftover, a name planned for an earlier file, or any new name of
// the run, so that no file ever waits under a name another file is to take.
//
// sameNames: for rows that have any, the same-name files that travel with
// the row.
//
// Names are matched with ASCII letter case ignored when no two files of the
// batch differ in case alone, because a folder on a FAT volume holds "A.jpg"
// and "a.jpg" as one name: a change of case alone then steps aside too, and
// a row waits for a file whose name differs from its new one in case alone.
RenamePlan planRename(const std::vector<RunRow>& rows,
                      const std::vector<std::string>& prefixedNames,
                      std::unordered_map<std::uint32_t, std::vector<std::string>> sameNames = {});

// planRename in two steps, for a run that reads its folder once the batch
// is indexed: what each row does and the index of the batch's names; then
// the order and the temporary names.
RenamePlan startPlan(const std::vector<RunRow>& rows,
                     std::unordered_map<std::uint32_t, std::vector<std::string>> sameNames);
void orderPlan(const std::vector<RunRow>& rows, const std::vector<std::string>& prefixedNames,
               RenamePlan& plan);

} // namespace torvel
