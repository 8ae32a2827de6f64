#include "FilesList.h"

#include "DosDateTime.h"
#include "FileAttributes.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace torvel {
namespace {

using test::ScopedTimeZone;
using test::tokyoInstant;

constexpr std::int64_t GiB = std::int64_t{1} << 30;

std::vector<std::string> names(const TMyFileList& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.GetFileName(i));
    return out;
}

using Names = std::vector<std::string>;

class FileListOrders : public ::testing::Test
{
protected:
    ScopedTimeZone m_zone{"Asia/Tokyo"};
    TMyFileList m_list{""};

    void add(const std::string& name, std::int64_t size, std::int64_t mtime)
    {
        m_list.addItem(name, size, mtime, FileAttr::Archive);
    }

    Names sorted(int order)
    {
        m_list.SetSortType(sortOrderOfItem(order).value());
        return names(m_list);
    }
};

TEST_F(FileListOrders, NameOrdersIgnoreAsciiCaseAndAreExactReverses)
{
    for (const char* n : {"b.txt", "C.txt", "a.txt", "A.txt", "写真.jpg", ".hidden"})
        add(n, 1, 1'600'000'000);
    const Names up = sorted(0);
    EXPECT_EQ(up, (Names{".hidden", "A.txt", "a.txt", "b.txt", "C.txt", "写真.jpg"}));
    Names down = sorted(1);
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(down, up);
    EXPECT_EQ(m_list.SortType(), SortOrder::NameDown);
}

TEST_F(FileListOrders, TimeOrdersBreakTiesByName)
{
    const std::int64_t t = tokyoInstant(2020, 5, 5, 10, 0, 0);
    add("b", 0, t);
    add("a", 0, t + 1); // the same two-second step
    add("c", 0, t);
    add("new", 0, t + 2);
    add("old", 0, t - 2);
    EXPECT_EQ(sorted(2), (Names{"new", "a", "b", "c", "old"}));
    EXPECT_EQ(sorted(3), (Names{"old", "c", "b", "a", "new"}));
}

TEST_F(FileListOrders, SizeOrdersUseTheWholeSize)
{
    add("small", 10, 0);
    add("two-gib", 2 * GiB, 0);            // negative as a signed 32-bit number
    add("four-gib-and-1", 4 * GiB + 1, 0); // 1 in its low 32 bits
    add("tie-b", 100, 0);
    add("tie-a", 100, 0);
    EXPECT_EQ(sorted(4), (Names{"small", "tie-a", "tie-b", "two-gib", "four-gib-and-1"}));
    EXPECT_EQ(sorted(5), (Names{"four-gib-and-1", "two-gib", "tie-b", "tie-a", "small"}));
}

TEST_F(FileListOrders, TimesTheDosFormCannotHoldSortByTheirInstant)
{
    add("y1975", 0, tokyoInstant(1975, 1, 1, 0, 0, 0));
    add("y1990", 0, tokyoInstant(1990, 1, 1, 0, 0, 0));
    add("y2044", 0, tokyoInstant(2044, 1, 1, 0, 0, 0));
    add("y2120", 0, tokyoInstant(2120, 1, 1, 0, 0, 0));
    EXPECT_EQ(sorted(2), (Names{"y2120", "y2044", "y1990", "y1975"}));
    EXPECT_EQ(sorted(3), (Names{"y1975", "y1990", "y2044", "y2120"}));
    m_list.SetSortType(SortOrder::OldestFirst);
    EXPECT_EQ(m_list.GetFileTime(0), 0); // 1975: no packed value
    EXPECT_EQ(m_list.GetFileTime(3), 0); // 2120: no packed value
    LocalDateTime t;
    ASSERT_TRUE(unpackDosDateTime(static_cast<std::uint32_t>(m_list.GetFileTime(2)), t));
    EXPECT_EQ(t.year, 2044);
    EXPECT_LT(m_list.GetFileTime(2), 0); // stays the packed value, top bit set
}

TEST_F(FileListOrders, EveryOrderIsTotalAndItsPartnerIsTheExactReverse)
{
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        std::string name = "f" + std::to_string(random() % 40) + (random() % 2 ? ".TXT" : ".txt");
        if (random() % 3 == 0)
            name[0] = 'F';
        add(name + std::to_string(i % 7 == 0 ? 0 : i), random() % 5, 1'500'000'000 + random() % 8);
    }
    for (int order : {0, 2, 4}) {
        const Names forward = sorted(order);
        Names backward = sorted(order + 1);
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(forward, backward) << order;
        EXPECT_EQ(sorted(order), forward) << "repeatable";
    }
}

TEST(SortBox, ItemsOutsideTheSixOrdersHaveNoOrder)
{
    EXPECT_EQ(sortOrderOfItem(-1), std::nullopt);
    EXPECT_EQ(sortOrderOfItem(6), std::nullopt);
    EXPECT_EQ(sortOrderOfItem(0), SortOrder::NameUp);
    EXPECT_EQ(sortOrderOfItem(5), SortOrder::LargestFirst);
    EXPECT_EQ(itemOfSortOrder(SortOrder::OldestFirst), 3);
}

TEST(FileList, AccessorsGuardTheirIndexes)
{
    TMyFileList list("");
    list.addItem("a.txt", 1, 1'600'000'000, FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetFileName(-1), "");
    EXPECT_EQ(list.GetFileName(1), "");
    EXPECT_EQ(list.GetNewName(1), "");
    EXPECT_EQ(list.GetFileTime(1), 0);
    EXPECT_EQ(list.GetFileAttr(-1), 0);
    EXPECT_EQ(list.GetFileAttr(0), 0x22);
    EXPECT_EQ(list.item(1), nullptr);
    list.SetNewName(0, "new.txt");
    list.SetNewName(0, ""); // an empty name keeps the one before
    list.SetNewName(5, "x");
    EXPECT_EQ(list.GetNewName(0), "new.txt");
    list.DeleteItem(3);
    EXPECT_EQ(list.Count(), 1);
}

TEST(FileList, DeleteKeepsOrderAndSortType)
{
    TMyFileList list("");
    for (const char* n : {"d", "b", "e", "a", "c"})
        list.addItem(n, 0, 0, 0);
    list.SetSortType(SortOrder::NameDown);
    list.DeleteItem(1); // "d"
    EXPECT_EQ(names(list), (Names{"e", "c", "b", "a"}));
    EXPECT_EQ(list.SortType(), SortOrder::NameDown);
    list.SetSortType(SortOrder::NameUp); // re-sorting after a deletion still works
    EXPECT_EQ(names(list), (Names{"a", "b", "c", "e"}));
    list.ClearList();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.SortType(), SortOrder::NameUp);
    list.SetSortType(SortOrder::SmallestFirst);
    list.ClearList();
    EXPECT_EQ(list.SortType(), SortOrder::SmallestFirst);
    list.SortList(); // empty: nothing to do
    list.addItem("z", 0, 0, 0);
    list.addItem("y", 0, 0, 0);
    EXPECT_EQ(names(list), (Names{"z", "y"})); // appended, not sorted
}

// After a rename in place the items keep their sizes and times under the new
// names; the order and the hidden bit follow the new names, and a file that
// kept its old name leaves the list.
TEST(FileList, RenamedItemsFollowTheirNewNames)
{
    TMyFileList list("");
    list.addItem("a.txt", 1, 1'600'000'000, FileAttr::Archive);
    list.addItem(sjisPhoto, 2, 1'600'000'000, FileAttr::Archive);
    list.addItem(".dot", 3, 1'600'000'000, FileAttr::Archive | FileAttr::Hidden);
    list.addItem("b.txt", 4, 1'600'000'000, FileAttr::Archive | FileAttr::ReadOnly);
    list.SetSortType(SortOrder::NameUp); // .dot a.txt b.txt 写真.jpg
    list.SetNewName(0, "z.txt");

    list.renameItems({"z.txt", "", sjisTable, ".y"});
    list.SortList();

    EXPECT_EQ(names(list), (Names{".y", "z.txt", sjisTable}));
    EXPECT_EQ(list.item(0)->Size, 2);
    EXPECT_EQ(list.GetFileAttr(0), FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(list.GetFileAttr(1), FileAttr::Archive) << "a dot-name no longer";
    EXPECT_EQ(list.GetFileAttr(2), FileAttr::Archive | FileAttr::ReadOnly);
    EXPECT_EQ(list.GetNewName(1), "");
    list.SetSortType(SortOrder::NameDown);
    EXPECT_EQ(names(list), (Names{sjisTable, "z.txt", ".y"}));
}

} // namespace
} // namespace torvel
