#pragma once

// An item identifier list: the chain of items that leads from the Desktop of
// the folder namespace to one folder. Byte layout: a sequence of items, each
// beginning with a 16-bit little-endian byte count that includes the two bytes
// of the count itself, followed by opaque bytes; a count of 0 ends the list.
//
// A list is a value. The null list (no bytes at all) is distinct from the
// empty list (only the terminator), which names the Desktop itself.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace torvel {

class ItemIdList
{
public:
    // The null list.
    ItemIdList() = default;

    // The list with no items: the Desktop.
    static ItemIdList empty();

    // A list of one item whose opaque bytes are `payload`. Throws
    // std::length_error when the item would not fit its 16-bit count.
    static ItemIdList single(std::span<const std::uint8_t> payload);

    bool isNull() const { return m_bytes.empty(); }
    // True for the null list and for the list with no items.
    bool hasNoItems() const { return m_bytes.size() <= 2; }

    // 2 plus the sum of all item counts; 0 for the null list.
    std::size_t size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    std::size_t itemCount() const;

    // A new list holding the first item and the terminator (the empty list
    // when this one has no items); the null list gives null.
    ItemIdList firstItem() const;

    // Offset of the first item, none when there is none.
    std::optional<std::size_t> firstOffset() const;
    // The position after the item at `offset`, or none when the item there is
    // the terminator or the count found after it is 0.
    std::optional<std::size_t> nextItem(std::size_t offset) const;
    // The opaque bytes of the item at `offset` (without its count).
    std::span<const std::uint8_t> payloadAt(std::size_t offset) const;
    // The item at `offset` as a list of its own.
    ItemIdList itemAt(std::size_t offset) const;
    // Offset of the last item, none when there is none.
    std::optional<std::size_t> lastOffset() const;

    friend bool operator==(const ItemIdList&, const ItemIdList&) = default;

private:
    explicit ItemIdList(std::vector<std::uint8_t> bytes)
        : m_bytes(std::move(bytes))
    {}
    std::uint16_t countAt(std::size_t offset) const;

    friend ItemIdList concat(const ItemIdList& a, const ItemIdList& b);

    std::vector<std::uint8_t> m_bytes;
};

// The items of `a` followed by the items of `b` and one terminator. A null
// list contributes nothing; two null lists give null. Throws std::length_error
// when the size would not fit a signed 32-bit count.
ItemIdList concat(const ItemIdList& a, const ItemIdList& b);

// The size of the concatenation of two lists of the given sizes (0 for a null
// list); throws std::length_error when it would not fit a signed 32-bit count.
std::size_t concatenatedSize(std::size_t sizeA, std::size_t sizeB);

} // namespace torvel
