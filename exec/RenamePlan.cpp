#include "RenamePlan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <unordered_set>
#include <utility>

#include "ByteText.h"
#include "NameRules.h"
#include "SameName.h"

namespace torvel {

namespace {

constexpr int counterValues = 1000; // three digits
constexpr std::size_t maxNameBytes = 255;

// "_jd[" + the counter + the current name, cut at the end where the whole
// would pass the longest name a folder holds. A cut name still begins with
// the prefix and a counter no other temporary name of the run shares, so it
// is still kept off every user's name that could be in its way.
std::string temporaryName(long long counter, const std::string& name)
{
    std::string candidate = std::string(temporaryPrefix) + PadNumber(counter, 3);
    candidate.append(name, 0, std::min(name.size(), maxNameBytes - candidate.size()));
    return candidate;
}

const std::string noName;
const std::vector<SameNameStep> noFiles;

// The high half of a hash, kept in a slot beside its entry.
constexpr std::uint64_t tagOf(std::uint64_t hashOrSlot)
{
    return hashOrSlot & ~std::uint64_t{0xffffffff};
}

} // namespace

int nameError(std::string_view name)
{
    switch (nameProblem(name)) {
    case NameProblem::None:
        return 0;
    case NameProblem::TooLong:
        return ENAMETOOLONG;
    case NameProblem::BadCharacter:
    case NameProblem::Empty:
        break;
    }
    return EINVAL;
}

const std::string& RenamePlan::temporaryOf(std::size_t row) const
{
    const auto it = temporaries.find(static_cast<std::uint32_t>(row));
    return it == temporaries.end() ? noName : it->second;
}

const std::vector<SameNameStep>& RenamePlan::sameNameOf(std::size_t row) const
{
    const auto it = sameName.find(static_cast<std::uint32_t>(row));
    return it == sameName.end() ? noFiles : it->second;
}

void BatchIndex::build(const std::vector<RunRow>& rows,
                       const std::unordered_map<std::uint32_t, std::vector<SameNameStep>>& sameName)
{
    m_rows = &rows;
    m_others.clear();
    for (const auto& [row, steps] : sameName) {
        for (const SameNameStep& file : steps)
            m_others.emplace_back(file.current, row);
    }
    // Two files whose names differ in case alone: the folder tells case
    // apart, and names are matched exactly.
    if (!fill(true))
        fill(false);
}

bool BatchIndex::fill(bool fold)
{
    m_fold = fold;
    m_collided = false;
    const std::size_t entries = m_rows->size() + m_others.size();
    m_slots.assign(std::bit_ceil(entries * 2 + 2), 0);
    for (std::size_t i = 0; i < entries && !m_collided; ++i)
        add(static_cast<std::uint32_t>(i));
    return !m_collided;
}

std::uint64_t BatchIndex::hash(std::string_view name) const
{
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name)
        h = (h ^ static_cast<unsigned char>(m_fold ? asciiLower(c) : c)) * 1099511628211ull;
    return h;
}

bool BatchIndex::same(std::string_view a, std::string_view b) const
{
    return m_fold ? equalsIgnoringAsciiCase(a, b) : a == b;
}

std::string_view BatchIndex::nameOf(std::uint32_t entry) const
{
    const std::size_t rows = m_rows->size();
    return entry < rows ? std::string_view((*m_rows)[entry].current) : m_others[entry - rows].first;
}

std::uint32_t BatchIndex::rowOfEntry(std::uint32_t entry) const
{
    const std::size_t rows = m_rows->size();
    return entry < rows ? entry : m_others[entry - rows].second;
}

void BatchIndex::add(std::uint32_t entry)
{
    const std::string_view name = nameOf(entry);
    const std::uint64_t h = hash(name);
    const std::uint64_t tag = tagOf(h);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = h & mask;; at = (at + 1) & mask) {
        if (m_slots[at] == 0) {
            m_slots[at] = tag | (entry + 1);
            return;
        }
        if (tagOf(m_slots[at]) != tag)
            continue;
        const std::string_view held = nameOf(static_cast<std::uint32_t>(m_slots[at] - 1));
        if (same(held, name)) {
            // A grid that lists one file twice: the first row has it.
            m_collided = m_collided || held != name;
            return;
        }
    }
}

