#include "PerFileRun.h"

#include "FileInfo.h"
#include "FileSystem.h"
#include "FolderHandle.h"
#include "RunRecord.h"

namespace torvel {

namespace {

// The file of the journal still under its name, with what it has now.
bool stillThere(FileSystem& fs, const FolderHandle& dir, const JournalFile& file, FileInfo& now)
{
    EntryId id;
    return fs.probe(dir, file.oldName, id) == 0 && id.inode == file.inode
           && fs.fileInfo(dir, file.oldName, now) == 0;
}

RunResult settle(const JournalRecord& record, FileSystem& fs, bool back)
{
    const PerFileKind& kind = *runKind(record.kind).perFile;
    FolderHandle dir;
    if (int rc = fs.openFolder(record.from, dir))
        return stoppedRun(rc);
    RunResult result;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const JournalFile& file = record.files[i];
        FileInfo now;
        const Needed needed =
            stillThere(fs, dir, file, now) ? kind.needed(record, i, now, back) : Needed::Changed;
        if (needed == Needed::Nothing)
            continue;
        if (needed == Needed::Changed) {
            result.failures.push_back({file.oldName, {}, {}, RunStep::Changed, 0});
        } else if (int rc = kind.apply(record, i, fs, dir, back)) {
            result.failures.push_back(
                {file.oldName, {}, {}, back ? kind.restoreFailed : kind.giveFailed, rc});
        } else {
            ++result.converted;
        }
    }
    (void)(back ? markUndone(record.path)
                : markFinished(record.path)); // at worst offered again, to no effect
    return result;
}

} // namespace

RunResult runEachFile(JournalKind kind, const std::string& folder,
                      const std::vector<std::string>& names, FileStep& step, RunServices& services)
{
    RunResult result;
    result.kind = kind;
    result.rows.assign(names.size(), RowResult::Pending);
    if (names.empty())
        return result;
    FileSystem& fs = services.fs;
    FolderHandle dir;
    int folderError = fs.openFolder(folder, dir);
    const bool any = step.changesAny();
    if (folderError == 0 && any && services.journal != nullptr)
        folderError = step.journal(*services.journal, fs);
    step.start(fs, dir, folderError == 0 && any);
    const RunActivity activity = runKind(kind).perFile->activity;
    const int total = static_cast<int>(names.size());
    for (std::size_t row = 0; row < names.size(); ++row) {
        if (services.feedback.stopRequested()) {
            result.stopped = true;
            break;
        }
        const std::string& name = names[row];
        services.feedback.status({activity, name, {}});
        bool changed = false;
        int rc = step.refusal(row);
        if (rc == 0)
            rc = folderError;
        if (rc == 0)
            rc = step.change(row, name, fs, dir, changed);
        if (rc != 0) {
            result.rows[row] = RowResult::Failed;
            result.failures.push_back({name, {}, {}, RunStep::Change, rc});
        } else {
            result.rows[row] = changed ? RowResult::Converted : RowResult::Unchanged;
            result.converted += changed ? 1 : 0;
        }
        services.feedback.progress(static_cast<int>(row) + 1, total);
    }
    step.end();
    if (services.journal != nullptr && !services.journal->path().empty()) {
        // A run that stopped keeps its journal without the last line: it is
        // taken back or finished like one that was cut short.
        if (!result.stopped)
            (void)services.journal->finish(); // see RunJournal::finish
        result.journaled = folderError == 0;
    }
    return result;
}

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
        if (fs.probe(dir, name, id) != 0 || fs.fileInfo(dir, name, info) != 0)
            continue;
        plan.files.push_back({name,
                              {},
                              {},
                              id.inode,
                              info.size,
                              info.mtimeSeconds,
                              info.mtimeNanoseconds,
                              info.attributes,
                              info.mode,
                              true});
        if (ownStamps != nullptr)
            plan.stamps.push_back((*ownStamps)[i]);
    }
    return journal.begin(plan);
}

std::size_t changedFiles(const JournalRecord& record, FileSystem& fs)
{
    const PerFileKind& kind = *runKind(record.kind).perFile;
    FolderHandle dir;
    if (fs.openFolder(record.from, dir) != 0)
        return 0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        FileInfo now;
        if (stillThere(fs, dir, record.files[i], now) && kind.done(record, i, now))
            ++changed;
    }
    return changed;
}

RunResult takeBackChanges(const JournalRecord& record, RunServices& services)
{
    return settle(record, services.fs, true);
}

RunResult finishChanges(const JournalRecord& record, RunServices& services)
{
    return settle(record, services.fs, false);
}

} // namespace torvel
