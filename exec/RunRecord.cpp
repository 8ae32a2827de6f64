#include "RunRecord.h"

#include <cerrno>
#include <utility>

#include "FileSystem.h"
#include "RunJournal.h"
#include "TrashOperation.h"

namespace torvel {

RunRecord::RunRecord(const std::vector<RunRow>& rows)
    : m_rows(rows)
{
    m_result.rows.assign(rows.size(), RowResult::Pending);
}

void RunRecord::converted(std::size_t row)
{
    m_result.rows[row] = RowResult::Converted;
    ++m_result.converted;
    if (m_rowNamesKnown)
        m_rowNames.insert(m_rows[row].newName);
}

void RunRecord::failed(std::size_t row, FileFailure failure)
{
    m_result.rows[row] = RowResult::Failed;
    m_result.failures.push_back(std::move(failure));
}

void RunRecord::sameNameArrived(const std::string& target)
{
    m_sameNameTargets.insert(target);
}

void RunRecord::keptWithout(const std::string& name, const std::string& target,
                            const MetadataLost& lost)
{
    if (lost.any())
        m_result.warnings.push_back({name, target, lost});
}

bool RunRecord::madeByRun(const std::string& name)
{
    if (!m_rowNamesKnown) {
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            if (m_result.rows[row] == RowResult::Converted)
                m_rowNames.insert(m_rows[row].newName);
        }
        m_rowNamesKnown = true;
    }
    return m_rowNames.contains(name) || m_sameNameTargets.contains(name);
}

Room makeRoom(RunServices& services, const FolderHandle& dir, const std::string& name,
              RunRecord& record)
{
    if (record.madeByRun(name))
        return {Room::Kind::MadeByRun, EEXIST};
    EntryId entry;
    if (int rc = services.fs.probe(dir, name, entry))
        return {Room::Kind::Refused, rc};
    if (entry.kind == EntryKind::None)
        return {Room::Kind::Freed, 0}; // it went meanwhile: the name is free
    if (entry.kind != EntryKind::File)
        return {Room::Kind::Occupied, EEXIST};

    // Through the folder the run opened: its path may name another folder by now.
    services.trash.Delete(dir, name, entry);
    // After Cancel the run goes on without asking again: this file and every
    // later one that would need the trash stay, and their rows fail as
    // declined.
    const auto& outcomes = services.trash.lastOutcomes();
    if (outcomes.empty())
        return {Room::Kind::Refused, EIO};
    const FileOpOutcome& outcome = outcomes.front();
    switch (outcome.result) {
    case FileOpOutcome::Result::Done:
        // Written through before the name is used, so that taking the run
        // back can bring the file back from the trash. Without that line the
        // name stays unused: the file is in the trash, where the person finds it.
        if (services.journal != nullptr) {
            if (int rc = services.journal->trashed(
                    {dir.path(), name, outcome.place.folder, outcome.place.name}))
                return {Room::Kind::Unrecorded, rc};
        }
        return {Room::Kind::Freed, 0};
    case FileOpOutcome::Result::Declined:
    case FileOpOutcome::Result::Cancelled:
        return {Room::Kind::Declined, EEXIST};
    case FileOpOutcome::Result::Failed:
        break;
    }
    return {Room::Kind::Refused, outcome.error};
}

FileFailure takenFailure(const RunRow& row, const Room& room, RunStep ownStep, int error)
{
    FileFailure failure{row.current, row.newName, {}, ownStep, error};
    if (room.kind == Room::Kind::Declined)
        failure.step = RunStep::Declined;
    else if (room.kind == Room::Kind::MadeByRun)
        failure.step = RunStep::TakenByRun;
    else if (room.kind == Room::Kind::Unrecorded)
        failure.error = room.error;
    else if (room.kind == Room::Kind::Refused) {
        failure.step = RunStep::Trash;
        failure.error = room.error;
    }
    return failure;
}

RunResult stoppedRun(int error)
{
    RunResult result;
    result.error = error;
    return result;
}

} // namespace torvel
