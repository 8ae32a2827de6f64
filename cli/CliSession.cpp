#include "CliSession.h"

#include "CliOutput.h"
#include "CliUndo.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <ostream>
#include <unordered_set>

#include <sys/stat.h>

#include "ByteText.h"
#include "ChangeName.h"
#include "DroppedItems.h"
#include "Extraction.h"
#include "FileProp.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "IoError.h"
#include "NameRules.h"
#include "NameText.h"
#include "PreviewConflicts.h"
#include "ProfileFile.h"
#include "RenameSession.h"
#include "RunDriver.h"
#include "RunSession.h"
#include "SettingsRecord.h"
#include "Texts.h"
#include "UndoTexts.h"

namespace torvel {

namespace {

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

// Why the first path names nothing (a folder, or a file in a folder, that
// is not there), in the person's words; empty when it names something, or
// when what is wrong with it is for the reading to say.
std::string missingPathText(const std::vector<std::string>& paths)
{
    const std::string& first = paths.front();
    struct stat info
    {};
    if (::stat(first.c_str(), &info) == 0 || errno != ENOENT)
        return {};
    const std::string folder(folderPart(withoutTrailingSlashes(first)));
    if (!folderExists(folder))
        return "フォルダがありません: " + displayPath(folder);
    if (first.ends_with('/'))
        return "フォルダがありません: " + displayPath(first);
    // Of several files, those that are there are taken.
    return paths.size() == 1 ? "ファイルまたはフォルダがありません: " + displayPath(first)
                             : std::string();
}

// Why files cannot be moved or copied into folder; empty when they can be.
std::string destinationProblem(const std::string& folder)
{
    struct stat info
    {};
    if (::stat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return "保存先のフォルダがありません: " + displayPath(folder);
        return "保存先のフォルダを開けませんでした: " + displayPath(folder) + "（"
               + ioErrorText(errno) + "）";
    }
    if (!S_ISDIR(info.st_mode))
        return "保存先はフォルダではありません: " + displayPath(folder);
    return {};
}

// The values the options are laid over: the defaults, or the values of the
// settings file the command line names, whose path goes into used. False,
// said on err, when that file cannot be read.
bool startingSettings(const CliOptions& options, const CliEnvironment& env,
                      SettingsRecord& settings, std::string& used, std::ostream& err)
{
    if (!options.settingsFile) {
        settings = commandLineDefaults();
        return true;
    }
    const bool window = options.settingsFile->empty();
    if (window) {
        used = env.settingsPath;
    } else if (std::optional<std::string> whole =
                   absolute(*options.settingsFile, env.workingFolder)) {
        used = std::move(*whole);
    } else {
        err << workingFolderText(env.workingFolderError) << '\n';
        return false;
    }
    if (used.empty()) {
        err << "ウィンドウの設定ファイルの場所がわかりません（ホームフォルダがありません）。\n";
        return false;
    }
    const ProfileFile profile = ProfileFile::load(used);
    if (profile.isMissing()) {
        err << (window ? "ウィンドウの設定ファイルはまだありません（ウィンドウを閉じると作られま"
                         "す）: "
                       : "設定ファイルがありません: ")
            << displayPath(used) << '\n';
        return false;
    }
    if (const std::error_code error = profile.loadError(); error || profile.isJunk()) {
        err << "設定ファイルを読めませんでした: " << displayPath(used) << "（"
            << (error ? ioErrorText(error.value()) : "設定ファイルではありません") << "）\n";
        return false;
    }
    settings = readSettings(profile, env.programFolder);
    return true;
}

// The chosen files, the folder they go to and the settings, each checked
// before a file is read; the files in the list are read next.
CliExit readPlaces(const CliOptions& options, const CliEnvironment& env,
                   std::vector<std::string>& paths, Batch& batch, std::ostream& err)
{
    std::string destination;
    if (!absolutePaths(options, env.workingFolder, paths, destination)) {
        err << workingFolderText(env.workingFolderError) << '\n';
        return CliExit::Partly;
    }
    if (const std::string missing = missingPathText(paths); !missing.empty()) {
        err << missing << '\n';
        return CliExit::Partly;
    }
    if (options.save != SaveMode::Rename) {
        if (const std::string problem = destinationProblem(destination); !problem.empty()) {
            err << problem << '\n';
            return CliExit::Partly;
        }
        batch.changeDir = withTrailingSlash(destination);
    }
    std::string used;
    if (!startingSettings(options, env, batch.settings, used, err))
        return CliExit::Partly;
    if (options.action == CliAction::DryRun)
        err << (used.empty() ? std::string("設定ファイルは使わず、既定値を使います。")
                             : "設定ファイル " + displayPath(used) + " の値を使います。")
            << '\n';
    batch.settings = withOptions(std::move(batch.settings), options);
    return CliExit::Done;
}

// The chosen files read into the list in the chosen order, with their new names.
CliExit readBatch(const CliOptions& options, const CliEnvironment& env, Batch& batch,
                  std::ostream& err)
{
    std::vector<std::string> paths;
    if (const CliExit places = readPlaces(options, env, paths, batch, err); places != CliExit::Done)
        return places;
    const SortOrder order = batch.settings.rename.sortOrder;
    // Nothing is shown but names: an order by name needs no look at any
    // file, unless the names carry a date.
    const bool byName = sortsByName(order) && batch.settings.rename.dateSource == DateSource::None;
    DroppedItems chosen = takeDroppedItems(paths, !byName);
    if (chosen.scanError != 0) {
        err << unreadableFolderText << displayPath(paths.front()) << '\n';
        return CliExit::Partly;
    }
    if (chosen.listedFolder && chosen.names.empty()) {
        err << "フォルダにファイルがありません: " << displayPath(paths.front()) << '\n';
        return CliExit::Partly;
    }
    if (chosen.otherFolders)
        err << otherFoldersLeftOutText << '\n';
    batch.searchDir = withTrailingSlash(chosen.folder);
    if (options.save == SaveMode::Rename)
        batch.changeDir = batch.searchDir;
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
    const RenameOptions& given = batch.settings.rename;
    const RenameOptions in = optionsForNames(given);
    if (lacksIdentifier(in)) {
        err << "識別名を -i で指定してください（ファイル名の末尾の数字を使うときは -k）。\n";
        return CliExit::Usage;
    }
    // Only "/" (and NUL, which no argument holds) cannot stand in a name.
    if (in.changeExtension && in.extension.find('/') != std::string::npos) {
        err << "拡張子にファイル名に使えない文字が含まれています: " << given.extension << '\n';
        return CliExit::Usage;
    }
    const ChangeNameResult result =
        makeNewNames(batch.list, in, {batch.searchDir, batch.changeDir});
    if (!result.ok) {
        err << nameStatusText(result.status.what) << '\n';
        return CliExit::Partly;
    }
    if (result.withoutShootingDate > 0)
        err << withoutShootingDateText(result.withoutShootingDate) << '\n';
    return CliExit::Done;
}

CliExit preview(Batch& batch, std::ostream& out)
{
    ConflictFinder finder;
    const ConflictMarks conflicts =
        conflictsOf(finder, batch.list, batch.searchDir, batch.changeDir);
    for (int i = 0; i < batch.list.Count(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        const RowConflict mark =
            at < conflicts.marks.size() ? conflicts.marks[at] : RowConflict::None;
        out << previewLine(batch.list.fileNameAt(i), batch.list.GetNewName(i), mark,
                           batch.settings.rename.avoidDuplicates)
            << '\n';
    }
    return conflicts.count > 0 ? CliExit::Partly : CliExit::Done;
}

CliExit run(Batch& batch, const CliOptions& options, const CliEnvironment& env, std::ostream& out,
            std::ostream& err)
{
    if (env.stopSignal != nullptr && *env.stopSignal != 0) {
        err << "中断しました。何も変更していません。\n";
        return exitForSignal(*env.stopSignal);
    }
    const std::vector<RunRow> rows = runRowsOf(batch.list);
    const RunSettings settings =
        runSettingsFor(batch.searchDir, batch.changeDir, options.save, batch.settings.rename);
    // One run, undo or recovery at a time: the lock is held from the plan
    // to the journal's last line.
    RunSession session(env.stateFolder);
    if (!session.held()) {
        err << session.refusal() << '\n';
        return CliExit::Partly;
    }
    TerminalFeedback feedback(options.yes, env.answers, err, env.stopSignal);
    RunServices services = session.services(feedback);
    const RunResult result = runRenamePage(rows, settings, services);
    const std::string hint = result.journaled ? undoOptionHint : "";
    if (result.started() && result.stopped) {
        (void)report(result, stoppedSummary(result, hint), false, out, err);
        return exitForSignal(*env.stopSignal);
    }
    return report(result, runSummary(result, hint),
                  static_cast<std::size_t>(result.converted) == rows.size(), out, err);
}

} // namespace

CliExit runCommandLine(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
                       std::ostream& err)
{
    if (options.action == CliAction::Undo)
        return undoLastRun(options, env, out, err);
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
