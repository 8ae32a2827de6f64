#include "ItemIdList.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const ItemIdList& list)
{
    return Bytes(list.bytes().begin(), list.bytes().end());
}

ItemIdList item(const std::string& text)
{
    return ItemIdList::single(Bytes(text.begin(), text.end()));
}

std::string payloadText(const ItemIdList& list, std::size_t offset)
{
    const auto payload = list.payloadAt(offset);
    return std::string(payload.begin(), payload.end());
}

std::vector<std::string> items(const ItemIdList& list)
{
    std::vector<std::string> texts;
    for (auto at = list.firstOffset(); at; at = list.nextItem(*at))
        texts.push_back(payloadText(list, *at));
    return texts;
}

TEST(ItemIdList, NullAndEmptyListsDiffer)
{
    const ItemIdList null;
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(null.hasNoItems());
    EXPECT_EQ(null.size(), 0u);
    EXPECT_FALSE(null.firstOffset());
    EXPECT_TRUE(null.firstItem().isNull());

    const ItemIdList empty = ItemIdList::empty();
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.hasNoItems());
    EXPECT_EQ(empty.size(), 2u);
    EXPECT_EQ(bytesOf(empty), (Bytes{0, 0}));
    EXPECT_EQ(empty.itemCount(), 0u);
    EXPECT_FALSE(empty.firstOffset());
    EXPECT_FALSE(empty.lastOffset());
    EXPECT_NE(null, empty);
}

TEST(ItemIdList, OneItemHasItsCountLittleEndianIncludingTheCountItself)
{
    const ItemIdList list = item("abc");
    EXPECT_EQ(bytesOf(list), (Bytes{5, 0, 'a', 'b', 'c', 0, 0}));
    EXPECT_EQ(list.size(), 7u);
    EXPECT_EQ(list.itemCount(), 1u);

    const ItemIdList long_ = ItemIdList::single(Bytes(300, 'x'));
    EXPECT_EQ(long_.bytes()[0], 0x2E); // 302 = 0x012E
    EXPECT_EQ(long_.bytes()[1], 0x01);
    EXPECT_EQ(long_.size(), 304u);
    EXPECT_EQ(payloadText(long_, 0), std::string(300, 'x'));

    const ItemIdList bare = ItemIdList::single({});
    EXPECT_EQ(bytesOf(bare), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(bare.itemCount(), 1u);

    EXPECT_NO_THROW(ItemIdList::single(Bytes(0xFFFD, 'y')));
    EXPECT_THROW(ItemIdList::single(Bytes(0xFFFE, 'y')), std::length_error);
}

TEST(ItemIdList, NextItemWalksTheItemsAndStopsAtTheTerminator)
{
    const ItemIdList list = concat(concat(item("a"), item("bb")), item("ccc"));
    EXPECT_EQ(list.size(), 2u + 3 + 4 + 5);
    ASSERT_EQ(list.firstOffset(), 0u);
    EXPECT_EQ(list.nextItem(0), 3u);
    EXPECT_EQ(list.nextItem(3), 7u);
    EXPECT_FALSE(list.nextItem(7));           // last item: the count after it is 0
    EXPECT_FALSE(list.nextItem(12));          // at the terminator itself
    EXPECT_FALSE(list.nextItem(list.size())); // past the end
    EXPECT_EQ(items(list), (std::vector<std::string>{"a", "bb", "ccc"}));
    EXPECT_EQ(list.lastOffset(), 7u);
    EXPECT_EQ(payloadText(list, 3), "bb");
    EXPECT_EQ(list.itemAt(3), item("bb"));
}

TEST(ItemIdList, FirstItemCopyHoldsOnlyTheFirstItemAndATerminator)
{
    const ItemIdList list = concat(item("first"), item("second"));
    const ItemIdList first = list.firstItem();
    EXPECT_EQ(bytesOf(first), (Bytes{7, 0, 'f', 'i', 'r', 's', 't', 0, 0}));
    EXPECT_EQ(first, item("first"));
    EXPECT_EQ(ItemIdList::empty().firstItem(), ItemIdList::empty());
    EXPECT_EQ(item("x").firstItem(), item("x"));
}

TEST(ItemIdList, ConcatenationKeepsOrderAndEndsInOneTerminator)
{
    const ItemIdList ab = concat(item("a"), item("b"));
    EXPECT_EQ(bytesOf(ab), (Bytes{3, 0, 'a', 3, 0, 'b', 0, 0}));
    EXPECT_EQ(items(concat(ab, concat(item("c"), item("d")))),
              (std::vector<std::string>{"a", "b", "c", "d"}));

    // The empty list adds no items on either side.
    EXPECT_EQ(concat(ItemIdList::empty(), ab), ab);
    EXPECT_EQ(concat(ab, ItemIdList::empty()), ab);
    EXPECT_EQ(concat(ItemIdList::empty(), ItemIdList::empty()), ItemIdList::empty());

    // A null list contributes nothing, and the result is still terminated.
    EXPECT_EQ(concat(ItemIdList(), ab), ab);
    EXPECT_EQ(concat(ab, ItemIdList()), ab);
    EXPECT_EQ(concat(ItemIdList(), ItemIdList::empty()), ItemIdList::empty());
    EXPECT_TRUE(concat(ItemIdList(), ItemIdList()).isNull());
}

TEST(ItemIdList, ConcatenatedSizeRefusesWhatASigned32BitCountCannotHold)
{
    EXPECT_EQ(concatenatedSize(0, 0), 2u);
    EXPECT_EQ(concatenatedSize(7, 0), 7u);
    EXPECT_EQ(concatenatedSize(7, 5), 10u);
    const auto limit = static_cast<std::size_t>(INT32_MAX);
    EXPECT_EQ(concatenatedSize(limit, 2), limit);
    EXPECT_EQ(concatenatedSize(limit - 10, 12), limit);
    EXPECT_THROW(concatenatedSize(limit, 3), std::length_error);
    EXPECT_THROW(concatenatedSize(limit / 2 + 10, limit / 2 + 10), std::length_error);
    EXPECT_THROW(concatenatedSize(SIZE_MAX, SIZE_MAX), std::length_error);
}

} // namespace
} // namespace torvel
