#include "RenameInPlace.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <utility>

#include "FileSystem.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "SameName.h"
#include "TrashOperation.h"

namespace torvel {

namespace {

// The names of a folder listing looked up in the batch a group at a time
// (BatchIndex::rowsOf); `found` is called for each name in turn.
template <typename Found>
class ListingLookup
{
public:
    ListingLookup(const BatchIndex& batch, Found found)
        : m_batch(batch)
        , m_found(std::move(found))
    {
        m_names.reserve(groupSize * 64);
    }

    void add(std::string_view name, std::uint64_t inode)
    {
        m_names.append(name);
        m_ends[m_count] = m_names.size();
        m_inodes[m_count] = inode;
        if (++m_count == groupSize)
            flush();
    }

    void flush()
    {
        std::array<std::string_view, groupSize> names;
        for (std::size_t i = 0, start = 0; i < m_count; start = m_ends[i++])
            names[i] = std::string_view(m_names).substr(start, m_ends[i] - start);
        std::array<std::int64_t, groupSize> rows;
        m_batch.rowsOf(std::span(names).first(m_count), rows);
        for (std::size_t i = 0; i < m_count; ++i)
            m_found(names[i], m_inodes[i], rows[i]);
        m_names.clear();
        m_count = 0;
    }

private:
    static constexpr std::size_t groupSize = BatchIndex::groupSize;
    const BatchIndex& m_batch;
    Found m_found;
    std::string m_names; // the group's names one after another, ending at m_ends
    std::array<std::size_t, groupSize> m_ends{};
    std::array<std::uint64_t, groupSize> m_inodes{};
    std::size_t m_count = 0;
};

} // namespace

RunResult File_Rename(const std::vector<RunRow>& rows, const RunSettings& settings,
                      RunServices& services)
{
    RenameRun run(rows, settings, services);
    services.feedback.status({RunActivity::Preparing, {}, {}});
    if (!run.prepare())
        return run.take();
    services.feedback.status({RunActivity::Renaming, {}, {}});
    run.carryOut();
    RunResult result = run.take();
    // A journal without its last line only makes a later start offer to
    // finish a run whose files are all in place already; a stopped run is
    // left that way on purpose.
    if (services.journal != nullptr && !result.stopped)
        (void)services.journal->finish();
    return result;
}

RenameRun::RenameRun(const std::vector<RunRow>& rows, const RunSettings& settings,
                     RunServices& services)
    : m_rows(rows)
    , m_settings(settings)
    , m_services(services)
    , m_record(rows)
{}

RenameRun::~RenameRun() = default;

bool RenameRun::prepare()
{
    if (int rc = m_services.fs.openFolder(m_settings.destinationFolder, m_dir)) {
        m_stopped = stoppedRun(rc);
        return false;
    }
    // One reading of the folder, taken before anything in it changes, serves
    // the temporary names, the inodes, and the same-name files. Only
    // same-name files need it held whole.
    std::vector<std::string> prefixed;
    const auto note = [&](std::string_view name, std::uint64_t inode, std::int64_t row) {
        if (name.starts_with(temporaryPrefix))
            prefixed.emplace_back(name);
        if (row < 0)
            return;
        if (m_rows[static_cast<std::size_t>(row)].current == name)
            m_rowInodes[static_cast<std::size_t>(row)] = inode;
        else
            m_sameNameInodes.emplace(std::string(name), inode);
    };
    m_rowInodes.assign(m_rows.size(), 0);
    int read = 0;
    if (m_settings.carrySameNameFiles) {
        std::vector<std::string> names;
        std::vector<std::uint64_t> inodes;
        read = m_services.fs.readNames(m_dir, names, inodes);
        m_plan = startPlan(m_rows, claimSameNames(names));
        for (std::size_t i = 0; read == 0 && i < names.size(); ++i)
            note(names[i], inodes[i], m_plan.batch.rowOf(names[i]));
    } else {
        m_plan = startPlan(m_rows, {});
        ListingLookup lookup(m_plan.batch, note);
        read = m_services.fs.readEachName(
            m_dir, [&](std::string_view name, std::uint64_t inode) { lookup.add(name, inode); });
        lookup.flush();
    }
    if (read != 0) {
        m_stopped = stoppedRun(read);
        return false;
    }
    orderPlan(m_rows, prefixed, m_plan);
    if (m_services.journal != nullptr) {
        if (int rc = writeJournal()) {
            m_stopped = stoppedRun(rc);
            return false;
        }
    }
    m_services.trash.beginRun();
    return true;
}

// Each file is claimed by the first row whose old base it matches. Those of
// a row that does not move stay with it, and are never offered to the trash.
std::unordered_map<std::uint32_t, std::vector<std::string>>
RenameRun::claimSameNames(const std::vector<std::string>& names)
{
    std::unordered_map<std::uint32_t, std::vector<std::string>> sameNames;
    SameNameIndex index(names, m_rows);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        std::vector<std::string> claimed = index.claim(m_rows[i]);
        if (claimed.empty())
            continue;
        const RunRow& row = m_rows[i];
        if (row.current == row.newName || nameError(row.newName) != 0
            || nameError(row.current) != 0) {
            for (const auto& name : claimed)
                hold(name);
        }
        sameNames.emplace(static_cast<std::uint32_t>(i), std::move(claimed));
    }
    return sameNames;
}

