#include "ItemIdList.h"

#include <climits>
#include <stdexcept>

namespace torvel {

namespace {

constexpr std::size_t countBytes = 2;
constexpr std::size_t maxItemSize = 0xFFFF;

std::uint16_t readCount(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void appendCount(std::vector<std::uint8_t>& out, std::size_t count)
{
    out.push_back(static_cast<std::uint8_t>(count & 0xFF));
    out.push_back(static_cast<std::uint8_t>((count >> 8) & 0xFF));
}

} // namespace

ItemIdList ItemIdList::empty()
{
    return ItemIdList(std::vector<std::uint8_t>(countBytes, 0));
}

ItemIdList ItemIdList::single(std::span<const std::uint8_t> payload)
{
    const std::size_t count = payload.size() + countBytes;
    if (count > maxItemSize)
        throw std::length_error("item identifier too long");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count + countBytes);
    appendCount(bytes, count);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    appendCount(bytes, 0);
    return ItemIdList(std::move(bytes));
}

std::uint16_t ItemIdList::countAt(std::size_t offset) const
{
    return readCount(m_bytes, offset);
}

std::size_t ItemIdList::itemCount() const
{
    std::size_t n = 0;
    for (auto at = firstOffset(); at; at = nextItem(*at))
        ++n;
    return n;
}

ItemIdList ItemIdList::firstItem() const
{
    if (isNull())
        return {};
    const std::size_t count = countAt(0);
    std::vector<std::uint8_t> bytes(count + countBytes, 0);
    std::copy(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(count), bytes.begin());
    return ItemIdList(std::move(bytes));
}

std::optional<std::size_t> ItemIdList::firstOffset() const
{
    if (hasNoItems())
        return std::nullopt;
    return 0;
}

std::optional<std::size_t> ItemIdList::nextItem(std::size_t offset) const
{
    if (offset + countBytes > m_bytes.size())
        return std::nullopt;
    const std::uint16_t count = countAt(offset);
    if (count == 0)
        return std::nullopt;
    const std::size_t next = offset + count;
    if (countAt(next) == 0)
        return std::nullopt;
    return next;
}

std::span<const std::uint8_t> ItemIdList::payloadAt(std::size_t offset) const
{
    const std::uint16_t count = countAt(offset);
    if (count == 0)
        return {};
    return std::span<const std::uint8_t>(m_bytes).subspan(offset + countBytes, count - countBytes);
}

ItemIdList ItemIdList::itemAt(std::size_t offset) const
{
    return single(payloadAt(offset));
}

std::optional<std::size_t> ItemIdList::lastOffset() const
{
    auto at = firstOffset();
    if (!at)
        return std::nullopt;
    for (auto next = nextItem(*at); next; next = nextItem(*at))
        at = next;
    return at;
}

std::size_t concatenatedSize(std::size_t sizeA, std::size_t sizeB)
{
    const std::size_t itemsA = sizeA == 0 ? 0 : sizeA - countBytes;
    const std::size_t itemsB = sizeB == 0 ? 0 : sizeB - countBytes;
    constexpr auto limit = static_cast<std::size_t>(INT32_MAX);
    if (itemsA > limit || itemsB > limit - itemsA || itemsA + itemsB > limit - countBytes)
        throw std::length_error("item identifier list too long");
    return itemsA + itemsB + countBytes;
}

ItemIdList concat(const ItemIdList& a, const ItemIdList& b)
{
    if (a.isNull() && b.isNull())
        return {};
    const std::size_t total = concatenatedSize(a.size(), b.size());
    const std::size_t itemsA = a.isNull() ? 0 : a.size() - countBytes;
    const std::size_t itemsB = b.isNull() ? 0 : b.size() - countBytes;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    bytes.insert(bytes.end(), a.m_bytes.begin(),
                 a.m_bytes.begin() + static_cast<std::ptrdiff_t>(itemsA));
    bytes.insert(bytes.end(), b.m_bytes.begin(),
                 b.m_bytes.begin() + static_cast<std::ptrdiff_t>(itemsB));
    appendCount(bytes, 0);
    return ItemIdList(std::move(bytes));
}

} // namespace torvel
