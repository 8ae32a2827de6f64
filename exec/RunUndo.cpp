#include "RunUndo.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "ChangeJournal.h"
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
    bool copies = false;
};

int openFolders(const JournalRecord& record, FileSystem& fs, RunFolders& folders)
{
    if (int rc = fs.openFolder(record.from, folders.from))
        return rc;
    if (int rc = fs.openFolder(record.to, folders.to))
        return rc;
    struct stat from
    {};
    struct stat to
    {};
    folders.copies = record.kind == JournalKind::Copy
                     || (record.kind == JournalKind::Move && ::fstat(folders.from.fd(), &from) == 0
                         && ::fstat(folders.to.fd(), &to) == 0 && from.st_dev != to.st_dev);
    return 0;
}

bool holds(FileSystem& fs, const FolderHandle& dir, const std::string& name, std::uint64_t inode)
{
    EntryId id;
    return !name.empty() && inode != 0 && fs.probe(dir, name, id) == 0 && id.kind == EntryKind::File
           && id.inode == inode;
}

// A copy keeps its source's size and last-write time to the nanosecond.
bool holdsCopy(const FolderHandle& dir, const JournalFile& file)
{
    FileInfo info;
    return readFileInfo(dir, file.newName, info, StoredAttributes::Defer) == 0 && !info.isFolder
           && info.size == file.size && info.mtimeSeconds == file.mtimeSeconds
           && info.mtimeNanoseconds == file.mtimeNanoseconds;
}

FilePlace locate(const JournalRecord& record, const JournalFile& file, FileSystem& fs,
                 const RunFolders& folders)
{
    if (record.kind == JournalKind::Rename) {
        if (holds(fs, folders.from, file.newName, file.inode))
            return FilePlace::New;
        if (holds(fs, folders.from, file.temporary, file.inode))
            return FilePlace::Temporary;
        return holds(fs, folders.from, file.oldName, file.inode) ? FilePlace::Old : FilePlace::Gone;
    }
    const bool source = holds(fs, folders.from, file.oldName, file.inode);
    const bool arrived = folders.copies ? holdsCopy(folders.to, file)
                                        : holds(fs, folders.to, file.newName, file.inode);
    if (arrived && source)
        return record.kind == JournalKind::Copy ? FilePlace::New : FilePlace::OldAndCopy;
    if (arrived)
        return FilePlace::New;
    return source ? FilePlace::Old : FilePlace::Gone;
}

FileFailure changed(const JournalFile& file, bool back)
{
    return back ? FileFailure{file.newName, file.oldName, {}, RunStep::Changed, 0}
                : FileFailure{file.oldName, file.newName, {}, RunStep::Changed, 0};
}