// Every file the plan will move, in the order it moves, with the inode that
// finds it again under whichever of its names it carries when the run is
// taken back or finished.
int RenameRun::writeJournal()
{
    RunJournal& journal = *m_services.journal;
    JournalRecord head;
    head.kind = JournalKind::Rename;
    head.from = head.to = m_settings.destinationFolder;
    if (int rc = journal.open(head))
        return rc;
    for (const PlannedMove& move : m_plan.order) {
        if (move.kind == MoveKind::FromAside)
            continue; // written with its Aside
        const RunRow& row = m_rows[move.row];
        if (int rc = journal.add(row.current, m_plan.temporaryOf(move.row), row.newName,
                                 m_rowInodes[move.row]))
            return rc;
        for (const SameNameStep& file : m_plan.sameNameOf(move.row)) {
            if (file.refused != 0)
                continue;
            const auto it = m_sameNameInodes.find(file.current);
            if (int rc = journal.add(file.current, file.temporary, file.target,
                                     it == m_sameNameInodes.end() ? 0 : it->second))
                return rc;
        }
    }
    return journal.planned();
}

void RenameRun::carryOut()
{
    const int total = static_cast<int>(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_plan.rows[i] == RowPlan::Keeps) {
            keep(i);
            m_services.feedback.progress(++m_done, total);
        } else if (m_plan.rows[i] == RowPlan::Refused
                   && !m_plan.temporaries.contains(static_cast<std::uint32_t>(i))) {
            refuse(i, m_plan.refused[i]);
            m_services.feedback.progress(++m_done, total);
        }
    }
    // A stop waits for every cycle begun to close: a file of an open cycle
    // waits under its temporary name, and its own name may be taken already.
    int openCycles = 0;
    for (const PlannedMove& move : m_plan.order) {
        if (openCycles == 0 && m_services.feedback.stopRequested()) {
            m_record.stopped();
            return;
        }
        switch (move.kind) {
        case MoveKind::Direct:
            direct(move.row);
            break;
        case MoveKind::Aside:
            ++openCycles;
            aside(move.row);
            continue; // the row is not done yet
        case MoveKind::FromAside:
            --openCycles;
            fromAside(move.row);
            break;
        }
        m_services.feedback.progress(++m_done, total);
    }
}

void RenameRun::keep(std::size_t i)
{
    // A file the folder did not list when the run began is not there to keep its name.
    if (m_rowInodes[i] == 0)
        m_record.failed(i, {m_rows[i].current, m_rows[i].newName, {}, RunStep::IntoPlace, ENOENT});
    else
        m_record.converted(i);
}

