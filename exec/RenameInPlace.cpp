#include "RenameInPlace.h"

#include <cerrno>
#include <utility>

#include "FileSystem.h"
#include "IoError.h"
#include "NewCtrls.h"
#include "RunFeedback.h"
#include "SameName.h"

namespace torvel {

namespace {

constexpr const char* waitText = "しばらくお待ちください。";
constexpr const char* renamingText = "ファイル名を変更しています。";

RunResult stoppedRun(int error)
{
    RunResult result;
    result.error = error;
    result.errorText = ioErrorText(error);
    return result;
}

} // namespace

RunResult File_Rename(const std::vector<RunRow>& rows, const RunSettings& settings,
                      RunServices& services)
{
    RenameRun run(rows, settings, services);
    services.feedback.status(1, waitText);
    if (!run.prepare())
        return run.take();
    run.outOfTheWay();
    services.feedback.status(1, renamingText);
    run.intoPlace();
    return run.take();
}

RenameRun::RenameRun(const std::vector<RunRow>& rows, const RunSettings& settings,
                     RunServices& services)
    : m_rows(rows)
    , m_settings(settings)
    , m_services(services)
    , m_record(rows)
    , m_movedAside(rows.size(), false)
{
}

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
    if (int rc = m_services.fs.readNames(m_dir, names)) {
        m_stopped = stoppedRun(rc);
        return false;
    }
    m_plan = planRename(m_rows, names);
    if (m_settings.CheckBox1) {
        m_sameName = std::make_unique<SameNameFiles>(m_services.fs, m_dir, m_dir, Carry::Rename,
                                                     std::move(names), m_rows);
    }
    m_services.FileOperation1.beginRun();
    return true;
}

void RenameRun::outOfTheWay()
{
    const int total = static_cast<int>(m_rows.size()) * 2;
    for (std::size_t i = 0; i < m_plan.steps.size(); ++i) {
        m_movedAside[i] = stepOutOfTheWay(i);
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
    const RenameStep& step = m_plan.steps[i];
    Room room;
    int rc = renameIntoPlace(step, room);
    if (rc != 0) {
        giveBack(i, takenFailure(m_rows[i], room, RunStep::IntoPlace, rc));
        return;
    }
    m_record.converted(i, step.newName);
    if (m_sameName) {
        m_sameName->SameName(m_rows[i], m_record.failures());
    }
}

// The rename from the temporary name. A new name that is taken is made free
// through the trash only when duplicates are to be replaced, only for a file,
// and never for a file of the batch that is still waiting under its own name.
int RenameRun::renameIntoPlace(const RenameStep& step, Room& room)
{
    int rc = m_services.fs.renameNoReplace(m_dir, step.temporary, m_dir, step.newName);
    if (rc != EEXIST || m_settings.JuuhukuCheck || m_held.contains(step.newName))
        return rc;
    room = makeRoom(m_services, m_dir, m_settings.ChangeDir, step.newName, m_record);
    if (room.kind != Room::Kind::Freed)
        return rc;
    return m_services.fs.renameNoReplace(m_dir, step.temporary, m_dir, step.newName);
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

RunResult RenameRun::take()
{
    if (m_stopped)
        return std::move(*m_stopped);
    return m_record.take();
}

} // namespace torvel
