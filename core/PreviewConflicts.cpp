#include "PreviewConflicts.h"

#include <string_view>

#include "FileInfo.h"
#include "FileSystem.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "NameIndex.h"
#include "NameRules.h"
#include "NameLimits.h"

namespace torvel {

namespace {

// The names of a folder, kept alive by entries, each with its place among them.
bool readFolder(const std::string& folder, std::vector<ListedEntry>& entries, NameIndex& names)
{
    if (listFolder(folder, entries) != 0)
        return false;
    names = NameIndex(NameCase::Exact, entries.size());
    for (std::size_t at = 0; at < entries.size(); ++at)
        names.insert(entries[at].name, static_cast<std::uint32_t>(at));
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
    NameIndex source;
    NameIndex target;
    if (!readFolder(searchDir, sourceEntries, source)
        || (!inPlace && !readFolder(changeDir, targetEntries, target)))
        return conflicts;
    const NameIndex& destination = inPlace ? source : target;
    const bool dosNames = folderTakesOnlyDosNames(changeDir);

    // Each row's file among the source folder's entries. Renaming in place,
    // every file of the batch leaves its name first: its entry is no holder.
    std::vector<std::uint32_t> entryOf(count);
    std::vector<bool> leaves(inPlace ? sourceEntries.size() : 0);
    for (std::size_t i = 0; i < count; ++i) {
        entryOf[i] = source.find(list.fileNameAt(static_cast<int>(i)));
        if (inPlace && entryOf[i] != NameIndex::none)
            leaves[entryOf[i]] = true;
    }
    const auto heldOutsideBatch = [&](std::string_view name) {
        const std::uint32_t holder = destination.find(name);
        return holder != NameIndex::none && !(inPlace && leaves[holder]);
    };
    NameIndex given(NameCase::Exact, count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = list.item(static_cast<int>(i))->NewName;
        if (entryOf[i] == NameIndex::none)
            conflicts[i] = RowConflict::SourceGone;
        else if (nameProblem(name) != NameProblem::None || (dosNames && !isDosName(name)))
            conflicts[i] = RowConflict::CannotHold;
        else if (!given.insert(name).added)
            conflicts[i] = RowConflict::SameNewName;
        else if (heldOutsideBatch(name))
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
