#include "MoveAndCopy.h"

#include <cerrno>
#include <memory>
#include <utility>

#include "FileSystem.h"
#include "NameText.h"
#include "NewCtrls.h"
#include "RenamePlan.h"
#include "RunFeedback.h"
#include "RunRecord.h"
#include "SameName.h"

namespace torvel {

namespace {

std::string transferText(const RunRow& row)
{
    return displayName(row.current) + " を " + displayName(row.newName) + " に転送しています。";
}

class MoveRun
{
public:
    MoveRun(const std::vector<RunRow>& rows, const RunSettings& settings, RunServices& services)
        : m_rows(rows)
        , m_settings(settings)
        , m_services(services)
        , m_carry(settings.SaveMethod == 1 ? Carry::Move : Carry::Copy)
        , m_record(rows)
    {
    }

    int prepare();
    void run();
    RunResult take() { return m_record.take(); }

private:
    void row(std::size_t i);
    int carry(const RunRow& row, MetadataLost& lost);
    int carryMakingRoom(const RunRow& row, Room& room, MetadataLost& lost);

    const std::vector<RunRow>& m_rows;
    const RunSettings m_settings;
    RunServices& m_services;
    Carry m_carry;
    RunRecord m_record;
    FolderHandle m_from;
    FolderHandle m_to;
    std::unique_ptr<SameNameFiles> m_sameName;
};

int MoveRun::prepare()
{
    if (int rc = m_services.fs.openFolder(m_settings.SearchDir, m_from))
        return rc;
    if (int rc = m_services.fs.openFolder(m_settings.ChangeDir, m_to))
        return rc;
    if (m_settings.CheckBox1) {
        std::vector<std::string> names;
        if (int rc = m_services.fs.readNames(m_from, names))
            return rc;
        m_sameName = std::make_unique<SameNameFiles>(m_services.fs, m_from, m_to, m_carry,
                                                     std::move(names), m_rows);
    }
    m_services.FileOperation1.beginRun();
    return 0;
}

void MoveRun::run()
{
    const int total = static_cast<int>(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_services.feedback.status(1, transferText(m_rows[i]));
        row(i);
        m_services.feedback.progress(static_cast<int>(i) + 1, total);
    }
}

void MoveRun::row(std::size_t i)
{
    const RunRow& r = m_rows[i];
    const RunStep ownStep = m_carry == Carry::Move ? RunStep::Move : RunStep::Copy;
    if (int rc = nameError(r.newName)) {
        m_record.failed(i, {r.current, r.newName, {}, RunStep::BadName, rc});
        return;
    }
    Room room;
    MetadataLost lost;
    if (int rc = carryMakingRoom(r, room, lost)) {
        m_record.failed(i, takenFailure(r, room, ownStep, rc));
        return;
    }
    m_record.converted(i);
    m_record.keptWithout(r.current, r.newName, lost);
    if (m_sameName)
        m_sameName->SameName(r, m_record);
}

int MoveRun::carry(const RunRow& row, MetadataLost& lost)
{
    if (m_carry == Carry::Move)
        return m_services.fs.move(m_from, row.current, m_to, row.newName, lost);
    return m_services.fs.copy(m_from, row.current, m_to, row.newName, lost);
}

// The file holding the new name goes to the trash only at the person's word,
// and the row's file follows only into a name that is free.
int MoveRun::carryMakingRoom(const RunRow& row, Room& room, MetadataLost& lost)
{
    int rc = carry(row, lost);
    if (rc != EEXIST)
        return rc;
    // Nothing is sent to the trash for a file that is not there to follow.
    EntryKind source = EntryKind::None;
    if (int probed = m_services.fs.probe(m_from, row.current, source))
        return probed;
    if (source == EntryKind::None)
        return ENOENT;
    room = makeRoom(m_services, m_to, row.newName, m_record);
    if (room.kind != Room::Kind::Freed)
        return rc;
    return carry(row, lost);
}

} // namespace

RunResult File_Move(const std::vector<RunRow>& rows, const RunSettings& settings,
                    RunServices& services)
{
    MoveRun run(rows, settings, services);
    if (int rc = run.prepare())
        return stoppedRun(rc);
    run.run();
    return run.take();
}

} // namespace torvel
