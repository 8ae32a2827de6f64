#include "RunDriver.h"

#include <unordered_set>

#include "FilesList.h"
#include "FolderIdentity.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"
#include "RunJournal.h"

namespace torvel {

bool renamesInPlace(const RunSettings& settings)
{
    return oneFolderUnderTwoNames(settings.sourceFolder, settings.destinationFolder);
}

RunResult runRenamePage(const std::vector<RunRow>& rows, const RunSettings& settings,
                        RunServices& services)
{
    const bool inPlace = renamesInPlace(settings);
    RunResult result =
        inPlace ? File_Rename(rows, settings, services) : File_Move(rows, settings, services);
    result.kind = inPlace                               ? JournalKind::Rename
                  : settings.saveMode == SaveMode::Copy ? JournalKind::Copy
                                                        : JournalKind::Move;
    result.journaled =
        result.started() && services.journal != nullptr && !services.journal->path().empty();
    return result;
}

std::vector<std::string> SelectionAfterRun(const std::vector<RunRow>& rows, const RunResult& result)
{
    std::vector<std::string> selection;
    if (!result.started())
        return selection;
    selection.reserve(static_cast<std::size_t>(result.converted));
    // Two rows never both reach one name; the set only guards against a
    // grid that lists one file twice.
    std::unordered_set<std::string_view> seen;
    for (std::size_t i = 0; i < rows.size() && i < result.rows.size(); ++i) {
        if (result.rows[i] == RowResult::Converted && seen.insert(rows[i].newName).second)
            selection.push_back(rows[i].newName);
    }
    return selection;
}

bool renameListed(TMyFileList& list, std::vector<RunRow>& rows, const RunResult& result)
{
    if (!result.started() || rows.size() != result.rows.size()
        || rows.size() != static_cast<std::size_t>(list.Count()))
        return false;
    std::unordered_set<std::string_view> taken;
    taken.reserve(static_cast<std::size_t>(result.converted));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].current != list.fileNameAt(static_cast<int>(i)))
            return false;
        if (result.rows[i] == RowResult::Converted
            && (rows[i].newName.empty() || !taken.insert(rows[i].newName).second))
            return false;
    }
    std::vector<std::string> names(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (result.rows[i] == RowResult::Converted)
            names[i] = std::move(rows[i].newName);
    }
    list.renameItems(std::move(names));
    return true;
}

} // namespace torvel
