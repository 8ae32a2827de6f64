#include "RenameInPlace.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include "FileSystem.h"
#include "NewCtrls.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "SameName.h"

namespace torvel {

RunResult File_Rename(const std::vector<RunRow>& rows, const RunSettings& settings,
                      RunServices& services)
{
    RenameRun run(rows, settings, services);
    services.feedback.status({RunActivity::Preparing, {}, {}});
    if (!run.prepare())
        return run.take();
    run.outOfTheWay();
    services.feedback.status({RunActivity::Renaming, {}, {}});
    run.intoPlace();
    // A journal without its last line only makes a later start offer to
    // finish a run whose files are all in place already.
    if (services.journal != nullptr)
        (void)services.journal->finish();
    return run.take();
}

RenameRun::RenameRun(const std::vector<RunRow>& rows, const RunSettings& settings,
                     RunServices& services)
    : m_rows(rows)
    , m_settings(settings)
    , m_services(services)
    , m_record(rows)
    , m_movedAside(rows.size(), false)
{}

RenameRun::~RenameRun() = default;

bool RenameRun::prepare()
{
    if (int rc = m_services.fs.openFolder(m_settings.ChangeDir, m_dir)) {
        m_stopped = stoppedRun(rc);
        return false;
    }
    // One reading of the folder serves the temporary names and the same-name
    // files alike; it is taken before anything in it changes.
    std::vector<std::string> names;
    std::vector<std::uint64_t> inodes;
    const int read = m_services.journal != nullptr ? m_services.fs.readNames(m_dir, names, inodes)
                                                   : m_services.fs.readNames(m_dir, names);
    if (read != 0) {
        m_stopped = stoppedRun(read);
        return false;
    }
    std::vector<std::vector<std::string>> sameNames;
    if (m_settings.CheckBox1) {
        // Each file is claimed by the first row whose old base it matches.
        SameNameIndex index(names, m_rows);
        sameNames.reserve(m_rows.size());
        for (const auto& row : m_rows)
            sameNames.push_back(index.claim(row));
        m_sameNameAside.resize(m_rows.size());
    }
    m_plan = planRename(m_rows, names, sameNames);
    if (m_services.journal != nullptr) {
        if (int rc = writeJournal(names, inodes)) {
            m_stopped = stoppedRun(rc);
            return false;
        }
    }
    m_services.FileOperation1.beginRun();
    return true;
}

// Every file the plan will move, with the inode that finds it again under
// whichever of its names it carries when the run is taken back or finished.
int RenameRun::writeJournal(const std::vector<std::string>& names,
                            const std::vector<std::uint64_t>& inodes)
{
    const InodesByName inodeOf = inodesByName(names, inodes);
    std::vector<JournalFile> files;
    files.reserve(m_plan.steps.size());
    const auto add = [&](const std::string& current, const std::string& temporary,
                         const std::string& target) {
        if (temporary.empty())
            return; // not to be touched
        const auto it = inodeOf.find(current);
        files.push_back(
            {current, temporary, target, it == inodeOf.end() ? 0 : it->second, 0, 0, 0});
    };
    for (const RenameStep& step : m_plan.steps) {
        add(step.current, step.temporary, step.newName);
        for (const SameNameStep& file : step.sameName)
            add(file.current, file.temporary, file.target);
    }
    return m_services.journal->begin(JournalKind::Rename, m_settings.ChangeDir,
                                     m_settings.ChangeDir, files);
}

void RenameRun::outOfTheWay()
{
    const int total = static_cast<int>(m_rows.size()) * 2;
    for (std::size_t i = 0; i < m_plan.steps.size(); ++i) {
        m_movedAside[i] = stepOutOfTheWay(i);
        if (m_movedAside[i]) {
            sameNameOutOfTheWay(i);
        } else {
            for (const auto& file : m_plan.steps[i].sameName)
                hold(file.current); // they stay with their row
        }
        m_services.feedback.progress(++m_done, total);
    }
}

bool RenameRun::stepOutOfTheWay(std::size_t i)
{
    const RenameStep& step = m_plan.steps[i];
    int rc = step.refused;
    if (rc == 0)
        rc = m_services.fs.renameNoReplace(m_dir, step.current, m_dir, step.temporary);
    if (rc == 0)
        return true;
    RunStep failedAt = nameError(step.newName) != 0 ? RunStep::BadName : RunStep::OutOfTheWay;
    m_record.failed(i, {step.current, step.newName, {}, failedAt, rc});
    hold(step.current);
    return false;
}

// A same-name file that cannot move out of the way stays under its own name;
// one that has gone since the folder was read is no longer a match.
void RenameRun::sameNameOutOfTheWay(std::size_t i)
{
    const auto& files = m_plan.steps[i].sameName;
    if (files.empty())
        return;
    std::vector<bool>& aside = m_sameNameAside[i];
    aside.assign(files.size(), false);
    for (std::size_t k = 0; k < files.size(); ++k) {
        const SameNameStep& file = files[k];
        if (file.refused != 0) {
            hold(file.current); // reported once its row is in place
            continue;
        }
        int rc = m_services.fs.renameNoReplace(m_dir, file.current, m_dir, file.temporary);
        aside[k] = rc == 0;
        if (rc != 0 && rc != ENOENT) {
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, rc});
            hold(file.current);
        }
    }
}