// A row whose file stays under its own name, and its same-name files with it.
void RenameRun::stays(std::size_t i, FileFailure failure)
{
    m_record.failed(i, std::move(failure));
    for (const SameNameStep& file : m_plan.sameNameOf(i))
        hold(file.current);
}

void RenameRun::refuse(std::size_t i, int error)
{
    const RunStep step =
        nameError(m_rows[i].newName) != 0 ? RunStep::BadName : RunStep::OutOfTheWay;
    stays(i, {m_rows[i].current, m_rows[i].newName, {}, step, error});
}

void RenameRun::direct(std::size_t i)
{
    Room room;
    const int rc = renameMakingRoom(i, m_rows[i].current, room);
    if (rc != 0) {
        stays(i, takenFailure(m_rows[i], room, RunStep::IntoPlace, rc));
        return;
    }
    m_record.converted(i);
    sameNameIntoPlace(i, false);
}

// The first rename of a row in a cycle: out of the way of the file that is
// to take its name.
void RenameRun::aside(std::size_t i)
{
    const auto row = static_cast<std::uint32_t>(i);
    if (m_plan.rows[i] == RowPlan::Refused) {
        refuse(i, m_plan.refused[i]);
        return;
    }
    const int rc =
        m_services.fs.renameNoReplace(m_dir, m_rows[i].current, m_dir, m_plan.temporaryOf(i));
    if (rc != 0) {
        refuse(i, rc);
        return;
    }
    m_aside.insert(row);
    const auto& files = m_plan.sameNameOf(i);
    if (files.empty())
        return;
    std::vector<bool>& moved = m_sameNameAside[row];
    moved.assign(files.size(), false);
    for (std::size_t k = 0; k < files.size(); ++k) {
        const SameNameStep& file = files[k];
        if (file.refused != 0) {
            hold(file.current); // reported once its row is in place
            continue;
        }
        const int sameRc =
            m_services.fs.renameNoReplace(m_dir, file.current, m_dir, file.temporary);
        moved[k] = sameRc == 0;
        // One that has gone since the folder was read is no longer a match.
        if (sameRc != 0 && sameRc != ENOENT) {
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, sameRc});
            hold(file.current);
        }
    }
}

void RenameRun::fromAside(std::size_t i)
{
    if (!m_aside.contains(static_cast<std::uint32_t>(i)))
        return; // it never stepped aside: reported then
    Room room;
    const int rc = renameMakingRoom(i, m_plan.temporaryOf(i), room);
    if (rc != 0) {
        giveBack(i, takenFailure(m_rows[i], room, RunStep::IntoPlace, rc));
        sameNameBack(i);
        return;
    }
    m_record.converted(i);
    sameNameIntoPlace(i, true);
}

// The rename to the new name. A new name that is taken is made free through
// the trash only when duplicates are to be replaced, only for a file, and
// never for a file this run is responsible for.
int RenameRun::renameMakingRoom(std::size_t i, const std::string& from, Room& room)
{
    const std::string& target = m_rows[i].newName;
    const int rc = m_services.fs.renameNoReplace(m_dir, from, m_dir, target);
    if (rc != EEXIST || m_settings.avoidDuplicates || !mayOfferToTrash(target))
        return rc;
    // Nothing is sent to the trash for a file that is not there to follow.
    EntryKind source = EntryKind::None;
    if (int probed = m_services.fs.probe(m_dir, from, source))
        return probed;
    if (source == EntryKind::None)
        return ENOENT;
    room = makeRoom(m_services, m_dir, target, m_record);
    if (room.kind != Room::Kind::Freed)
        return rc;
    return m_services.fs.renameNoReplace(m_dir, from, m_dir, target);
}

