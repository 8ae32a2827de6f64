#include "RunDriver.h"

#include <unordered_set>

#include "FolderIdentity.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"

namespace torvel {

bool renamesInPlace(const RunSettings& settings)
{
    return oneFolderUnderTwoNames(settings.SearchDir, settings.ChangeDir);
}

RunResult runRenamePage(const std::vector<RunRow>& rows, const RunSettings& settings,
                        RunServices& services)
{
    if (renamesInPlace(settings))
        return File_Rename(rows, settings, services);
    return File_Move(rows, settings, services);
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

} // namespace torvel
