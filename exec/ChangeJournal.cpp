#include "ChangeJournal.h"

#include <sys/stat.h>

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

// A time stamp run: whether the file is to be given a time (it has neither
// the one it is to get nor, unless it changed since, the other one).
enum class Needed : std::uint8_t
{
    Nothing, // it has the time already: a file the run never reached, or did
    Change,
    Changed, // someone else has given it another time since
};

Needed stampNeeded(const FileInfo& now, const timespec& want, const timespec& other)
{
    const auto is = [&](const timespec& t) {
        return now.mtimeSeconds == t.tv_sec && now.mtimeNanoseconds == t.tv_nsec;
    };
    if (is(want))
        return Needed::Nothing;
    return is(other) ? Needed::Change : Needed::Changed;
}

// The permission bits and the attribute word the file had before the run.
int restoreAttributes(FileSystem& fs, const FolderHandle& dir, const JournalFile& file)
{
    if (int rc = fs.changeAttributes(dir, file.oldName, ~pageBits, file.attributes & pageBits))
        return rc;
    // Read-only alone tells only the owner's write bit: the whole mode goes back.
    return file.modeKnown ? fs.setMode(dir, file.oldName, file.mode) : 0;
}

int applyOne(const JournalRecord& record, const JournalFile& file, const timespec& given,
             FileSystem& fs, const FolderHandle& dir, bool back)
{
    if (record.kind == JournalKind::TimeStamp)
        return fs.setLastWriteTime(
            dir, file.oldName, back ? timespec{file.mtimeSeconds, file.mtimeNanoseconds} : given);
    if (back)
        return restoreAttributes(fs, dir, file);
    return fs.changeAttributes(dir, file.oldName, record.keepMask, record.setMask);
}

RunStep failedStep(JournalKind kind, bool back)
{
    if (kind == JournalKind::TimeStamp)
        return back ? RunStep::RestoreTimeStamp : RunStep::SetTimeStamp;
    return back ? RunStep::RestoreAttributes : RunStep::SetAttributes;
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
        const timespec given = record.stamps.empty() ? record.stamp : record.stamps[i];
        const timespec before{file.mtimeSeconds, file.mtimeNanoseconds};
        Needed needed = stillThere(fs, dir, file, now) ? Needed::Change : Needed::Changed;
        if (needed == Needed::Change && record.kind == JournalKind::TimeStamp)
            needed = back ? stampNeeded(now, before, given) : stampNeeded(now, given, before);
        if (needed == Needed::Nothing)
            continue;
        if (needed == Needed::Changed) {
            result.failures.push_back({file.oldName, {}, {}, RunStep::Changed, 0});
        } else if (int rc = applyOne(record, file, given, fs, dir, back)) {
            result.failures.push_back({file.oldName, {}, {}, failedStep(record.kind, back), rc});
        } else {
            ++result.converted;
        }
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
        struct stat st
        {};
        if (fs.probe(dir, name, id) != 0 || readFileInfo(dir, name, info) != 0
            || ::fstatat(dir.fd(), name.c_str(), &st, 0) != 0)
            continue;
        plan.files.push_back({name,
                              {},
                              {},
                              id.inode,
                              info.size,
                              info.mtimeSeconds,
                              info.mtimeNanoseconds,
                              info.attributes,
                              static_cast<std::uint32_t>(st.st_mode & 07777),
                              true});
        if (ownStamps != nullptr)
            plan.stamps.push_back((*ownStamps)[i]);
    }
    return journal.begin(plan);
}

std::size_t changedFiles(const JournalRecord& record, FileSystem& fs)
{
    FolderHandle dir;
    if (fs.openFolder(record.from, dir) != 0)
        return 0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const JournalFile& file = record.files[i];
        FileInfo now;
        if (!stillThere(fs, dir, file, now))
            continue;
        if (record.kind == JournalKind::TimeStamp) {
            const timespec given = record.stamps.empty() ? record.stamp : record.stamps[i];
            changed += now.mtimeSeconds == given.tv_sec && now.mtimeNanoseconds == given.tv_nsec;
        } else {
            const std::uint32_t wanted = (file.attributes & record.keepMask) | record.setMask;
            changed += (now.attributes & pageBits) == (wanted & pageBits);
        }
    }
    return changed;
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
