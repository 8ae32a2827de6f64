#include "ChangeJournal.h"

#include "FileAttributes.h"
#include "FileInfo.h"
#include "FileSystem.h"
#include "RunRecord.h"

namespace torvel {

namespace {

constexpr std::uint32_t pageBits =
    FileAttr::ReadOnly | FileAttr::Hidden | FileAttr::System | FileAttr::Archive;

// The file of the journal still under its name, with what it has now.
bool stillThere(FileSystem& fs, const FolderHandle& dir, const JournalFile& file, FileInfo& now)
{
    EntryId id;
    return fs.probe(dir, file.oldName, id) == 0 && id.inode == file.inode
           && readFileInfo(dir, file.oldName, now) == 0;
}

RunResult settle(const JournalRecord& record, FileSystem& fs, bool back)
{
    FolderHandle dir;
    if (int rc = fs.openFolder(record.from, dir))
        return stoppedRun(rc);
    RunResult result;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const JournalFile& file = record.files[i];
        FileInfo now;
        const bool stamp = record.kind == JournalKind::TimeStamp;
        const timespec given = record.stamps.empty() ? record.stamp : record.stamps[i];
        // Only a time that is still the run's own goes back.
        const bool changed =
            !stillThere(fs, dir, file, now)
            || (stamp && back
                && (now.mtimeSeconds != given.tv_sec || now.mtimeNanoseconds != given.tv_nsec));
        if (changed) {
            result.failures.push_back({file.oldName, {}, {}, RunStep::Changed, 0});
            continue;
        }
        int rc = 0;
        if (stamp) {
            const timespec when = back ? timespec{file.mtimeSeconds, file.mtimeNanoseconds} : given;
            rc = fs.setLastWriteTime(dir, file.oldName, when);
        } else if (back) {
            rc = fs.changeAttributes(dir, file.oldName, ~pageBits, file.attributes & pageBits);
        } else {
            rc = fs.changeAttributes(dir, file.oldName, record.keepMask, record.setMask);
        }
        if (rc != 0)
            result.failures.push_back({file.oldName, {}, {}, RunStep::IntoPlace, rc});
        else
            ++result.converted;
    }
    (void)(back ? markUndone(record.path)
                : markFinished(record.path)); // at worst offered again, to no effect
    return result;
}

} // namespace

int journalChanges(RunJournal& journal, JournalRecord plan, FileSystem& fs,
                   const std::vector<std::string>& names, const std::vector<timespec>* ownStamps)
{
    FolderHandle dir;
    if (int rc = fs.openFolder(plan.from, dir))
        return rc;
    plan.files.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        EntryId id;
        FileInfo info;
        if (fs.probe(dir, name, id) != 0 || readFileInfo(dir, name, info) != 0)
            continue;
        plan.files.push_back({name,
                              {},
                              {},
                              id.inode,
                              info.size,
                              info.mtimeSeconds,
                              info.mtimeNanoseconds,
                              info.attributes});
        if (ownStamps != nullptr)
            plan.stamps.push_back((*ownStamps)[i]);
    }
    return journal.begin(plan);
}

RunResult takeBackChanges(const JournalRecord& record, FileSystem& fs)
{
    return settle(record, fs, true);
}

RunResult finishChanges(const JournalRecord& record, FileSystem& fs)
{
    return settle(record, fs, false);
}

} // namespace torvel
