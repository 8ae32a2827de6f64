#pragma once

#include "NameCollation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace torvel {

struct FileInfo;

// One chosen file.
struct TMyFileItem {
    std::string FileName;  // bare name as the folder stores it (bytes)
    std::string NewName;   // given by the name generator; empty until then
    std::int64_t Size = 0;  // the whole size in bytes
    // Last-write time in local time, packed as an MS-DOS date and time; 0 when
    // the packed form cannot hold it (before 1980, after 2107).
    std::int32_t Time = 0;
    std::int32_t Attr = 0;  // attribute word (FileAttr bits)
    // The real last-write instant cut to its two-second step: time orders
    // compare this, so that stamps from 2044 on and before 1980 sort right.
    std::int64_t TimeKey = 0;
    // Collation key of FileName, made once when the item is added.
    std::string SortKey;
    // Place of the item in ascending name order, set when the list is sorted.
    std::uint32_t NameRank = 0;
};

// The chosen files of the source folder, in one of six orders:
// 0 name ascending, 1 name descending, 2 newest first (ties: name ascending),
// 3 oldest first (ties: name descending), 4 smallest first (ties: name
// ascending), 5 largest first (ties: name descending). Every order is total:
// names that collate equal are ordered by their bytes.
class TMyFileList {
public:
    // Names collated by the person's locale.
    TMyFileList();
    // Names collated by an ICU locale id ("" is the root collation).
    explicit TMyFileList(const std::string& collationLocale);
    ~TMyFileList();
    TMyFileList(const TMyFileList&) = delete;
    TMyFileList& operator=(const TMyFileList&) = delete;

    void ClearList();
    // 0..5: stores the order and sorts; anything else changes nothing.
    void SetSortType(int k);
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
    std::uint8_t SortType() const { return m_sortType; }

    // Appends an item (NewName empty); the list is not sorted again.
    void addFile(const FileInfo& info);
    void addItem(const std::string& fileName, std::int64_t size, std::int64_t mtimeSeconds,
                 std::uint32_t attributes);
    // The item at `index`, or nullptr outside the list.
    const TMyFileItem* item(int index) const;

private:
    void rankNames();
    bool inRange(int index) const;

    NameCollator m_collator;
    std::vector<std::unique_ptr<TMyFileItem>> m_items;
    std::uint8_t m_sortType = 0;
    bool m_ranked = true;  // NameRank is valid for every item
};

}  // namespace torvel
