#include "RunUndo.h"

#include <cerrno>
#include <string_view>
#include <unordered_set>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "FileInfo.h"
#include "FileSystem.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"
#include "RunRecord.h"

namespace torvel {

namespace {

// The hidden file a copy is written into before it takes its name.
bool isHiddenCopy(std::string_view name)
{
    return name.starts_with(".torvel-") && name.ends_with(".tmp");
}

// The run's two folders, and whether its files arrive in the second as copies.
struct RunFolders
{
    FolderHandle from;
    FolderHandle to;
    dev_t fromDevice = 0;
    dev_t toDevice = 0;
    bool copies = false;
    bool tidy = true; // a second name that a kill left is removed while looking
};

bool matches(const std::optional<FolderId>& recorded, const EntryId& id)
{
    return !recorded
           || (recorded->device == static_cast<std::uint64_t>(id.device)
               && recorded->inode == static_cast<std::uint64_t>(id.inode));
}

// The folders as the journal names them; a path that names another folder
// now than when the run began is not the run's, and nothing in it is touched.
int openFolders(const JournalRecord& record, FileSystem& fs, RunFolders& folders)
{
    if (int rc = fs.openFolder(record.from, folders.from))
        return rc;
    if (int rc = fs.openFolder(record.to, folders.to))
        return rc;
    EntryId from;
    EntryId to;
    if (int rc = fs.identify(folders.from, from); rc != 0)
        return rc;
    if (int rc = fs.identify(folders.to, to); rc != 0)
        return rc;
    if (!matches(record.fromId, from) || !matches(record.toId, to))
        return ESTALE;
    folders.fromDevice = from.device;
    folders.toDevice = to.device;
    folders.copies = record.kind == JournalKind::Copy
                     || (record.kind == JournalKind::Move && from.device != to.device);
    return 0;
}

// Whether name in dir holds the file with this inode on this device.
bool holds(FileSystem& fs, const FolderHandle& dir, dev_t device, const std::string& name,
           std::uint64_t inode)
{
    EntryId id;
    return !name.empty() && inode != 0 && fs.probe(dir, name, id) == 0 && id.kind == EntryKind::File
           && id.device == device && id.inode == inode;
}

// A file of another device is the run's only when it is as the run left it:
// its inode, and the size and last-write time that a copy keeps.
bool holdsAsRecorded(FileSystem& fs, const FolderHandle& dir, dev_t device, const std::string& name,
                     std::uint64_t inode, const JournalFile& file)
{
    FileInfo info;
    return holds(fs, dir, device, name, inode)
           && fs.fileInfo(dir, name, info, StoredAttributes::Defer) == 0 && !info.isFolder
           && info.size == file.size && info.mtimeSeconds == file.mtimeSeconds
           && info.mtimeNanoseconds == file.mtimeNanoseconds;
}

// The copy the run made, proven by what the run noted the moment it arrived.
bool holdsArrival(const JournalRecord& record, FileSystem& fs, const RunFolders& folders,
                  const JournalFile& file)
{
    const auto it = record.arrivals.find(file.newName);
    return it != record.arrivals.end() && it->second.device == folders.toDevice
           && holdsAsRecorded(fs, folders.to, folders.toDevice, file.newName, it->second.inode,
                              file);
}

// A rename killed between the link and the unlink of a file system without
// a rename that refuses to replace leaves one file under two of its names.
// The later name goes (the file stays under the earlier one): no data goes
// with it, as the inode is checked to be the same.
void dropSecondName(FileSystem& fs, const RunFolders& folders, const std::string& kept,
                    const std::string& extra, std::uint64_t inode)
{
    const FolderHandle& dir = folders.from;
    const dev_t device = folders.fromDevice;
    if (folders.tidy && kept != extra && holds(fs, dir, device, extra, inode)
        && holds(fs, dir, device, kept, inode))
        (void)fs.removeFile(dir, extra); // a name left over only stands in the way, reported then
}

FilePlace locateRename(const JournalFile& file, FileSystem& fs, const RunFolders& folders)
{
    const dev_t device = folders.fromDevice;
    for (const auto& [name, place] : {std::pair{&file.oldName, FilePlace::Old},
                                      std::pair{&file.temporary, FilePlace::Temporary},
                                      std::pair{&file.newName, FilePlace::New}}) {
        if (!holds(fs, folders.from, device, *name, file.inode))
            continue;
        dropSecondName(fs, folders, *name, file.temporary, file.inode);
        dropSecondName(fs, folders, *name, file.newName, file.inode);
        return place;
    }
    return FilePlace::Gone;
}

FilePlace locate(const JournalRecord& record, const JournalFile& file, FileSystem& fs,
                 const RunFolders& folders)
{
    if (record.kind == JournalKind::Rename)
        return locateRename(file, fs, folders);
    if (!folders.copies) { // one device: the file keeps its inode
        if (holds(fs, folders.from, folders.fromDevice, file.oldName, file.inode)) {
            // One inode under both names is a link whose unlink a kill cut off.
            if (folders.tidy && holds(fs, folders.to, folders.toDevice, file.newName, file.inode))
                (void)fs.removeFile(folders.to, file.newName);
            return FilePlace::Old;
        }
        return holds(fs, folders.to, folders.toDevice, file.newName, file.inode) ? FilePlace::New
                                                                                 : FilePlace::Gone;
    }
    // A new file under the old name may be given the freed inode number, so
    // the source, too, must be as it was.
    const bool source =
        file.size != 0 || file.mtimeSeconds != 0 || file.mtimeNanoseconds != 0
            ? holdsAsRecorded(fs, folders.from, folders.fromDevice, file.oldName, file.inode, file)
            : holds(fs, folders.from, folders.fromDevice, file.oldName, file.inode);
    const bool arrived = holdsArrival(record, fs, folders, file);
    if (arrived && source)
        return record.kind == JournalKind::Copy ? FilePlace::New : FilePlace::OldAndCopy;
    if (arrived)
        return record.kind == JournalKind::Copy ? FilePlace::CopyOnly : FilePlace::New;
    return source ? FilePlace::Old : FilePlace::Gone;
}

FileFailure changed(const JournalFile& file, bool back)
{
    return back ? FileFailure{file.newName, file.oldName, {}, RunStep::Changed, 0}
                : FileFailure{file.oldName, file.newName, {}, RunStep::Changed, 0};
}

// Sends a file to the trash, noting a refusal.
void discard(FileSystem& fs, const FolderHandle& dir, const std::string& name, RunResult& result)
{
    if (int rc = fs.trash(dir, name))
        result.failures.push_back({name, {}, {}, RunStep::Trash, rc});
    else
        ++result.converted;
}

// The hidden files copies were being written into when the run stopped go
// to the trash; what the trash cannot take stays hidden and harmless.
void discardHiddenCopies(FileSystem& fs, const FolderHandle& dir)
{
    std::vector<std::string> names;
    if (fs.readNames(dir, names) != 0)
        return;
    for (const std::string& name : names) {
        if (isHiddenCopy(name))
            (void)fs.trash(dir, name);
    }
}

// Files the run sent to the trash go back where they were, never onto a
// name that is taken.
void restoreTrashed(const JournalRecord& record, FileSystem& fs, RunResult& result)
{
    for (const TrashedFile& file : record.trashed) {
        FolderHandle trash;
        FolderHandle folder;
        int rc = fs.openFolder(file.trashFolder + "files/", trash);
        if (rc == 0)
            rc = fs.openFolder(file.folder, folder);
        if (rc == 0)
            rc = fs.renameNoReplace(trash, file.trashName, folder, file.name);
        if (rc != 0) {
            result.failures.push_back({file.name, {}, {}, RunStep::Trash, rc});
            continue;
        }
        FolderHandle info;
        if (fs.openFolder(file.trashFolder + "info/", info) == 0)
            (void)fs.removeFile(info,
                                file.trashName + ".trashinfo"); // a stray record names no file
    }
}

// Runs rows through the engine, recording them as the settling of record,
// and adds what it reports to result.
void carry(const std::vector<RunRow>& rows, const RunSettings& settings,
           const JournalRecord& record, bool back, RunServices& services, RunResult& result)
{
    if (rows.empty())
        return;
    if (services.journal != nullptr)
        services.journal->settling(record.path, back);
    RunResult done = settings.saveMode == SaveMode::Rename ? File_Rename(rows, settings, services)
                                                           : File_Move(rows, settings, services);
    if (!done.started()) {
        result.error = done.error;
        return;
    }
    result.converted += done.converted;
    for (auto& failure : done.failures)
        result.failures.push_back(std::move(failure));
    for (auto& warning : done.warnings)
        result.warnings.push_back(std::move(warning));
}

// The run's journal is marked first, then the journal of the settling: a
// kill between the two leaves a settling to finish that finds all done.
void settle(const JournalRecord& record, bool back, RunServices& services)
{
    (void)(back ? markUndone(record.path) : markFinished(record.path)); // at worst offered again
    if (services.journal != nullptr && !services.journal->path().empty())
        (void)markUndone(services.journal->path()); // not a run to take back itself
}

// A journal that cannot be acted on: the front end says why, naming it.
RunResult refused(const JournalRecord& record, int error)
{
    RunResult result = stoppedRun(error);
    result.refusedJournal = RefusedJournal{record.path, record.from};
    return result;
}

} // namespace

RunResult takeBackNewNames(const JournalRecord& record, RunServices& services)
{
    RunFolders folders;
    if (int rc = openFolders(record, services.fs, folders))
        return refused(record, rc);
    RunResult result;
    std::vector<RunRow> rows;
    for (const JournalFile& file : record.files) {
        switch (locate(record, file, services.fs, folders)) {
        case FilePlace::Old:
            // A copy changed since the run stays, and the person hears of it.
            if (record.kind == JournalKind::Copy && services.fs.exists(folders.to, file.newName))
                result.failures.push_back(changed(file, true));
            break;
        case FilePlace::Temporary:
            rows.push_back({file.temporary, file.oldName});
            break;
        case FilePlace::New:
            if (record.kind == JournalKind::Copy)
                discard(services.fs, folders.to, file.newName, result); // as the run made it
            else
                rows.push_back({file.newName, file.oldName});
            break;
        case FilePlace::OldAndCopy:
            discard(services.fs, folders.to, file.newName, result); // the source is still there
            break;
        case FilePlace::CopyOnly:
            result.failures.push_back({file.newName, file.oldName, {}, RunStep::SourceGone, 0});
            break;
        case FilePlace::Gone:
            result.failures.push_back(changed(file, true));
            break;
        }
    }
    if (record.kind == JournalKind::Rename)
        carry(rows, {record.from, record.from, SaveMode::Rename, true, false}, record, true,
              services, result);
    else
        carry(rows, {record.to, record.from, SaveMode::Move, true, false}, record, true, services,
              result);
    if (!result.started())
        return result;
    restoreTrashed(record, services.fs, result);
    if (record.kind != JournalKind::Rename)
        discardHiddenCopies(services.fs, folders.to);
    settle(record, true, services);
    return result;
}

RunResult finishNewNames(const JournalRecord& record, RunServices& services)
{
    RunFolders folders;
    if (int rc = openFolders(record, services.fs, folders))
        return refused(record, rc);
    RunResult result;
    std::vector<RunRow> rows;
    for (const JournalFile& file : record.files) {
        switch (locate(record, file, services.fs, folders)) {
        case FilePlace::New:
        case FilePlace::CopyOnly:
            break;
        case FilePlace::Old:
            rows.push_back({file.oldName, file.newName});
            break;
        case FilePlace::Temporary:
            rows.push_back({file.temporary, file.newName});
            break;
        case FilePlace::OldAndCopy:
            // The copy was complete and on the disk before it took its name.
            discard(services.fs, folders.from, file.oldName, result);
            break;
        case FilePlace::Gone:
            result.failures.push_back(changed(file, false));
            break;
        }
    }
    const SaveMode method = record.kind == JournalKind::Rename ? SaveMode::Rename
                            : record.kind == JournalKind::Move ? SaveMode::Move
                                                               : SaveMode::Copy;
    carry(rows, {record.from, record.to, method, true, false}, record, false, services, result);
    if (!result.started())
        return result;
    if (record.kind != JournalKind::Rename)
        discardHiddenCopies(services.fs, folders.to);
    settle(record, false, services);
    return result;
}

std::size_t filesWithNewNames(const JournalRecord& record, FileSystem& fs)
{
    RunFolders folders;
    if (openFolders(record, fs, folders) != 0)
        return 0;
    folders.tidy = false; // only looked at, before the person says what to do
    std::size_t done = 0;
    for (const JournalFile& file : record.files) {
        const FilePlace place = locate(record, file, fs, folders);
        done += place != FilePlace::Old && place != FilePlace::Gone ? 1 : 0;
    }
    return done;
}

namespace {

void addTo(RunResult& result, RunResult more)
{
    if (!more.started()) {
        result.error = more.error;
        result.refusedJournal = std::move(more.refusedJournal);
    }
    result.converted += more.converted;
    for (auto& failure : more.failures)
        result.failures.push_back(std::move(failure));
    for (auto& warning : more.warnings)
        result.warnings.push_back(std::move(warning));
}

} // namespace

RunResult takeBackRun(const JournalRecord& record, RunServices& services)
{
    if (record.damaged && (record.untrusted || !record.planned))
        return refused(record, EBADMSG);
    // Taking back a settling that was cut short puts its files back where it
    // found them; the run it settled stays as it was.
    return runKind(record.kind).takeBack(record, services);
}

RunResult finishRun(const JournalRecord& record, RunServices& services)
{
    if (record.damaged && (record.untrusted || !record.planned))
        return refused(record, EBADMSG);
    RunResult result = runKind(record.kind).finish(record, services);
    if (!record.settlement() || !result.started())
        return result;
    // Finishing a settling that was cut short finishes what it was doing:
    // taking its run back, or finishing it.
    // A run already marked was settled whole before the kill: its trash
    // lines, taken back again, would only report files already restored.
    JournalRecord settled;
    if (readJournal(std::string(folderPart(record.path)) + record.settles, settled) == 0
        && settled.planned && !settled.undone && (record.settlesBack || !settled.finished)) {
        addTo(result,
              record.settlesBack ? takeBackRun(settled, services) : finishRun(settled, services));
    }
    if (result.started())
        (void)markUndone(record.path);
    return result;
}

RunResult takeBackLastRun(const JournalRecord& record, RunServices& services)
{
    if (!record.settlement())
        return takeBackRun(record, services);
    // A taking back cut short is finished; a finishing cut short is taken
    // back, and so is the run it was finishing.
    if (record.settlesBack)
        return finishRun(record, services);
    RunResult result = takeBackRun(record, services);
    JournalRecord settled;
    if (result.started()
        && readJournal(std::string(folderPart(record.path)) + record.settles, settled) == 0
        && settled.planned && !settled.undone)
        addTo(result, takeBackLastRun(settled, services));
    return result;
}

std::size_t filesDone(const JournalRecord& record, FileSystem& fs)
{
    return runKind(record.kind).filesDone(record, fs);
}

std::vector<JournalRecord> unfinishedRuns(const std::string& folder,
                                          std::vector<JournalRecord>* damaged)
{
    std::vector<JournalRecord> runs;
    std::unordered_set<std::string> settled; // runs whose settling is itself to be finished
    for (const std::string& path : journalPaths(folder)) {
        // A journal of 100,000 files that came to its end is not read whole
        // at each start: only a settling's end leaves something to do.
        const JournalEnd end = journalEnd(path);
        if (end == JournalEnd::Undone || (end == JournalEnd::Finished && !settlesAnother(path)))
            continue;
        JournalRecord record;
        if (readJournal(path, record) != 0)
            continue;
        if (record.damaged) {
            // Kept where the person can see it, and out of the way of runs.
            std::string aside;
            if (setAside(path, aside) == 0)
                record.path = aside;
            if (damaged != nullptr)
                damaged->push_back(record);
            if (record.untrusted || !record.planned || record.files.empty())
                continue;
        } else if (!record.planned) {
            (void)::unlink(path.c_str()); // a plan cut short: its run touched nothing
            continue;
        }
        // A settling that came to its end has still to mark its run.
        if (record.undone || (record.finished && !record.settlement()))
            continue;
        if (record.settlement())
            settled.insert(folder + record.settles);
        runs.push_back(std::move(record));
    }
    std::erase_if(runs, [&](const JournalRecord& run) { return settled.contains(run.path); });
    return runs;
}

bool lastRunToTakeBack(const std::string& folder, JournalRecord& out)
{
    const std::vector<std::string> paths = journalPaths(folder);
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        if (journalEnd(*it) == JournalEnd::Undone || readJournal(*it, out) != 0)
            continue;
        // The last run's journal when damaged too: an older run is not
        // taken back in its place.
        if ((out.planned && !out.undone) || out.damaged)
            return true;
    }
    return false;
}

} // namespace torvel
