#pragma once

#include "NameCollation.h"
#include "ShootingDate.h"
#include "SortOrder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace torvel {

struct FileInfo;
class FolderHandle;

// One chosen file.
struct TMyFileItem
{
    std::string FileName;  // bare name as the folder stores it (bytes)
    std::string NewName;   // given by the name generator; empty until then
    std::int64_t Size = 0; // the whole size in bytes
    // The real last-write instant cut to its two-second step: the time orders
    // compare this, so that stamps from 2044 on and before 1980 sort right.
    std::int64_t TimeKey = 0;
    // Last-write time in local time, packed as an MS-DOS date and time; 0 when
    // the packed form cannot hold it (before 1980, after 2107).
    std::int32_t Time = 0;
    // Attribute word (FileAttr bits). While AttrPending it holds only what
    // stat tells; GetFileAttr reads the stored attributes then.
    std::int32_t Attr = 0;
    std::uint32_t NameRank = 0;  // place in ascending name order
    std::uint32_t KeyOffset = 0; // collation key in the list's key store (noKey: not made yet)
    std::uint32_t KeyLength = 0;
    bool AttrPending = false;
    // The second the two-second step leaves out: a date in a new name shows
    // the exact second (it fits in the padding).
    bool OddSecond = false;

    // The last-write time to the second, in seconds since the epoch.
    std::int64_t lastWriteSeconds() const { return TimeKey * 2 + (OddSecond ? 1 : 0); }
};

// The chosen files of the source folder, in one of the orders. Every
// order is total: names that collate equal are ordered by their bytes.
class TMyFileList
{
public:
    // Names collated by the person's locale.
    TMyFileList();
    // Names collated by an ICU locale id ("" is the root collation).
    explicit TMyFileList(const std::string& collationLocale);
    ~TMyFileList();
    TMyFileList(const TMyFileList&) = delete;
    TMyFileList& operator=(const TMyFileList&) = delete;

    void ClearList();
    // Stores the order and sorts.
    void SetSortType(SortOrder order);
    void SortList();
    // Out-of-range indexes give "" or 0.
    std::string GetFileName(int index) const;
    std::string GetNewName(int index) const;
    std::int32_t GetFileTime(int index) const;
    std::int32_t GetFileAttr(int index) const;
    // Ignored for an index outside the list or an empty name.
    void SetNewName(int index, const std::string& name);
    // Ignored for an index outside the list.
    void DeleteItem(int index);
    int Count() const;
    SortOrder SortType() const { return m_sortType; }
    // Counts the changes of the items, their names, new names and order, so
    // that a view of them can tell whether it must be drawn again.
    std::uint64_t changes() const { return m_changes; }

    // The folder the items are in, where attributes not read at adding
    // (FileInfo::attributesPending) are read on demand. Cleared by ClearList.
    void setSourceFolder(std::shared_ptr<const FolderHandle> folder);
    // Appends an item (NewName empty); the list is not sorted again.
    void addFile(const FileInfo& info);
    void addItem(const std::string& fileName, std::int64_t size, std::int64_t mtimeSeconds,
                 std::uint32_t attributes);
    // A rename in place carried out on the items in their present order: item
    // i now carries names[i], or leaves the list when names[i] is empty (its
    // file did not take a new name). A rename changes no size or time, so no
    // file is looked at: the collation keys are made for the new names, and
    // the attributes a name implies are worked out again (the stored ones
    // are read on demand). New names are cleared; the list is not sorted.
    void renameItems(std::vector<std::string> names);
    // Makes the collation keys of the items added since, on two threads for
    // many; the first ordering by name does it otherwise.
    void makeKeys();
    // The item at `index`, or nullptr outside the list.
    const TMyFileItem* item(int index) const;
    // Fast read access for the grid and the generator; index must be valid.
    const std::string& fileNameAt(int index) const;
    // Item `index`'s name and new name, moved out of a list about to be
    // cleared, so that each name is held once; index must be valid.
    std::pair<std::string, std::string> takeNames(int index);
    // Reads the shooting date of every file once per rebuild (again only
    // after items were added), on helper threads for many files, telling
    // the progress given to setShootingDateProgress.
    void readShootingDates();
    // The shooting date of item `index` once they are read; none before, for
    // a file without one, and outside the list.
    std::optional<ShootingDate> shootingDate(int index) const;
    // The same, read from the one file now while they are not read: for a
    // look at one row, which must not cost the reading of every file.
    std::optional<ShootingDate> shootingDateOf(int index) const;
    // The wall-clock time of item `index`'s last write in local time, to the
    // second; index must be valid. False when the C library cannot give it.
    bool lastWriteLocal(int index, LocalDateTime& out) const;
    void setShootingDateProgress(ShootingDateProgress progress)
    {
        m_dateProgress = std::move(progress);
    }

    // A hint that item `index` is needed soon (any index is allowed).
    void prefetch(int index) const
    {
        if (inRange(index))
            __builtin_prefetch(m_items[static_cast<std::size_t>(index)]);
    }

private:
    TMyFileItem* newItem();
    std::string_view sortKey(const TMyFileItem& item) const;
    void rankNames();
    void placeByRank(bool descending, const std::vector<std::uint32_t>* natural);
    void rankNatural();
    void dropOwnKeys();
    std::int64_t shootingKey(const TMyFileItem& item) const;
    bool inRange(int index) const;

    std::string m_localeId;
    NameCollator m_collator;
    NameCollator m_naturalCollator; // digit runs as numbers
    std::vector<TMyFileItem*> m_items;
    // Items live in chunks that are freed together by ClearList.
    std::vector<std::unique_ptr<TMyFileItem[]>> m_chunks;
    std::size_t m_chunkUsed = 0;
    static constexpr std::uint32_t noKey = UINT32_MAX;
    std::string m_keys; // every item's collation key, one after another
    std::shared_ptr<const FolderHandle> m_folder;
    SortOrder m_sortType = SortOrder::NameUp;
    bool m_ranked = true;     // NameRank is valid for every item
    bool m_ranksDense = true; // ranks are exactly 0..Count-1
    // Made only for the orders that need them, indexed by NameRank, and
    // dropped when the names are ranked again.
    std::vector<std::uint32_t> m_naturalRanks;
    std::size_t m_naturalCount = 0; // items when they were made; exactly 0..that-1
    std::vector<std::optional<ShootingDate>> m_shootingDates;
    bool m_datesRead = false;
    ShootingDateProgress m_dateProgress;
    std::uint64_t m_changes = 0;
};

} // namespace torvel
