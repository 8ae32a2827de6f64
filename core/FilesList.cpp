#include "FilesList.h"

#include "DosDateTime.h"
#include "FileAttributes.h"
#include "FileInfo.h"
#include "FolderHandle.h"
#include "NameText.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace torvel {

namespace {

constexpr std::size_t reservedItems = 5000;
constexpr std::size_t chunkItems = 1024;

// One item as the sort sees it: its key under the order, and the item.
struct SortEntry
{
    SortKey key;
    TMyFileItem* item;
};

// The first sixteen bytes of a sort key as two big-endian numbers, so that
// most name comparisons need no look at the key itself.
struct NameEntry
{
    std::uint64_t high;
    std::uint64_t low;
    TMyFileItem* item;
    std::string_view key;
};

std::uint64_t bigEndian(std::string_view bytes)
{
    unsigned char b[8] = {};
    if (!bytes.empty())
        std::memcpy(b, bytes.data(), std::min<std::size_t>(bytes.size(), 8));
    std::uint64_t value = 0;
    for (const unsigned char c : b)
        value = value << 8 | c;
    return value;
}

NameEntry nameEntry(TMyFileItem* item, std::string_view key)
{
    const std::string_view rest = key.size() > 8 ? key.substr(8) : std::string_view();
    return {bigEndian(key), bigEndian(rest), item, key};
}

bool nameLess(const NameEntry& a, const NameEntry& b)
{
    if (a.high != b.high)
        return a.high < b.high;
    if (a.low != b.low)
        return a.low < b.low;
    return compareNameKeys(a.key, a.item->FileName, b.key, b.item->FileName) < 0;
}

} // namespace

TMyFileList::TMyFileList()
    : TMyFileList(userLocaleId("LC_COLLATE"))
{}

TMyFileList::TMyFileList(const std::string& collationLocale)
    : m_localeId(collationLocale)
    , m_collator(collationLocale)
    , m_naturalCollator(collationLocale, DigitRuns::AsNumbers)
{
    m_items.reserve(reservedItems);
}

TMyFileList::~TMyFileList() = default;

void TMyFileList::ClearList()
{
    ++m_changes;
    m_items.clear();
    m_chunks.clear();
    m_chunkUsed = 0;
    m_keys.clear();
    m_folder.reset();
    m_ranked = true;
    m_ranksDense = true;
    dropOwnKeys();
}

void TMyFileList::SetSortType(SortOrder order)
{
    m_sortType = order;
    SortList();
}

