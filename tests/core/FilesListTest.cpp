#include "FilesList.h"

#include "DosDateTime.h"
#include "FileAttributes.h"

#include "FileProp.h"

#include "common/SampleImages.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
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

    Names sorted(SortOrder order)
    {
        m_list.SetSortType(order);
        return names(m_list);
    }
};

TEST_F(FileListOrders, NameOrdersIgnoreAsciiCaseAndAreExactReverses)
{
    for (const char* n : {"b.txt", "C.txt", "a.txt", "A.txt", "写真.jpg", ".hidden"})
        add(n, 1, 1'600'000'000);
    const Names up = sorted(SortOrder::NameUp);
    EXPECT_EQ(up, (Names{".hidden", "A.txt", "a.txt", "b.txt", "C.txt", "写真.jpg"}));
    Names down = sorted(SortOrder::NameDown);
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
    EXPECT_EQ(sorted(SortOrder::NewestFirst), (Names{"new", "a", "b", "c", "old"}));
    EXPECT_EQ(sorted(SortOrder::OldestFirst), (Names{"old", "c", "b", "a", "new"}));
}

TEST_F(FileListOrders, SizeOrdersUseTheWholeSize)
{
    add("small", 10, 0);
    add("two-gib", 2 * GiB, 0);            // negative as a signed 32-bit number
    add("four-gib-and-1", 4 * GiB + 1, 0); // 1 in its low 32 bits
    add("tie-b", 100, 0);
    add("tie-a", 100, 0);
    EXPECT_EQ(sorted(SortOrder::SmallestFirst),
              (Names{"small", "tie-a", "tie-b", "two-gib", "four-gib-and-1"}));
    EXPECT_EQ(sorted(SortOrder::LargestFirst),
              (Names{"four-gib-and-1", "two-gib", "tie-b", "tie-a", "small"}));
}

TEST_F(FileListOrders, TimesTheDosFormCannotHoldSortByTheirInstant)
{
    add("y1975", 0, tokyoInstant(1975, 1, 1, 0, 0, 0));
    add("y1990", 0, tokyoInstant(1990, 1, 1, 0, 0, 0));
    add("y2044", 0, tokyoInstant(2044, 1, 1, 0, 0, 0));
    add("y2120", 0, tokyoInstant(2120, 1, 1, 0, 0, 0));
    EXPECT_EQ(sorted(SortOrder::NewestFirst), (Names{"y2120", "y2044", "y1990", "y1975"}));
    EXPECT_EQ(sorted(SortOrder::OldestFirst), (Names{"y1975", "y1990", "y2044", "y2120"}));
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
    for (int order : {0, 2, 4, 6, 8}) {
        const Names forward = sorted(static_cast<SortOrder>(order));
        Names backward = sorted(static_cast<SortOrder>(order + 1));
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(forward, backward) << order;
        EXPECT_EQ(sorted(static_cast<SortOrder>(order)), forward) << "repeatable";
    }
}

TEST_F(FileListOrders, NaturalOrderComparesDigitRunsAsNumbers)
{
    const std::string sjisImage = "\x89\xe6\x91\x9c"; // 画像
    const std::string nines(39, '9');
    struct Case
    {
        const char* name;
        Names expected; // natural order; added in reverse
    };
    const Case cases[] = {
        {"digits inside", {"img1.jpg", "IMG2.jpg", "img10.jpg", "img100.jpg"}},
        {"leading zeros break ties", {"img001.jpg", "img01.jpg", "img1.jpg", "img2.jpg"}},
        {"full-width digits", {"写真９.jpg", "写真10.jpg", "写真１１.jpg", "写真１００.jpg"}},
        {"Japanese around digits", {"第2話9枚目.png", "第2話10枚目.png", "第10話1枚目.png"}},
        {"very long runs", {"x" + nines, "x1" + std::string(39, '0'), "x" + std::string(300, '7')}},
        {"several runs", {"v1.2.9", "v1.2.10", "v1.10.1", "v2"}},
        {"Shift-JIS names", {sjisSeries, sjisImage + "9.jpg", sjisImage + "10.jpg"}},
    };
    for (const Case& c : cases) {
        m_list.ClearList();
        for (auto n = c.expected.rbegin(); n != c.expected.rend(); ++n)
            add(*n, 0, 0);
        EXPECT_EQ(sorted(SortOrder::NaturalUp), c.expected) << c.name;
        Names down = sorted(SortOrder::NaturalDown);
        std::reverse(down.begin(), down.end());
        EXPECT_EQ(down, c.expected) << c.name;
    }
}

// A list long enough that the keys are made on two threads orders as the
// collator compares, by name and naturally.
TEST_F(FileListOrders, OrdersOfALongListAreTheCollatorsOrders)
{
    std::mt19937 random(11);
    Names expected;
    for (int i = 0; i < 5000; ++i) {
        expected.push_back((random() % 2 ? "写真" : "IMG_") + std::to_string(random() % 100000)
                           + (random() % 3 ? ".jpg" : "-" + std::to_string(i) + ".JPG"));
        add(expected.back(), 0, 0);
    }
    const NameCollator plain("");
    std::sort(expected.begin(), expected.end(),
              [&](const std::string& a, const std::string& b) { return plain.compare(a, b) < 0; });
    EXPECT_EQ(sorted(SortOrder::NameUp), expected);
    const NameCollator natural("", DigitRuns::AsNumbers);
    std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
        return natural.compare(a, b) < 0;
    });
    EXPECT_EQ(sorted(SortOrder::NaturalUp), expected);
}