std::int64_t BatchIndex::rowOf(std::string_view name, std::uint64_t h) const
{
    if (m_slots.empty())
        return -1;
    const std::uint64_t tag = tagOf(h);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = h & mask; m_slots[at] != 0; at = (at + 1) & mask) {
        if (tagOf(m_slots[at]) != tag)
            continue;
        const auto entry = static_cast<std::uint32_t>(m_slots[at] - 1);
        if (same(nameOf(entry), name))
            return rowOfEntry(entry);
    }
    return -1;
}

void BatchIndex::rowsOf(std::span<const std::string_view> names, std::span<std::int64_t> rows) const
{
    std::array<std::uint64_t, groupSize> hashes;
    const std::size_t count = std::min(names.size(), groupSize);
    for (std::size_t i = 0; i < count; ++i) {
        hashes[i] = hash(names[i]);
        prefetch(hashes[i], Step::Slot);
    }
    for (const Step step : {Step::Entry, Step::Bytes}) {
        for (std::size_t i = 0; i < count; ++i)
            prefetch(hashes[i], step);
    }
    for (std::size_t i = 0; i < count; ++i)
        rows[i] = rowOf(names[i], hashes[i]);
}

void BatchIndex::prefetch(std::uint64_t h, Step step) const
{
    if (m_slots.empty())
        return;
    const std::uint64_t& home = m_slots[h & (m_slots.size() - 1)];
    if (step == Step::Slot) {
        __builtin_prefetch(&home);
        return;
    }
    const std::uint64_t slot = home;
    // Only the first slot probed: most names are found there or nowhere.
    if (slot == 0 || tagOf(slot) != tagOf(h))
        return;
    const auto entry = static_cast<std::uint32_t>(slot - 1);
    const std::size_t rows = m_rows->size();
    if (step == Step::Entry) {
        if (entry < rows)
            __builtin_prefetch(&(*m_rows)[entry].current);
        else
            __builtin_prefetch(&m_others[entry - rows]);
        return;
    }
    __builtin_prefetch(nameOf(entry).data());
}

namespace {

// Hands out the temporary names of one plan.
class TemporaryNames
{
public:
    TemporaryNames(const std::vector<RunRow>& rows, const std::vector<std::string>& prefixedNames,
                   const RenamePlan& plan)
    {
        // Every candidate begins with the prefix, so only names that do can
        // be in its way: those in the folder now, and those the run will give.
        for (const auto& name : prefixedNames)
            keepFree(name);
        for (const auto& row : rows)
            keepFree(row.newName);
        for (const auto& [row, files] : plan.sameName) {
            for (const auto& file : files)
                keepFree(file.target);
        }
    }

    // A temporary name for the file now called name, or why there is none.
    int next(const std::string& name, std::string& temporary)
    {
        std::string candidate;
        int tried = 0;
        do {
            candidate = temporaryName(m_counter, name);
            ++m_counter;
            ++tried;
        } while (m_taken.contains(candidate) && tried < counterValues);
        // A thousand leftovers of one name would make the search go round for ever.
        if (m_taken.contains(candidate))
            return EEXIST;
        m_taken.insert(candidate);
        temporary = std::move(candidate);
        return 0;
    }

private:
    void keepFree(const std::string& name)
    {
        if (std::string_view(name).starts_with(temporaryPrefix))
            m_taken.insert(name);
    }

    std::unordered_set<std::string> m_taken;
    long long m_counter = 0;
};

// Orders the moves: depth first from each row in row order, a row after every
// row that holds one of its targets. A row met again while it is still
// waiting for its own targets closes a cycle: it steps aside there, and takes
// its new name from the temporary one once the rows it waits for are done.
class MoveOrder
{
public:
    MoveOrder(const std::vector<RunRow>& rows, RenamePlan& plan)
        : m_rows(rows)
        , m_plan(plan)
        , m_state(rows.size(), State::New)
    {}

    // Rows that step aside, in the order they do.
    std::vector<std::uint32_t> arrange()
    {
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_plan.rows[i] == RowPlan::Moves && m_state[i] == State::New)
                from(static_cast<std::uint32_t>(i));
        }
        return std::move(m_aside);
    }

