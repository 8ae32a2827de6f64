#include "MoveAndCopy.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "FileInfo.h"
#include "FileSystem.h"
#include "NameRules.h"
#include "RenamePlan.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "RunRecord.h"
#include "SameName.h"
#include "TrashOperation.h"

namespace torvel {

namespace {

class MoveRun
{
public:
    MoveRun(const std::vector<RunRow>& rows, const RunSettings& settings, RunServices& services)
        : m_rows(rows)
        , m_settings(settings)
        , m_services(services)
        , m_carry(settings.saveMode == SaveMode::Move ? Carry::Move : Carry::Copy)
        , m_record(rows)
    {}

    int prepare();
    int writeJournal(const std::vector<std::string>& names,
                     const std::vector<std::uint64_t>& inodes);
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
    bool m_arrivesAsCopies = false; // each file arrives as a new file of its own
};

int MoveRun::prepare()
{
    if (int rc = m_services.fs.openFolder(m_settings.sourceFolder, m_from))
        return rc;
    if (int rc = m_services.fs.openFolder(m_settings.destinationFolder, m_to))
        return rc;
    std::vector<std::string> names;
    std::vector<std::uint64_t> inodes;
    if (m_settings.carrySameNameFiles || m_services.journal != nullptr) {
        const int read = m_services.journal != nullptr
                             ? m_services.fs.readNames(m_from, names, inodes)
                             : m_services.fs.readNames(m_from, names);
        if (read != 0)
            return read;
    }
    if (m_services.journal != nullptr) {
        if (int rc = writeJournal(names, inodes))
            return rc;
    }
    if (m_services.journal != nullptr && m_arrivesAsCopies) {
        // Only the very file the run made is taken back or cleared later:
        // it is noted before the source of a move goes.
        RunJournal* journal = m_services.journal;
        m_services.fs.onArrival([journal](const std::string& name, dev_t device, ino_t inode) {
            (void)journal->arrived(
                name, {static_cast<std::uint64_t>(device), static_cast<std::uint64_t>(inode)});
        });
    }
    if (m_settings.carrySameNameFiles) {
        m_sameName = std::make_unique<SameNameFiles>(m_services.fs, m_from, m_to, m_carry,
                                                     std::move(names), m_rows);
    }
    m_services.trash.beginRun();
    return 0;
}

// Every row's file with its inode; where it will arrive as a copy, also its
// size and last-write time, which tell the finished copy. Same-name files
// are written down as files of their own.
int MoveRun::writeJournal(const std::vector<std::string>& names,
                          const std::vector<std::uint64_t>& inodes)
{
    EntryId from;
    EntryId to;
    const bool copies = m_carry == Carry::Copy
                        || (m_services.fs.identify(m_from, from) == 0
                            && m_services.fs.identify(m_to, to) == 0 && from.device != to.device);
    m_arrivesAsCopies = copies;
    const InodesByName inodeOf = inodesByName(names, inodes);
    RunJournal& journal = *m_services.journal;
    JournalRecord head;
    head.kind = m_carry == Carry::Move ? JournalKind::Move : JournalKind::Copy;
    head.from = m_settings.sourceFolder;
    head.to = m_settings.destinationFolder;
    if (int rc = journal.open(head))
        return rc;
    const auto add = [&](const std::string& name, const std::string& target) {
        JournalFile file{name, {}, target, 0, 0, 0, 0};
        if (const auto it = inodeOf.find(name); it != inodeOf.end())
            file.inode = it->second;
        FileInfo info;
        if (copies && m_services.fs.fileInfo(m_from, name, info, StoredAttributes::Defer) == 0) {
            file.size = info.size;
            file.mtimeSeconds = info.mtimeSeconds;
            file.mtimeNanoseconds = info.mtimeNanoseconds;
        }
        return journal.add(file);
    };
    std::optional<SameNameIndex> sameNames;
    if (m_settings.carrySameNameFiles)
        sameNames.emplace(names, m_rows);
    for (const RunRow& row : m_rows) {
        if (int rc = add(row.current, row.newName))
            return rc;
        if (!sameNames)
            continue;
        for (std::uint32_t i : sameNames->matches(baseNameOf(row.current))) {
            if (int rc = add(sameNames->name(i), sameNameTarget(row, sameNames->name(i))))
                return rc;
        }
    }
    return journal.planned();
}

void MoveRun::run()
{
    const int total = static_cast<int>(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_services.feedback.stopRequested()) {
            m_record.stopped();
            return;
        }
        m_services.feedback.status(
            {RunActivity::Transferring, m_rows[i].current, m_rows[i].newName});
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
    if (int rc = run.prepare()) {
        services.fs.onArrival({});
        return stoppedRun(rc);
    }
    run.run();
    services.fs.onArrival({});
    RunResult result = run.take();
    // A journal without its last line only makes a later start offer to
    // finish a run whose files are all in place already; a stopped run is
    // left that way on purpose.
    if (services.journal != nullptr && !result.stopped)
        (void)services.journal->finish();
    return result;
}

} // namespace torvel