void TMyFileList::SortList()
{
    ++m_changes;
    if (m_items.empty())
        return;
    rankNames();
    const bool natural = sortsNaturally(m_sortType);
    if (natural)
        rankNatural();
    else if (sortsByShootingDate(m_sortType))
        readShootingDates();
    if (sortsByName(m_sortType) && m_ranksDense) {
        placeByRank(m_sortType == SortOrder::NameDown, nullptr);
        return;
    }
    if (natural && m_naturalCount == m_items.size()) {
        placeByRank(m_sortType == SortOrder::NaturalDown, &m_naturalRanks);
        return;
    }
    std::vector<SortEntry> entries;
    entries.reserve(m_items.size());
    for (TMyFileItem* item : m_items) {
        const std::int64_t own = natural                           ? m_naturalRanks[item->NameRank]
                                 : sortsByShootingDate(m_sortType) ? shootingKey(*item)
                                                                   : 0;
        const SortFacts facts{item->TimeKey, item->Size, own, item->NameRank};
        entries.push_back({sortKeyOf(m_sortType, facts), item});
    }
    std::sort(entries.begin(), entries.end(), [](const SortEntry& a, const SortEntry& b) {
        return a.key.primary != b.key.primary ? a.key.primary < b.key.primary
                                              : a.key.secondary < b.key.secondary;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_items[i] = entries[i].item;
}

// Names are ordered by their collation keys once per rebuild; after that every
// order compares two integers per pair of items.
void TMyFileList::rankNames()
{
    if (m_ranked)
        return;
    makeKeys();
    std::vector<NameEntry> entries;
    entries.reserve(m_items.size());
    for (TMyFileItem* item : m_items)
        entries.push_back(nameEntry(item, sortKey(*item)));
    std::sort(entries.begin(), entries.end(), nameLess);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].item->NameRank = static_cast<std::uint32_t>(i);
    m_ranked = true;
    m_ranksDense = true;
    dropOwnKeys();
}

namespace {

constexpr std::size_t itemsWorthASecondThread = 4096;
constexpr std::size_t keyBytesGuess = 48;

// Runs work(collator, part, first, last) over [0, count) in two parts when
// there are many items, the second on a helper thread with a collator of its
// own: making collation keys is most of the work of ordering names. Returns
// where the second part begins.
template <typename Work>
std::size_t inTwoParts(std::size_t count, const NameCollator& collator, const std::string& localeId,
                       DigitRuns digits, const Work& work)
{
    const std::size_t half = count >= itemsWorthASecondThread ? count / 2 : count;
    std::jthread helper;
    if (half < count)
        helper = std::jthread([&] {
            const NameCollator own(localeId, digits);
            work(own, 1, half, count);
        });
    work(collator, 0, 0, half);
    return half;
}

} // namespace

// Items get their keys all at once before names are first ordered, not one
// by one as they are added.
void TMyFileList::makeKeys()
{
    std::vector<TMyFileItem*> unkeyed;
    for (TMyFileItem* item : m_items) {
        if (item->KeyOffset == noKey)
            unkeyed.push_back(item);
    }
    // Both stores are made here, the second part's too: memory a helper
    // thread allocates stays with that thread's own heap once it is freed.
    m_keys.reserve(m_keys.size() + unkeyed.size() * keyBytesGuess);
    std::string second;
    second.reserve(unkeyed.size() / 2 * keyBytesGuess);
    const std::size_t half = inTwoParts(
        unkeyed.size(), m_collator, m_localeId, DigitRuns::AsText,
        [&](const NameCollator& collator, int part, std::size_t first, std::size_t last) {
            std::string& keys = part == 0 ? m_keys : second;
            for (std::size_t i = first; i < last; ++i) {
                TMyFileItem& item = *unkeyed[i];
                item.KeyOffset = static_cast<std::uint32_t>(keys.size());
                collator.appendSortKey(item.FileName, keys);
                item.KeyLength = static_cast<std::uint32_t>(keys.size() - item.KeyOffset);
            }
        });
    const auto secondBase = static_cast<std::uint32_t>(m_keys.size());
    m_keys += second;
    for (std::size_t i = half; i < unkeyed.size(); ++i)
        unkeyed[i]->KeyOffset += secondBase;
}

// The names' places with digit runs as numbers, from keys made once and
// dropped after, so that the items keep only one key each. Each part is
// sorted where its keys are made, and the two merged.
void TMyFileList::rankNatural()
{
    if (!m_naturalRanks.empty())
        return;
    const std::size_t count = m_items.size();
    std::string keys[2];
    std::vector<NameEntry> sorted[2];
    inTwoParts(count, m_naturalCollator, m_localeId, DigitRuns::AsNumbers,
               [&](const NameCollator& collator, int part, std::size_t first, std::size_t last) {
                   std::vector<std::size_t> ends;
                   ends.reserve(last - first);
                   keys[part].reserve((last - first) * keyBytesGuess);
                   for (std::size_t i = first; i < last; ++i) {
                       collator.appendSortKey(m_items[i]->FileName, keys[part]);
                       ends.push_back(keys[part].size());
                   }
                   // Only now: the keys no longer move.
                   const std::string_view all(keys[part]);
                   sorted[part].reserve(last - first);
                   for (std::size_t k = 0, start = 0; k < ends.size(); start = ends[k++])
                       sorted[part].push_back(
                           nameEntry(m_items[first + k], all.substr(start, ends[k] - start)));
                   std::sort(sorted[part].begin(), sorted[part].end(), nameLess);
               });
    std::vector<NameEntry> entries(count);
    std::merge(sorted[0].begin(), sorted[0].end(), sorted[1].begin(), sorted[1].end(),
               entries.begin(), nameLess);
    std::uint32_t rankCount = 0;
    for (const TMyFileItem* item : m_items)
        rankCount = std::max(rankCount, item->NameRank + 1);
    m_naturalRanks.assign(rankCount, 0);
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_naturalRanks[entries[i].item->NameRank] = static_cast<std::uint32_t>(i);
    m_naturalCount = count;
}

void TMyFileList::dropOwnKeys()
{
    m_naturalRanks.clear();
    m_naturalCount = 0;
    m_shootingDates.clear();
    m_datesRead = false;
}

void TMyFileList::readShootingDates()
{
    rankNames();
    if (m_datesRead)
        return;
    std::vector<std::string> paths;
    paths.reserve(m_items.size());
    std::uint32_t rankCount = 0;
    for (const TMyFileItem* item : m_items) {
        paths.push_back(m_folder ? m_folder->path() + item->FileName : std::string());
        rankCount = std::max(rankCount, item->NameRank + 1);
    }
    std::vector<std::optional<ShootingDate>> dates;
    if (m_folder)
        dates = torvel::readShootingDates(paths, m_dateProgress);
    m_shootingDates.assign(rankCount, std::nullopt);
    for (std::size_t i = 0; i < dates.size(); ++i)
        m_shootingDates[m_items[i]->NameRank] = dates[i];
    m_datesRead = true;
}

std::optional<ShootingDate> TMyFileList::shootingDate(int index) const
{
    if (!m_datesRead || !inRange(index))
        return std::nullopt;
    return m_shootingDates[m_items[static_cast<std::size_t>(index)]->NameRank];
}

std::optional<ShootingDate> TMyFileList::shootingDateOf(int index) const
{
    if (m_datesRead || !m_folder || !inRange(index))
        return shootingDate(index);
    return readShootingDate(m_folder->path() + m_items[static_cast<std::size_t>(index)]->FileName);
}

bool TMyFileList::lastWriteLocal(int index, LocalDateTime& out) const
{
    const TMyFileItem& item = *m_items[static_cast<std::size_t>(index)];
    // The packed local time was worked out when the item was added; its
    // even second gains the odd one, as every zone in force since 1980 is
    // a whole number of minutes off UTC.
    if (item.Time != 0 && unpackDosDateTime(static_cast<std::uint32_t>(item.Time), out)) {
        out.second += item.OddSecond ? 1 : 0;
        return true;
    }
    return localFromInstant(item.lastWriteSeconds(), out);
}

// Microseconds since the epoch: the shooting date, or for a file without one
// the start of the two-second step of its time stamp, as the time orders see it.
std::int64_t TMyFileList::shootingKey(const TMyFileItem& item) const
{
    constexpr std::int64_t limit = 9'000'000'000'000; // seconds; keeps the product in range
    const std::optional<ShootingDate>& date = m_shootingDates[item.NameRank];
    const std::int64_t seconds =
        std::clamp<std::int64_t>(date ? date->seconds : item.TimeKey * 2, -limit, limit);
    return seconds * 1'000'000 + (date ? date->nanoseconds / 1000 : 0);
}

// Ranks that are exactly 0..Count-1 place every item without sorting:
// NameRank, or the natural rank that `natural` holds by NameRank.
void TMyFileList::placeByRank(bool descending, const std::vector<std::uint32_t>* natural)
{
    const std::size_t last = m_items.size() - 1;
    std::vector<TMyFileItem*> placed(m_items.size());
    for (TMyFileItem* item : m_items) {
        const std::size_t rank = natural ? (*natural)[item->NameRank] : item->NameRank;
        placed[descending ? last - rank : rank] = item;
    }
    m_items.swap(placed);
}

bool TMyFileList::inRange(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
}

std::string TMyFileList::GetFileName(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)]->FileName : std::string();
}