private:
    enum class State : std::uint8_t
    {
        New,
        Waiting, // on the path: its targets are being made free
        Placed,
    };

    struct Frame
    {
        std::uint32_t row;
        std::uint32_t next; // the next target to look at: 0 the row's own, k same-name k-1
    };

    void from(std::uint32_t start)
    {
        std::vector<Frame> path{{start, 0}};
        m_state[start] = State::Waiting;
        while (!path.empty()) {
            Frame& frame = path.back();
            const std::string* target = targetOf(frame.row, frame.next++);
            if (target == nullptr) {
                place(frame.row);
                path.pop_back();
                continue;
            }
            const std::int64_t holder = m_plan.batch.rowOf(*target);
            if (holder < 0 || m_plan.rows[static_cast<std::size_t>(holder)] != RowPlan::Moves)
                continue; // free, or held by a file that stays: the run will tell
            const auto h = static_cast<std::uint32_t>(holder);
            if (m_state[h] == State::New) {
                m_state[h] = State::Waiting;
                path.push_back({h, 0});
            } else if (m_state[h] == State::Waiting && !isSelf(frame.row, h, *target)) {
                stepAside(h);
            }
        }
    }

    // A same-name file whose target is its own name waits for nothing.
    bool isSelf(std::uint32_t row, std::uint32_t holder, const std::string& target) const
    {
        if (row != holder)
            return false;
        for (const SameNameStep& file : m_plan.sameNameOf(row)) {
            if (file.current == target && file.target == target)
                return true;
        }
        return false;
    }

    const std::string* targetOf(std::uint32_t row, std::uint32_t k) const
    {
        if (k == 0)
            return &m_rows[row].newName;
        const std::vector<SameNameStep>& files = m_plan.sameNameOf(row);
        return k - 1 < files.size() ? &files[k - 1].target : nullptr;
    }

    void stepAside(std::uint32_t row)
    {
        if (m_plan.temporaries.contains(row))
            return;
        m_plan.temporaries.emplace(row, std::string());
        m_plan.order.push_back({row, MoveKind::Aside});
        m_aside.push_back(row);
    }

    void place(std::uint32_t row)
    {
        m_state[row] = State::Placed;
        const bool aside = m_plan.temporaries.contains(row);
        m_plan.order.push_back({row, aside ? MoveKind::FromAside : MoveKind::Direct});
    }

    const std::vector<RunRow>& m_rows;
    RenamePlan& m_plan;
    std::vector<State> m_state;
    std::vector<std::uint32_t> m_aside;
};

} // namespace

RenamePlan startPlan(const std::vector<RunRow>& rows,
                     std::unordered_map<std::uint32_t, std::vector<std::string>> sameNames)
{
    RenamePlan plan;
    plan.rows.assign(rows.size(), RowPlan::Moves);
    plan.refused.assign(rows.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RunRow& row = rows[i];
        int refused = nameError(row.newName);
        if (refused == 0)
            refused = nameError(row.current);
        plan.refused[i] = refused;
        if (refused != 0)
            plan.rows[i] = RowPlan::Refused;
        else if (row.current == row.newName)
            plan.rows[i] = RowPlan::Keeps; // its same-name files keep theirs too
    }
    for (auto& [row, names] : sameNames) {
        if (plan.rows[row] != RowPlan::Moves)
            continue; // they stay where they are with it
        std::vector<SameNameStep>& files = plan.sameName[row];
        for (auto& name : names) {
            std::string target = sameNameTarget(rows[row], name);
            const int refused = nameError(target);
            files.push_back({std::move(name), std::move(target), {}, refused});
        }
    }
    plan.batch.build(rows, plan.sameName);
    return plan;
}

void orderPlan(const std::vector<RunRow>& rows, const std::vector<std::string>& prefixedNames,
               RenamePlan& plan)
{
    const std::vector<std::uint32_t> aside = MoveOrder(rows, plan).arrange();
    TemporaryNames temporaries(rows, prefixedNames, plan);
    for (std::uint32_t row : aside) {
        std::string& temporary = plan.temporaries[row];
        if (int rc = temporaries.next(rows[row].current, temporary)) {
            // Without a temporary name the row cannot be started; the other
            // files of its cycle then find their names held and stay.
            plan.rows[row] = RowPlan::Refused;
            plan.refused[row] = rc;
            continue;
        }
        const auto files = plan.sameName.find(row);
        if (files == plan.sameName.end())
            continue;
        for (SameNameStep& file : files->second) {
            if (file.refused == 0)
                file.refused = temporaries.next(file.current, file.temporary);
        }
    }
}

RenamePlan planRename(const std::vector<RunRow>& rows,
                      const std::vector<std::string>& prefixedNames,
                      std::unordered_map<std::uint32_t, std::vector<std::string>> sameNames)
{
    RenamePlan plan = startPlan(rows, std::move(sameNames));
    orderPlan(rows, prefixedNames, plan);
    return plan;
}

} // namespace torvel
