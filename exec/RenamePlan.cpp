#include "RenamePlan.h"

#include <algorithm>
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

// The batch's current names, each with its row: rows first, then their
// same-name files. Two of them that differ in case alone tell that the
// folder tells case apart: names are then matched exactly.
NameIndex indexBatch(const std::vector<RunRow>& rows, const std::vector<PlannedRow>& planned)
{
    for (const NameCase rule : {NameCase::AsciiLetters, NameCase::Exact}) {
        NameIndex index(rule, rows.size());
        bool caseAlone = false;
        const auto add = [&](const std::string& name, std::size_t row) {
            // A grid that lists one file twice: the first row has it.
            const NameIndex::Held held = index.insert(name, static_cast<std::uint32_t>(row));
            caseAlone = caseAlone || (!held.added && held.name != name);
        };
        for (std::size_t i = 0; i < rows.size() && !caseAlone; ++i)
            add(rows[i].current, i);
        for (std::size_t i = 0; i < planned.size() && !caseAlone; ++i) {
            for (const SameNameStep& file : planned[i].sameName())
                add(file.current, i);
        }
        if (!caseAlone || rule == NameCase::Exact)
            return index;
    }
    return NameIndex();
}

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
        for (const PlannedRow& row : plan.rows) {
            for (const SameNameStep& file : row.sameName())
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
            if (m_plan.rows[i].plan == RowPlan::Moves && m_state[i] == State::New)
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
            const std::uint32_t h = m_plan.batch.find(*target);
            if (h == NameIndex::none || m_plan.rows[h].plan != RowPlan::Moves)
                continue; // free, or held by a file that stays: the run will tell
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
        for (const SameNameStep& file : m_plan.rows[row].sameName()) {
            if (file.current == target && file.target == target)
                return true;
        }
        return false;
    }

    const std::string* targetOf(std::uint32_t row, std::uint32_t k) const
    {
        if (k == 0)
            return &m_rows[row].newName;
        const std::span<const SameNameStep> files = m_plan.rows[row].sameName();
        return k - 1 < files.size() ? &files[k - 1].target : nullptr;
    }

    void stepAside(std::uint32_t row)
    {
        if (m_plan.rows[row].stepsAside)
            return;
        m_plan.rows[row].stepsAside = true;
        m_plan.order.push_back({row, MoveKind::Aside});
        m_aside.push_back(row);
    }

    void place(std::uint32_t row)
    {
        m_state[row] = State::Placed;
        const bool aside = m_plan.rows[row].stepsAside;
        m_plan.order.push_back({row, aside ? MoveKind::FromAside : MoveKind::Direct});
    }

    const std::vector<RunRow>& m_rows;
    RenamePlan& m_plan;
    std::vector<State> m_state;
    std::vector<std::uint32_t> m_aside;
};

} // namespace

const std::string& PlannedRow::temporary() const
{
    return extras ? extras->temporary : noName;
}

std::span<const SameNameStep> PlannedRow::sameName() const
{
    return extras ? std::span<const SameNameStep>(extras->sameName)
                  : std::span<const SameNameStep>();
}

std::span<SameNameStep> PlannedRow::sameName()
{
    return extras ? std::span<SameNameStep>(extras->sameName) : std::span<SameNameStep>();
}

PlannedRow::Extras& PlannedRow::makeExtras()
{
    if (!extras)
        extras = std::make_unique<Extras>();
    return *extras;
}

RenamePlan startPlan(const std::vector<RunRow>& rows, SameNames sameNames)
{
    RenamePlan plan;
    plan.rows.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RunRow& row = rows[i];
        PlannedRow& planned = plan.rows[i];
        planned.refused = nameError(row.newName);
        if (planned.refused == 0)
            planned.refused = nameError(row.current);
        if (planned.refused != 0)
            planned.plan = RowPlan::Refused;
        else if (row.current == row.newName)
            planned.plan = RowPlan::Keeps; // its same-name files keep theirs too
    }
    for (auto& [row, names] : sameNames) {
        PlannedRow& planned = plan.rows[row];
        if (planned.plan != RowPlan::Moves)
            continue; // they stay where they are with it
        for (auto& name : names) {
            std::string target = sameNameTarget(rows[row], name);
            const int refused = nameError(target);
            planned.makeExtras().sameName.push_back(
                {std::move(name), std::move(target), {}, 0, refused});
        }
    }
    plan.batch = indexBatch(rows, plan.rows);
    return plan;
}

void orderPlan(const std::vector<RunRow>& rows, const std::vector<std::string>& prefixedNames,
               RenamePlan& plan)
{
    const std::vector<std::uint32_t> aside = MoveOrder(rows, plan).arrange();
    TemporaryNames temporaries(rows, prefixedNames, plan);
    for (std::uint32_t row : aside) {
        PlannedRow& planned = plan.rows[row];
        if (int rc = temporaries.next(rows[row].current, planned.makeExtras().temporary)) {
            // Without a temporary name the row cannot be started; the other
            // files of its cycle then find their names held and stay.
            planned.plan = RowPlan::Refused;
            planned.refused = rc;
            continue;
        }
        for (SameNameStep& file : planned.sameName()) {
            if (file.refused == 0)
                file.refused = temporaries.next(file.current, file.temporary);
        }
    }
}

RenamePlan planRename(const std::vector<RunRow>& rows,
                      const std::vector<std::string>& prefixedNames, SameNames sameNames)
{
    RenamePlan plan = startPlan(rows, std::move(sameNames));
    orderPlan(rows, prefixedNames, plan);
    return plan;
}

} // namespace torvel
