#include "FilesList.h"

#include "DosDateTime.h"
#include "FileInfo.h"

#include <algorithm>
#include <cstring>

namespace torvel {

namespace {

constexpr std::size_t reservedItems = 5000;

// One item as the sort sees it: the primary key, then the name rank, both
// already turned so that ascending order of (primary, secondary) is wanted.
struct SortEntry {
    std::int64_t primary;
    std::uint32_t secondary;
    TMyFileItem* item;
};

// The first eight bytes of a sort key as a big-endian number, so that most
// name comparisons are one integer comparison.
std::uint64_t keyPrefix(const std::string& key)
{
    unsigned char bytes[8] = {};
    std::memcpy(bytes, key.data(), std::min<std::size_t>(key.size(), 8));
    std::uint64_t prefix = 0;
    for (const unsigned char b : bytes)
        prefix = prefix << 8 | b;
    return prefix;
}

struct NameEntry {
    std::uint64_t prefix;
    TMyFileItem* item;
};

bool nameLess(const NameEntry& a, const NameEntry& b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    return compareNameKeys(a.item->SortKey, a.item->FileName, b.item->SortKey, b.item->FileName) < 0;
}

SortEntry sortEntry(TMyFileItem* item, std::uint8_t sortType)
{
    const std::uint32_t up = item->NameRank;
    const std::uint32_t down = ~item->NameRank;
    switch (sortType) {
    case 1: return {0, down, item};
    case 2: return {-item->TimeKey, up, item};
    case 3: return {item->TimeKey, down, item};
    case 4: return {item->Size, up, item};
    case 5: return {-item->Size, down, item};
    default: return {0, up, item};
    }
}

}  // namespace

TMyFileList::TMyFileList()
{
    m_items.reserve(reservedItems);
}

TMyFileList::TMyFileList(const std::string& collationLocale)
    : m_collator(collationLocale)
{
    m_items.reserve(reservedItems);
}

TMyFileList::~TMyFileList() = default;

void TMyFileList::ClearList()
{
    while (!m_items.empty())
        m_items.pop_back();
    m_ranked = true;
}

void TMyFileList::SetSortType(int k)
{
    if (k < 0 || k > 5)
        return;
    m_sortType = static_cast<std::uint8_t>(k);
    SortList();
}

void TMyFileList::SortList()
{
    if (m_items.empty())
        return;
    rankNames();
    std::vector<SortEntry> entries;
    entries.reserve(m_items.size());
    for (auto& item : m_items)
        entries.push_back(sortEntry(item.release(), m_sortType));
    std::sort(entries.begin(), entries.end(), [](const SortEntry& a, const SortEntry& b) {
        return a.primary != b.primary ? a.primary < b.primary : a.secondary < b.secondary;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_items[i].reset(entries[i].item);
}

// Names are ordered by their collation keys once per rebuild; after that every
// order compares two integers per pair of items.
void TMyFileList::rankNames()
{
    if (m_ranked)
        return;
    std::vector<NameEntry> entries;
    entries.reserve(m_items.size());
    for (auto& item : m_items)
        entries.push_back({keyPrefix(item->SortKey), item.get()});
    std::sort(entries.begin(), entries.end(), nameLess);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].item->NameRank = static_cast<std::uint32_t>(i);
    m_ranked = true;
}

bool TMyFileList::inRange(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
}

std::string TMyFileList::GetFileName(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)]->FileName : std::string();
}

std::string TMyFileList::GetNewName(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)]->NewName : std::string();
}

std::int32_t TMyFileList::GetFileTime(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)]->Time : 0;
}

std::int32_t TMyFileList::GetFileAttr(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)]->Attr : 0;
}

void TMyFileList::SetNewName(int index, const std::string& name)
{
    if (inRange(index) && !name.empty())
        m_items[static_cast<std::size_t>(index)]->NewName = name;
}

void TMyFileList::DeleteItem(int index)
{
    if (inRange(index))
        m_items.erase(m_items.begin() + index);
}

int TMyFileList::Count() const
{
    return static_cast<int>(m_items.size());
}

void TMyFileList::addFile(const FileInfo& info)
{
    addItem(info.storedName, info.size, info.mtimeSeconds, info.attributes);
}

void TMyFileList::addItem(const std::string& fileName, std::int64_t size, std::int64_t mtimeSeconds,
                          std::uint32_t attributes)
{
    auto item = std::make_unique<TMyFileItem>();
    item->FileName = fileName;
    item->Size = size;
    item->Time = static_cast<std::int32_t>(dosDateTimeFromInstant(mtimeSeconds));
    item->Attr = static_cast<std::int32_t>(attributes);
    item->TimeKey = twoSecondStep(mtimeSeconds);
    m_collator.appendSortKey(fileName, item->SortKey);
    item->SortKey.shrink_to_fit();
    m_items.push_back(std::move(item));
    m_ranked = false;
}

const TMyFileItem* TMyFileList::item(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)].get() : nullptr;
}

}  // namespace torvel
