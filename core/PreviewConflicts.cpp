#include "PreviewConflicts.h"

#include <string_view>
#include <unordered_set>

#include "FileInfo.h"
#include "FileSystem.h"
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

namespace {

void mix(std::uint64_t& key, std::uint64_t value)
{
    key ^= value + 0x9e3779b97f4a7c15ull + (key << 6) + (key >> 2);
}

void mixFolder(std::uint64_t& key, const std::string& folder, FileSystem& fs)
{
    FolderHandle handle;
    EntryId id;
    if (fs.openFolder(folder, handle) == 0 && fs.identify(handle, id) == 0) {
        mix(key, id.inode);
        mix(key, static_cast<std::uint64_t>(id.changed.tv_sec));
        mix(key, static_cast<std::uint64_t>(id.changed.tv_nsec));
    }
    mix(key, std::hash<std::string>{}(folder));
}

} // namespace

const std::vector<RowConflict>& ConflictFinder::find(const TMyFileList& list,
                                                     const std::string& searchDir,
                                                     const std::string& changeDir, FileSystem& fs)
{
    std::uint64_t key = static_cast<std::uint64_t>(list.Count()) + 1;
    mixFolder(key, searchDir, fs);
    mixFolder(key, changeDir, fs);
    const std::hash<std::string_view> hash;
    for (int i = 0; i < list.Count(); ++i) {
        const TMyFileItem& item = *list.item(i);
        mix(key, hash(item.FileName));
        mix(key, hash(item.NewName));
    }
    if (key != m_key || m_conflicts.size() != static_cast<std::size_t>(list.Count())) {
        m_conflicts = findConflicts(list, searchDir, changeDir);
        m_key = key;
    }
    return m_conflicts;
}

const char* conflictReason(RowConflict conflict, bool takenFails)
{
    switch (conflict) {
    case RowConflict::None:
        break;
    case RowConflict::NameTaken:
        return takenFails ? "新しい名前のファイルがすでにあるため、変換できません。"
                          : "新しい名前のファイルがすでにあります。実行すると、ごみ箱に移動"
                            "するか確認します。";
    case RowConflict::SameNewName:
        return "前の行と同じ新しい名前です。この行は変換できません。";
    case RowConflict::CannotHold:
        return "保存先では使えない名前です。";
    case RowConflict::SourceGone:
        return "元のファイルが見つかりません。";
    }
    return "";
}

} // namespace torvel