// Removes the hidden files copies were being written into when the run stopped.
void removeHiddenCopies(FileSystem& fs, const FolderHandle& dir)
{
    std::vector<std::string> names;
    if (fs.readNames(dir, names) != 0)
        return;
    for (const std::string& name : names) {
        if (isHiddenCopy(name))
            (void)fs.removeFile(dir, name); // what cannot go stays hidden and harmless
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

// Runs rows through the engine and adds what it reports to result.
void carry(const std::vector<RunRow>& rows, const RunSettings& settings, RunServices& services,
           RunResult& result)
{
    if (rows.empty())
        return;
    RunResult done = settings.SaveMethod == SaveMode::Rename ? File_Rename(rows, settings, services)
                                                             : File_Move(rows, settings, services);
    if (!done.started()) {
        result.error = done.error;
        result.errorText = std::move(done.errorText);
        return;
    }
    result.converted += done.converted;
    for (auto& failure : done.failures)
        result.failures.push_back(std::move(failure));
    for (auto& warning : done.warnings)
        result.warnings.push_back(std::move(warning));
}

// The run that takes back or finishes another is not one to take back itself.
void settle(RunServices& services)
{
    if (services.journal != nullptr && !services.journal->path().empty())
        (void)markUndone(services.journal->path()); // at worst offered for taking back later
}

} // namespace

RunResult takeBackRun(const JournalRecord& record, RunServices& services)
{
    if (record.kind == JournalKind::TimeStamp || record.kind == JournalKind::Attributes)
        return takeBackChanges(record, services.fs);
    RunFolders folders;
    if (int rc = openFolders(record, services.fs, folders))
        return stoppedRun(rc);
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
            if (record.kind == JournalKind::Copy) {
                // The copy is as the run made it: it goes, to the trash.
                if (int rc = services.fs.trash(folders.to, file.newName))
                    result.failures.push_back({file.newName, {}, {}, RunStep::Trash, rc});
                else
                    ++result.converted;
            } else {
                rows.push_back({file.newName, file.oldName});
            }
            break;
        case FilePlace::OldAndCopy:
            (void)services.fs.removeFile(folders.to, file.newName); // the source is still there
            break;
        case FilePlace::Gone:
            result.failures.push_back(changed(file, true));
            break;
        }
    }
    if (record.kind == JournalKind::Rename)
        carry(rows, {record.from, record.from, SaveMode::Rename, true, false}, services, result);
    else
        carry(rows, {record.to, record.from, SaveMode::Move, true, false}, services, result);
    if (!result.started())
        return result;
    restoreTrashed(record, services.fs, result);
    if (record.kind != JournalKind::Rename)
        removeHiddenCopies(services.fs, folders.to);
    settle(services);
    (void)markUndone(record.path); // a second taking back finds every file in its old place
    return result;
}

RunResult finishRun(const JournalRecord& record, RunServices& services)
{
    if (record.kind == JournalKind::TimeStamp || record.kind == JournalKind::Attributes)
        return finishChanges(record, services.fs);
    RunFolders folders;
    if (int rc = openFolders(record, services.fs, folders))
        return stoppedRun(rc);
    RunResult result;
    std::vector<RunRow> rows;
    for (const JournalFile& file : record.files) {
        switch (locate(record, file, services.fs, folders)) {
        case FilePlace::New:
            break;
        case FilePlace::Old:
            rows.push_back({file.oldName, file.newName});
            break;
        case FilePlace::Temporary:
            rows.push_back({file.temporary, file.newName});
            break;
        case FilePlace::OldAndCopy:
            // The copy was complete and on the disk before it took its name.
            if (int rc = services.fs.removeFile(folders.from, file.oldName))
                result.failures.push_back({file.oldName, file.newName, {}, RunStep::Move, rc});
            else
                ++result.converted;
            break;
        case FilePlace::Gone:
            result.failures.push_back(changed(file, false));
            break;
        }
    }
    const SaveMode method = record.kind == JournalKind::Rename ? SaveMode::Rename
                            : record.kind == JournalKind::Move ? SaveMode::Move
                                                               : SaveMode::Copy;
    carry(rows, {record.from, record.to, method, true, false}, services, result);
    if (!result.started())
        return result;
    if (record.kind != JournalKind::Rename)
        removeHiddenCopies(services.fs, folders.to);
    settle(services);
    (void)markFinished(record.path); // at worst offered to finish again, which finds all done
    return result;
}

std::vector<JournalRecord> unfinishedRuns(const std::string& folder)
{
    std::vector<JournalRecord> runs;
    for (const std::string& path : journalPaths(folder)) {
        JournalRecord record;
        if (journalEnd(path) != JournalEnd::Open || readJournal(path, record) != 0)
            continue;
        if (record.planned && !record.finished && !record.undone)
            runs.push_back(std::move(record));
        else if (!record.planned)
            (void)::unlink(path.c_str()); // a plan cut short: its run touched nothing
    }
    return runs;
}

bool lastRunToTakeBack(const std::string& folder, JournalRecord& out)
{
    const std::vector<std::string> paths = journalPaths(folder);
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        if (journalEnd(*it) != JournalEnd::Undone && readJournal(*it, out) == 0 && out.planned
            && !out.undone)
            return true;
    }
    return false;
}

} // namespace torvel
