#include "CliSession.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>
#include <unordered_set>

#include "ByteText.h"
#include "ChangeName.h"
#include "DroppedItems.h"
#include "Extraction.h"
#include "FileProp.h"
#include "FilesList.h"
#include "IoError.h"
#include "JournalFolder.h"
#include "NameRules.h"
#include "NameText.h"
#include "NewCtrls.h"
#include "PosixFileSystem.h"
#include "PreviewConflicts.h"
#include "ProfileFile.h"
#include "RunDriver.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "RunReport.h"
#include "RunUndo.h"
#include "SettingsRecord.h"
#include "UndoTexts.h"

namespace torvel {

namespace {

constexpr const char* undoHint = "（torvel-cli --undo で元に戻せます）";

// Asks on the terminal before a file goes to the trash, or answers for the
// person: yes to all with --yes, no when there is nobody to ask.
class TerminalFeedback : public RunFeedback
{
public:
    TerminalFeedback(bool yes, std::istream* answers, std::ostream& err)
        : m_yes(yes)
        , m_answers(answers)
        , m_err(err)
    {}

    void status(const RunStatus&) override {}
    void progress(int, int) override {}
    void fileFailed(const std::string& message) override { m_err << message << '\n'; }

    TrashAnswer confirmTrash(const std::string& path) override
    {
        if (m_yes)
            return TrashAnswer::YesToAll;
        if (m_answers == nullptr)
            return TrashAnswer::No;
        m_err << displayPath(path)
              << " はすでにあります。ごみ箱に移動しますか？ [y=はい/n=いいえ/a=すべて/q=中止] "
              << std::flush;
        std::string line;
        if (!std::getline(*m_answers, line) || line.empty())
            return TrashAnswer::No;
        switch (asciiLower(line.front())) {
        case 'y':
            return TrashAnswer::Yes;
        case 'a':
            return TrashAnswer::YesToAll;
        case 'q':
            return TrashAnswer::Cancel;
        default:
            return TrashAnswer::No;
        }
    }

private:
    bool m_yes;
    std::istream* m_answers;
    std::ostream& m_err;
};

// A path as given, made absolute against the working folder; none when it is
// relative and the working folder has no name.
std::optional<std::string> absolute(const std::string& path, const std::string& workingFolder)
{
    if (path.starts_with('/'))
        return path;
    if (workingFolder.empty())
        return std::nullopt;
    std::string_view rest = path;
    while (rest.starts_with("./"))
        rest.remove_prefix(2);
    if (rest == "." || rest.empty())
        return workingFolder;
    return workingFolder + std::string(rest);
}

// The chosen files and the folder to move or copy to, made absolute; false
// when one is relative and the working folder has no name.
bool absolutePaths(const CliOptions& options, const std::string& workingFolder,
                   std::vector<std::string>& paths, std::string& destination)
{
    for (const std::string& path : options.paths) {
        std::optional<std::string> whole = absolute(path, workingFolder);
        if (!whole)
            return false;
        paths.push_back(std::move(*whole));
    }
    if (options.save == SaveMode::Rename)
        return true;
    std::optional<std::string> whole = absolute(options.destination, workingFolder);
    if (!whole)
        return false;
    destination = std::move(*whole);
    return true;
}

// Every extension of the names, ticked when --only names it (or names none).
std::vector<ExtensionChoice> extensionFilter(const std::vector<std::string>& names,
                                             const std::vector<std::string>& only)
{
    std::vector<ExtensionChoice> filter;
    std::unordered_set<std::string> seen;
    for (const std::string& name : names) {
        const std::string_view extension = extensionOf(name);
        std::string key(extension);
        std::transform(key.begin(), key.end(), key.begin(), asciiLower);
        if (!seen.insert(key).second)
            continue;
        const bool ticked =
            only.empty() || std::any_of(only.begin(), only.end(), [&](const std::string& e) {
                return e.empty() ? extension.empty() : equalsIgnoringAsciiCase("." + e, extension);
            });
        filter.push_back({std::string(extension), ticked});
    }
    return filter;
}

struct Batch
{
    std::string searchDir;
    std::string changeDir;
    SettingsRecord settings;
    TMyFileList list;
};

// The chosen files read into the list in the chosen order, with their new names.
CliExit readBatch(const CliOptions& options, const CliEnvironment& env, Batch& batch,
                  std::ostream& err)
{
    std::vector<std::string> paths;
    std::string destination;
    if (!absolutePaths(options, env.workingFolder, paths, destination)) {
        err << "作業フォルダを開けませんでした。" << ioErrorText(env.workingFolderError) << '\n';
        return CliExit::Partly;
    }
    batch.settings =
        withOptions(readSettings(ProfileFile::load(env.settingsPath), env.programFolder), options);
    const SortOrder order = sortOrderOfItem(batch.settings.sort).value_or(SortOrder::NameUp);
    // Nothing is shown but names: an order by name needs no look at any file.
    const bool byName = sortsByName(order);
    DroppedItems chosen = takeDroppedItems(paths, !byName);
    if (chosen.scanError != 0) {
        err << "フォルダの中を読めませんでした。" << displayPath(paths.front()) << '\n';
        return CliExit::Partly;
    }
    if (chosen.otherFolders)
        err << "最初のファイルと違うフォルダのファイルが含まれていましたので、それらは選択しませ"
               "んでした。\n";
    batch.searchDir = withTrailingSlash(chosen.folder);
    batch.changeDir =
        options.save == SaveMode::Rename ? batch.searchDir : withTrailingSlash(destination);
    FilePropInput input;
    input.filter = extensionFilter(chosen.names, options.only);
    input.selectedFiles = std::move(chosen.names);
    input.searchDir = batch.searchDir;
    input.sort = order;
    input.scanned = chosen.scanned.get();
    input.namesOnly = byName && chosen.listedFolder;
    const FilePropResult read = rebuildFileList(batch.list, input);
    if (read.folderError != 0) {
        err << displayPath(batch.searchDir) << ": " << ioErrorText(read.folderError) << '\n';
        return CliExit::Partly;
    }
    if (batch.list.Count() == 0) {
        err << "変換するファイルがありません。\n";
        return CliExit::Partly;
    }
    return CliExit::Done;
}

CliExit giveNames(Batch& batch, std::ostream& err)
{
    const SettingsRecord& s = batch.settings;
    ChangeNameInputs in;
    in.Identifier = nameFromUserText(cleanIdentifier(s.changeName));
    in.StartValue = s.changeNom;
    in.Digits = s.changeDigit;
    in.ExtensionText = nameFromUserText(s.changeExt);
    in.ExtCheck = s.extCheck;
    in.KetaCheck = s.column;
    in.KetaName = s.columnName;
    in.JuuhukuCheck = s.duplicate;
    in.UpCheck = s.upper;
    in.LowCheck = s.lowwer && !s.upper;
    in.ChangeDir = batch.changeDir;
    in.SearchDir = batch.searchDir;
    if (!in.KetaCheck && in.Identifier.empty()) {
        err << "【注意】 識別名を入力してください。\n";
        return CliExit::Usage;
    }
    const ChangeNameResult result = Change_Name(batch.list, in);
    if (!result.ok) {
        err << nameStatusText(result.status.what) << '\n';
        return CliExit::Partly;
    }
    return CliExit::Done;
}

CliExit preview(Batch& batch, std::ostream& out)
{
    const std::vector<RowConflict> conflicts =
        findConflicts(batch.list, batch.searchDir, batch.changeDir);
    bool any = false;
    for (int i = 0; i < batch.list.Count(); ++i) {
        out << displayName(batch.list.fileNameAt(i)) << " → "
            << displayName(batch.list.GetNewName(i));
        const auto at = static_cast<std::size_t>(i);
        if (at < conflicts.size() && conflicts[at] != RowConflict::None) {
            out << "  ※" << conflictReason(conflicts[at], batch.settings.duplicate);
            any = true;
        }
        out << '\n';
    }
    return any ? CliExit::Partly : CliExit::Done;
}

// The failures on stderr and the summary on stdout; all: whether the run did
// everything it was asked.
CliExit report(const RunResult& result, const std::string& summary, bool all, std::ostream& out,
               std::ostream& err)
{
    if (!result.started()) {
        err << result.errorText << '\n';
        return CliExit::Partly;
    }
    if (const std::string failures = failureReport(result); !failures.empty())
        err << failures << '\n';
    out << summary << '\n';
    return all && result.failures.empty() ? CliExit::Done : CliExit::Partly;
}

CliExit run(Batch& batch, const CliOptions& options, const CliEnvironment& env, std::ostream& out,
            std::ostream& err)
{
    std::vector<RunRow> rows;
    rows.reserve(static_cast<std::size_t>(batch.list.Count()));
    for (int i = 0; i < batch.list.Count(); ++i) {
        auto [current, newName] = batch.list.takeNames(i);
        rows.push_back({std::move(current), std::move(newName)});
    }
    batch.list.ClearList(); // every name is held once from here on
    const RunSettings settings{batch.searchDir, batch.changeDir, options.save,
                               batch.settings.duplicate, batch.settings.sameName};
    // One run, undo or recovery at a time: the lock is held from the plan
    // to the journal's last line.
    const JournalFolder journals(env.stateFolder, JournalFolder::briefWait);
    if (!journals.held()) {
        err << journals.refusal() << '\n';
        return CliExit::Partly;
    }
    PosixFileSystem fs;
    TerminalFeedback feedback(options.yes, env.answers, err);
    TFileOperation operation(fs, &feedback);
    RunJournal journal(env.stateFolder);
    RunServices services{fs, feedback, operation, &journal};
    const RunResult result = runRenamePage(rows, settings, services);
    pruneJournals(env.stateFolder);
    return report(result, runSummary(result, journal.path().empty() ? "" : undoHint),
                  static_cast<std::size_t>(result.converted) == rows.size(), out, err);
}

// What taking back the run would do, file by file, touching nothing.
void previewUndo(const JournalRecord& record, std::ostream& out)
{
    for (const JournalFile& file : record.files) {
        if (file.newName.empty())
            out << displayName(file.oldName) << '\n';
        else
            out << displayName(file.newName) << " → " << displayName(file.oldName) << '\n';
    }
}

CliExit undo(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
             std::ostream& err)
{
    const JournalFolder journals(env.stateFolder, JournalFolder::briefWait);
    if (!journals.held()) {
        err << journals.refusal() << '\n';
        return CliExit::Partly;
    }
    JournalRecord record;
    if (!lastRunToTakeBack(env.stateFolder, record)) {
        err << nothingToTakeBack << '\n';
        return CliExit::Partly;
    }
    PosixFileSystem fs;
    if (options.dryRun) {
        out << takeBackQuestion(record, filesDone(record, fs)) << "\n\n";
        previewUndo(record, out);
        return CliExit::Done;
    }
    out << runDescription(record) << "を元に戻します。\n";
    TerminalFeedback feedback(options.yes, env.answers, err);
    TFileOperation operation(fs, &feedback);
    RunJournal journal(env.stateFolder);
    RunServices services{fs, feedback, operation, &journal};
    const RunResult result = takeBackLastRun(record, services);
    return report(result, settledSummary(result, true), true, out, err);
}

} // namespace

CliExit runCommandLine(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
                       std::ostream& err)
{
    if (options.action == CliAction::Undo)
        return undo(options, env, out, err);
    Batch batch;
    if (const CliExit read = readBatch(options, env, batch, err); read != CliExit::Done)
        return read;
    if (const CliExit named = giveNames(batch, err); named != CliExit::Done)
        return named;
    if (options.action == CliAction::DryRun)
        return preview(batch, out);
    return run(batch, options, env, out, err);
}

} // namespace torvel