TEST(FileListShootingDates, OrderByTheDateTheFileRecordsElseItsTimeStamp)
{
    const ScopedTimeZone zone("Asia/Tokyo");
    ScratchDir dir;
    const char* original = "Exif.Photo.DateTimeOriginal";
    const char* subSeconds = "Exif.Photo.SubSecTimeOriginal";
    test::writeJpeg(dir / "a.jpg", {{original, "2021:03:04 10:00:00"}});
    test::writeJpeg(dir / "b.jpg", {{original, "2021:03:04 10:00:00"}});
    test::writeJpeg(dir / "c.jpg", {{original, "2020:01:01 10:00:00"}, {subSeconds, "5"}});
    test::writeJpeg(dir / "d.jpg", {{original, "2020:01:01 10:00:00"}, {subSeconds, "25"}});
    test::writeJpeg(dir / "e.jpg"); // no date: its time stamp, in 2019
    ::utimensat(AT_FDCWD, (dir / "e.jpg").c_str(),
                std::array<timespec, 2>{timespec{0, UTIME_OMIT}, timespec{1'560'000'000, 0}}.data(),
                0);
    dir.write("f.txt", "no photo, written now");

    TMyFileList list("");
    int reads = 0;
    list.setShootingDateProgress(
        [&](std::size_t done, std::size_t total) { reads += done == total; });
    FilePropInput input;
    input.selectedFiles = {"f.txt", "a.jpg", "e.jpg", "b.jpg", "d.jpg", "c.jpg"};
    input.filter = {{".jpg", true}, {".txt", true}};
    input.searchDir = dir.path();
    input.sort = SortOrder::NameUp;
    rebuildFileList(list, input);
    EXPECT_EQ(list.shootingDate(0), std::nullopt) << "not read for the other orders";
    EXPECT_EQ(reads, 0);

    list.SetSortType(SortOrder::ShotOldestFirst);
    // Sub-seconds first; dates equal to the sub-second keep the camera's
    // order, name ascending (not as the oldest-first time order does).
    EXPECT_EQ(names(list), (Names{"e.jpg", "d.jpg", "c.jpg", "a.jpg", "b.jpg", "f.txt"}));
    EXPECT_EQ(list.shootingDate(1),
              (ShootingDate{tokyoInstant(2020, 1, 1, 10, 0, 0), 250'000'000}));
    EXPECT_EQ(list.shootingDate(0), std::nullopt);
    list.SetSortType(SortOrder::ShotNewestFirst);
    EXPECT_EQ(names(list), (Names{"f.txt", "b.jpg", "a.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    list.SetSortType(SortOrder::NameUp);
    list.readShootingDates();
    EXPECT_EQ(reads, 1) << "read once per rebuild";
    list.DeleteItem(0);
    list.SetSortType(SortOrder::ShotOldestFirst);
    EXPECT_EQ(names(list), (Names{"e.jpg", "d.jpg", "c.jpg", "b.jpg", "f.txt"}));
    EXPECT_EQ(reads, 1);

    input.sort = SortOrder::ShotOldestFirst;
    rebuildFileList(list, input);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(list.GetFileName(0), "e.jpg");
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