// Not a file of the batch that is still under its own name (one that did
// not move, or has not yet), nor one waiting under a temporary name.
bool RenameRun::mayOfferToTrash(const std::string& name)
{
    if (m_held.contains(name))
        return false;
    const std::int64_t row = m_plan.batch.rowOf(name);
    if (row >= 0) {
        const auto r = static_cast<std::size_t>(row);
        const bool moved = m_record.rowResult(r) == RowResult::Converted
                           || m_aside.contains(static_cast<std::uint32_t>(r));
        if (!moved)
            return false;
    }
    if (!std::string_view(name).starts_with(temporaryPrefix))
        return true;
    for (const auto& [r, temporary] : m_plan.temporaries) {
        if (temporary == name)
            return false;
    }
    return true;
}

// A file that cannot take its new name goes back to the name it came with;
// only if that is taken meanwhile does it keep the temporary name, and the
// report says so.
void RenameRun::giveBack(std::size_t i, FileFailure failure)
{
    const std::string& temporary = m_plan.temporaryOf(i);
    const int rc = m_services.fs.renameNoReplace(m_dir, temporary, m_dir, m_rows[i].current);
    if (rc == 0) {
        m_aside.erase(static_cast<std::uint32_t>(i));
    } else if (rc != ENOENT) { // ENOENT: the file itself has gone
        failure.leftAs = temporary;
        hold(temporary);
    }
    m_record.failed(i, std::move(failure));
}

// Right after the row's file reached its new name. Nothing is replaced: a
// taken target leaves the file under its own name, and the report says so.
void RenameRun::sameNameIntoPlace(std::size_t i, bool fromAside)
{
    const auto& files = m_plan.sameNameOf(i);
    const auto moved = m_sameNameAside.find(static_cast<std::uint32_t>(i));
    for (std::size_t k = 0; k < files.size(); ++k) {
        const SameNameStep& file = files[k];
        if (file.refused != 0) {
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, file.refused});
            hold(file.current);
            continue;
        }
        if (file.current == file.target)
            continue; // nothing to do: no call
        if (fromAside) {
            if (moved == m_sameNameAside.end() || !moved->second[k])
                continue;
            const int rc = m_services.fs.renameNoReplace(m_dir, file.temporary, m_dir, file.target);
            if (rc == 0)
                m_record.sameNameArrived(file.target);
            else
                putBack(file, rc);
            continue;
        }
        const int rc = m_services.fs.renameNoReplace(m_dir, file.current, m_dir, file.target);
        if (rc == 0) {
            m_record.sameNameArrived(file.target);
        } else if (rc != ENOENT) { // one that has gone is no longer a match
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, rc});
            hold(file.current);
        }
    }
}

// The row's file went back to its own name; its same-name files follow it
// there, which is not a failure of theirs unless they cannot.
void RenameRun::sameNameBack(std::size_t i)
{
    const auto moved = m_sameNameAside.find(static_cast<std::uint32_t>(i));
    if (moved == m_sameNameAside.end())
        return;
    const auto& files = m_plan.sameNameOf(i);
    for (std::size_t k = 0; k < files.size(); ++k) {
        if (moved->second[k])
            putBack(files[k], 0);
    }
}

// A same-name file goes back from its temporary name to its own name, or
// stays under the temporary name when that is taken too. error: why it could
// not take its target, 0 when it was not to take it.
void RenameRun::putBack(const SameNameStep& file, int error)
{
    FileFailure failure{file.current, file.target, {}, RunStep::SameNameRename, error};
    int rc = m_services.fs.renameNoReplace(m_dir, file.temporary, m_dir, file.current);
    if (rc == 0) {
        hold(file.current);
    } else if (rc != ENOENT) { // ENOENT: the file itself has gone
        failure.leftAs = file.temporary;
        hold(file.temporary);
        if (failure.error == 0)
            failure.error = rc;
    }
    if (failure.error != 0)
        m_record.failures().push_back(std::move(failure));
}

RunResult RenameRun::take()
{
    if (m_stopped)
        return std::move(*m_stopped);
    return m_record.take();
}

} // namespace torvel