const std::string& TMyFileList::fileNameAt(int index) const
{
    return m_items[static_cast<std::size_t>(index)]->FileName;
}

std::pair<std::string, std::string> TMyFileList::takeNames(int index)
{
    TMyFileItem& item = *m_items[static_cast<std::size_t>(index)];
    ++m_changes;
    return {std::move(item.FileName), std::move(item.NewName)};
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
    if (!inRange(index))
        return 0;
    TMyFileItem* item = m_items[static_cast<std::size_t>(index)];
    if (item->AttrPending && m_folder) {
        const StoredDosAttrib stored = readDosAttrib(*m_folder, item->FileName);
        item->Attr = static_cast<std::int32_t>(
            completeAttributeWord(static_cast<std::uint32_t>(item->Attr), stored));
        item->AttrPending = false;
    }
    return item->Attr;
}

void TMyFileList::SetNewName(int index, const std::string& name)
{
    if (!inRange(index) || name.empty())
        return;
    std::string& newName = m_items[static_cast<std::size_t>(index)]->NewName;
    if (newName != name) {
        newName = name;
        ++m_changes;
    }
}

void TMyFileList::DeleteItem(int index)
{
    if (!inRange(index))
        return;
    TMyFileItem* item = m_items[static_cast<std::size_t>(index)];
    m_items.erase(m_items.begin() + index);
    ++m_changes;
    // Its place in a chunk stays until ClearList; its strings go now.
    *item = TMyFileItem{};
    m_ranksDense = false;
}