void RenameRun::intoPlace()
{
    const int total = static_cast<int>(m_rows.size()) * 2;
    for (std::size_t i = 0; i < m_plan.steps.size(); ++i) {
        if (m_movedAside[i])
            stepIntoPlace(i);
        m_services.feedback.progress(++m_done, total);
    }
}

void RenameRun::stepIntoPlace(std::size_t i)
{
    Room room;
    int rc = renameIntoPlace(i, room);
    if (rc != 0) {
        giveBack(i, takenFailure(m_rows[i], room, RunStep::IntoPlace, rc));
        sameNameBack(i);
        return;
    }
    m_record.converted(i);
    sameNameIntoPlace(i);
}

// The rename from the temporary name. A new name that is taken is made free
// through the trash only when duplicates are to be replaced, only for a file,
// and never for a file this run is responsible for.
int RenameRun::renameIntoPlace(std::size_t i, Room& room)
{
    const RenameStep& step = m_plan.steps[i];
    int rc = m_services.fs.renameNoReplace(m_dir, step.temporary, m_dir, step.newName);
    if (rc != EEXIST || m_settings.JuuhukuCheck || !mayOfferToTrash(step.newName, i))
        return rc;
    room = makeRoom(m_services, m_dir, step.newName, m_record);
    if (room.kind != Room::Kind::Freed)
        return rc;
    return m_services.fs.renameNoReplace(m_dir, step.temporary, m_dir, step.newName);
}

// Not a file of the batch (or a same-name file) waiting under its own name,
// nor one waiting under a temporary name for its turn. The plan keeps new
// names off the temporary names; this holds even if it did not.
bool RenameRun::mayOfferToTrash(const std::string& name, std::size_t row)
{
    if (m_held.contains(name))
        return false;
    if (!std::string_view(name).starts_with(temporaryPrefix))
        return true;
    if (m_temporaryRows.empty()) {
        for (std::size_t k = 0; k < m_plan.steps.size(); ++k) {
            const RenameStep& step = m_plan.steps[k];
            if (!step.temporary.empty())
                m_temporaryRows.emplace(step.temporary, k);
            for (const auto& file : step.sameName) {
                if (!file.temporary.empty())
                    m_temporaryRows.emplace(file.temporary, k);
            }
        }
    }
    auto it = m_temporaryRows.find(name);
    return it == m_temporaryRows.end() || it->second < row;
}

// A file that cannot take its new name goes back to the name it came with;
// only if that is taken meanwhile does it keep the temporary name, and the
// report says so.
void RenameRun::giveBack(std::size_t i, FileFailure failure)
{
    const RenameStep& step = m_plan.steps[i];
    int rc = m_services.fs.renameNoReplace(m_dir, step.temporary, m_dir, step.current);
    if (rc == 0) {
        hold(step.current);
    } else if (rc != ENOENT) { // ENOENT: the file itself has gone
        failure.leftAs = step.temporary;
        hold(step.temporary);
    }
    m_record.failed(i, std::move(failure));
}

// Right after the row's file reached its new name. Nothing is replaced: a
// taken target sends the file back to its own name, and the report says so.
void RenameRun::sameNameIntoPlace(std::size_t i)
{
    const auto& files = m_plan.steps[i].sameName;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const SameNameStep& file = files[k];
        if (file.refused != 0) {
            m_record.failures().push_back(
                {file.current, file.target, {}, RunStep::SameNameRename, file.refused});
            continue;
        }
        if (!m_sameNameAside[i][k])
            continue;
        int rc = m_services.fs.renameNoReplace(m_dir, file.temporary, m_dir, file.target);
        if (rc == 0)
            m_record.sameNameArrived(file.target);
        else
            putBack(file, rc);
    }
}

// The row's file went back to its own name; its same-name files follow it
// there, which is not a failure of theirs unless they cannot.
void RenameRun::sameNameBack(std::size_t i)
{
    const auto& files = m_plan.steps[i].sameName;
    for (std::size_t k = 0; k < files.size(); ++k) {
        if (m_sameNameAside[i][k])
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
