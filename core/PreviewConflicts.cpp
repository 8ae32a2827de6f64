#include "PreviewConflicts.h"

#include <string_view>
#include <unordered_set>

#include "FileInfo.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "NameRules.h"
#include "NameLimits.h"

namespace torvel {

namespace {

using NameSet = std::unordered_set<std::string_view>;

// The names of a folder, kept alive by entries.
bool readFolder(const std::string& folder, std::vector<ListedEntry>& entries, NameSet& names)
{
    if (listFolder(folder, entries) != 0)
        return false;
    names.reserve(entries.size());
    for (const ListedEntry& entry : entries)
        names.insert(entry.name);
    return true;
}

} // namespace

std::vector<RowConflict> findConflicts(const TMyFileList& list, const std::string& searchDir,
                                       const std::string& changeDir)
{
    const auto count = static_cast<std::size_t>(list.Count());
    std::vector<RowConflict> conflicts(count, RowConflict::None);
    const bool inPlace = sameFolder(searchDir, changeDir);
    std::vector<ListedEntry> sourceEntries;
    std::vector<ListedEntry> targetEntries;
    NameSet source;
    NameSet target;
    if (!readFolder(searchDir, sourceEntries, source)
        || (!inPlace && !readFolder(changeDir, targetEntries, target)))
        return conflicts;
    const NameSet& destination = inPlace ? source : target;
    const bool dosNames = folderTakesOnlyDosNames(changeDir);

    // Renaming in place, every file of the batch leaves its name first.
    NameSet batch;
    if (inPlace) {
        batch.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            batch.insert(list.fileNameAt(static_cast<int>(i)));
    }
    NameSet given;
    given.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TMyFileItem& item = *list.item(static_cast<int>(i));
        const std::string_view name = item.NewName;
        if (!source.contains(item.FileName))
            conflicts[i] = RowConflict::SourceGone;
        else if (nameProblem(name) != NameProblem::None || (dosNames && !isDosName(name)))
            conflicts[i] = RowConflict::CannotHold;
        else if (!given.insert(name).second)
            conflicts[i] = RowConflict::SameNewName;
        else if (destination.contains(name) && !batch.contains(name))
            conflicts[i] = RowConflict::NameTaken;
    }
    return conflicts;
}

} // namespace torvel