int TMyFileList::Count() const
{
    return static_cast<int>(m_items.size());
}

void TMyFileList::setSourceFolder(std::shared_ptr<const FolderHandle> folder)
{
    m_folder = std::move(folder);
}

void TMyFileList::addFile(const FileInfo& info)
{
    addItem(info.storedName, info.size, info.mtimeSeconds, info.attributes);
    m_items.back()->AttrPending = info.attributesPending;
}

TMyFileItem* TMyFileList::newItem()
{
    if (m_chunks.empty() || m_chunkUsed == chunkItems) {
        m_chunks.push_back(std::make_unique<TMyFileItem[]>(chunkItems));
        m_chunkUsed = 0;
    }
    return &m_chunks.back()[m_chunkUsed++];
}

void TMyFileList::addItem(const std::string& fileName, std::int64_t size, std::int64_t mtimeSeconds,
                          std::uint32_t attributes)
{
    TMyFileItem* item = newItem();
    item->FileName = fileName;
    item->Size = size;
    item->Time = static_cast<std::int32_t>(dosDateTimeFromInstant(mtimeSeconds));
    item->Attr = static_cast<std::int32_t>(attributes);
    item->TimeKey = twoSecondStep(mtimeSeconds);
    item->OddSecond = mtimeSeconds != item->TimeKey * 2;
    item->KeyOffset = noKey;
    m_items.push_back(item);
    ++m_changes;
    m_ranked = false;
    m_datesRead = false;
}

void TMyFileList::renameItems(std::vector<std::string> names)
{
    // A rename changes no file's contents: the shooting dates read before
    // stay the files' own, and are not read again.
    std::vector<std::optional<ShootingDate>> dates;
    if (m_datesRead) {
        dates.reserve(m_items.size());
        for (const TMyFileItem* item : m_items)
            dates.push_back(m_shootingDates[item->NameRank]);
    }
    // The old keys go with the old names: the store is made anew.
    m_keys.clear();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        TMyFileItem* item = m_items[i];
        if (i >= names.size() || names[i].empty()) {
            *item = TMyFileItem{}; // its place in a chunk stays until ClearList
            continue;
        }
        item->FileName = std::move(names[i]);
        std::string().swap(item->NewName);
        item->Attr = static_cast<std::int32_t>(
            unstoredAttributeWord(static_cast<std::uint32_t>(item->Attr), item->FileName));
        item->AttrPending = true;
        item->KeyOffset = noKey;
        if (!dates.empty())
            dates[kept] = std::move(dates[i]);
        m_items[kept++] = item;
    }
    m_items.resize(kept);
    m_ranked = false;
    ++m_changes;
    if (dates.empty())
        return;
    rankNames();
    m_shootingDates.assign(m_items.size(), std::nullopt);
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_shootingDates[m_items[i]->NameRank] = std::move(dates[i]);
    m_datesRead = true;
}

std::string_view TMyFileList::sortKey(const TMyFileItem& item) const
{
    return std::string_view(m_keys).substr(item.KeyOffset, item.KeyLength);
}

const TMyFileItem* TMyFileList::item(int index) const
{
    return inRange(index) ? m_items[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace torvel
