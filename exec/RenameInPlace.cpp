#include "RenameInPlace.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include "FileSystem.h"
#include "NameRules.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "SameName.h"
#include "TrashOperation.h"

namespace torvel {

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
    // the same-name files, the inodes and the temporary names. Only the
    // same-name files need it held whole.
    std::vector<std::string> prefixed;
    const auto note = [&](std::string_view name, std::uint64_t inode) {
        if (name.starts_with(temporaryPrefix))
            prefixed.emplace_back(name);
        noteInode(name, inode);
    };
    int read = 0;
    if (m_settings.carrySameNameFiles) {
        std::vector<std::string> names;
        std::vector<std::uint64_t> inodes;
        read = m_services.fs.readNames(m_dir, names, inodes);
        m_plan = startPlan(m_rows, claimSameNames(names));
        for (std::size_t i = 0; read == 0 && i < names.size(); ++i)
            note(names[i], inodes[i]);
    } else {
        m_plan = startPlan(m_rows, {});
        read = m_services.fs.readEachName(m_dir, note);
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

// The inode the folder lists under name, noted for the file of the batch
// that is called so; the journal finds the file again by it.
void RenameRun::noteInode(std::string_view name, std::uint64_t inode)
{
    const std::uint32_t row = m_plan.batch.find(name);
    if (row == NameIndex::none)
        return;
    PlannedRow& planned = m_plan.rows[row];
    if (m_rows[row].current == name)
        planned.inode = inode;
    for (SameNameStep& file : planned.sameName()) {
        if (file.current == name)
            file.inode = inode;
    }
}

// Each file is claimed by the first row whose old base it matches. Those of
// a row that does not move stay with it, and are never offered to the trash.
SameNames RenameRun::claimSameNames(const std::vector<std::string>& names)
{
    SameNames sameNames;
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

// Every file the plan will move, in the order it moves.
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
        const PlannedRow& planned = m_plan.rows[move.row];
        if (int rc = journal.add(row.current, planned.temporary(), row.newName, planned.inode))
            return rc;
        for (const SameNameStep& file : planned.sameName()) {
            if (file.refused != 0)
                continue;
            if (int rc = journal.add(file.current, file.temporary, file.target, file.inode))
                return rc;
        }
    }
    return journal.planned();
}

void RenameRun::carryOut()
{
    const int total = static_cast<int>(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const PlannedRow& planned = m_plan.rows[i];
        if (planned.plan == RowPlan::Keeps) {
            keep(i);
            m_services.feedback.progress(++m_done, total);
        } else if (planned.plan == RowPlan::Refused && !planned.stepsAside) {
            refuse(i, planned.refused);
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
    if (m_plan.rows[i].inode == 0)
        m_record.failed(i, {m_rows[i].current, m_rows[i].newName, {}, RunStep::IntoPlace, ENOENT});
    else
        m_record.converted(i);
}

// A row whose file stays under its own name, and its same-name files with it.
void RenameRun::stays(std::size_t i, FileFailure failure)
{
    m_record.failed(i, std::move(failure));
    for (const SameNameStep& file : m_plan.rows[i].sameName())
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
    PlannedRow& planned = m_plan.rows[i];
    if (planned.plan == RowPlan::Refused) {
        refuse(i, planned.refused);
        return;
    }
    const int rc =
        m_services.fs.renameNoReplace(m_dir, m_rows[i].current, m_dir, planned.temporary());
    if (rc != 0) {
        refuse(i, rc);
        return;
    }
    planned.waiting = true;
    for (SameNameStep& file : planned.sameName()) {
        if (file.refused != 0) {
            hold(file.current); // reported once its row is in place
            continue;
        }
        const int sameRc =
            m_services.fs.renameNoReplace(m_dir, file.current, m_dir, file.temporary);
        file.waiting = sameRc == 0;
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
    if (!m_plan.rows[i].waiting)
        return; // it never stepped aside: reported then
    Room room;
    const int rc = renameMakingRoom(i, m_plan.rows[i].temporary(), room);
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
    const std::uint32_t row = m_plan.batch.find(name);
    if (row != NameIndex::none && m_record.rowResult(row) != RowResult::Converted
        && !m_plan.rows[row].waiting)
        return false;
    if (!std::string_view(name).starts_with(temporaryPrefix))
        return true;
    for (const PlannedRow& planned : m_plan.rows) {
        if (planned.temporary() == name)
            return false;
    }
    return true;
}

// A file that cannot take its new name goes back to the name it came with;
// only if that is taken meanwhile does it keep the temporary name, and the
// report says so.
void RenameRun::giveBack(std::size_t i, FileFailure failure)
{
    PlannedRow& planned = m_plan.rows[i];
    const std::string& temporary = planned.temporary();
    const int rc = m_services.fs.renameNoReplace(m_dir, temporary, m_dir, m_rows[i].current);
    if (rc == 0) {
        planned.waiting = false;
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
    for (SameNameStep& file : m_plan.rows[i].sameName()) {
        if (file.refused != 0) {
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, file.refused});
            hold(file.current);
            continue;
        }
        if (file.current == file.target)
            continue; // nothing to do: no call
        if (fromAside) {
            if (!file.waiting)
                continue;
            const int rc = m_services.fs.renameNoReplace(m_dir, file.temporary, m_dir, file.target);
            if (rc == 0) {
                file.waiting = false;
                m_record.sameNameArrived(file.target);
            } else {
                putBack(file, rc);
            }
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
    for (SameNameStep& file : m_plan.rows[i].sameName()) {
        if (file.waiting)
            putBack(file, 0);
    }
}

// A same-name file goes back from its temporary name to its own name, or
// stays under the temporary name when that is taken too. error: why it could
// not take its target, 0 when it was not to take it.
void RenameRun::putBack(SameNameStep& file, int error)
{
    FileFailure failure{file.current, file.target, {}, RunStep::SameNameRename, error};
    int rc = m_services.fs.renameNoReplace(m_dir, file.temporary, m_dir, file.current);
    if (rc == 0) {
        file.waiting = false;
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
