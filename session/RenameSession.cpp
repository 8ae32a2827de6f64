#include "RenameSession.h"

#include <algorithm>

#include "DosDateTime.h"
#include "Extraction.h"
#include "FileAttributes.h"
#include "FilesList.h"
#include "FolderHandle.h"
#include "NameText.h"
#include "UndoTexts.h"

namespace torvel {

RenameOptions optionsForNames(RenameOptions typed)
{
    typed.identifier = nameFromUserText(cleanIdentifier(typed.identifier));
    typed.extension = nameFromUserText(typed.extension);
    return typed;
}

bool lacksIdentifier(const RenameOptions& options)
{
    return !options.keepNumber && options.identifier.empty()
           && options.dateSource == DateSource::None;
}

NameExample::NameExample(const TMyFileList& list, const std::string& folder)
    : m_one(std::make_unique<TMyFileList>(std::string()))
{
    if (const TMyFileItem* first = list.item(0)) {
        m_one->setSourceFolder(std::make_shared<const FolderHandle>(folder));
        m_one->addItem(first->FileName, first->Size, first->lastWriteSeconds(),
                       static_cast<std::uint32_t>(first->Attr));
        return;
    }
    std::int64_t madeUp = 0;
    (void)instantFromLocal(LocalDateTime{2024, 5, 3, 10, 11, 12, 0}, madeUp);
    m_one->addItem("IMG_0001.JPG", 0, madeUp, FileAttr::Archive);
}

NameExample::~NameExample() = default;

std::optional<std::string> NameExample::make(const RenameOptions& options,
                                             const NameFolders& folders, ChangeNameResult* result)
{
    const ChangeNameResult made = makeNewNames(*m_one, options, folders);
    if (result != nullptr)
        *result = made;
    if (!made.ok)
        return std::nullopt;
    return m_one->GetNewName(0);
}

ConflictMarks conflictsOf(ConflictFinder& finder, const TMyFileList& list,
                          const std::string& searchDir, const std::string& changeDir)
{
    ConflictMarks result{finder.find(list, searchDir, changeDir), 0};
    result.count =
        static_cast<int>(std::count_if(result.marks.begin(), result.marks.end(),
                                       [](RowConflict c) { return c != RowConflict::None; }));
    return result;
}

RunSettings runSettingsFor(const std::string& sourceFolder, const std::string& destinationFolder,
                           SaveMode saveMode, const RenameOptions& options)
{
    RunSettings settings;
    settings.sourceFolder = sourceFolder;
    settings.destinationFolder = saveMode == SaveMode::Rename ? sourceFolder : destinationFolder;
    settings.saveMode = saveMode;
    settings.avoidDuplicates = options.avoidDuplicates;
    settings.carrySameNameFiles = options.carrySameNameFiles;
    return settings;
}

std::vector<RunRow> runRowsOf(TMyFileList& list)
{
    std::vector<RunRow> rows;
    rows.reserve(static_cast<std::size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
        auto [current, newName] = list.takeNames(i);
        rows.push_back({std::move(current), std::move(newName)});
    }
    list.ClearList();
    return rows;
}

std::string chosenCountText(int count, int conflicts)
{
    std::string text = std::to_string(count) + "個のファイルが選択されています。";
    if (conflicts > 0) {
        text += std::to_string(conflicts) + "個は、このままでは変換できません。";
    }
    return text;
}

std::string previewLine(const std::string& name, const std::string& newName, RowConflict mark,
                        bool takenFails)
{
    std::string line = displayName(name) + " → " + displayName(newName);
    if (mark != RowConflict::None) {
        line += std::string("  ※") + conflictReason(mark, takenFails);
    }
    return line;
}

std::string stoppedSummary(const RunResult& result, const std::string& takeBackHint)
{
    const auto left = std::count(result.rows.begin(), result.rows.end(), RowResult::Pending);
    return "中断しました。" + runSummary(result, "") + "残りの " + std::to_string(left)
           + " 個のファイルはそのままです。" + takeBackHint;
}

} // namespace torvel
