#include "FileProp.h"

#include "DosDateTime.h"
#include "FileAttributes.h"
#include "FilesList.h"
#include "FolderScan.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace torvel {
namespace {

using test::ScopedTimeZone;
using test::tokyoInstant;
using Names = std::vector<std::string>;

Names names(const TMyFileList& list)
{
    Names out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.GetFileName(i));
    return out;
}

class FileProp : public ::testing::Test
{
protected:
    FileProp()
    {
        m_dir.makeFile("Photo.JPG", 300, tokyoInstant(2021, 3, 4, 5, 6, 7));
        m_dir.makeFile("memo.txt", 100, tokyoInstant(2020, 1, 1, 0, 0, 0));
        m_dir.makeFile("data.doc", 200);
        m_dir.makeFile(sjisTest + ".txt", 50);
        m_dir.makeFile(".hidden", 10);
        m_dir.makeFile("写真.ｊｐｇ", 20);
        m_dir.makeFile("readme", 30);
    }

    FilePropResult rebuild(Names selection, std::vector<ExtensionChoice> filter,
                           std::optional<SortOrder> order = SortOrder::NameUp)
    {
        FilePropInput input;
        input.selectedFiles = std::move(selection);
        input.filter = std::move(filter);
        input.searchDir = m_dir.path();
        input.sort = order;
        return rebuildFileList(m_list, input);
    }

    ScopedTimeZone m_zone{"Asia/Tokyo"};
    ScratchDir m_dir;
    TMyFileList m_list{""};
};

TEST_F(FileProp, KeepsTickedExtensionsIgnoringCase)
{
    const auto result = rebuild({"data.doc", "memo.txt", sjisTest + ".txt", "Photo.JPG"},
                                {{".TXT", true}, {".doc", false}, {".jpg", true}});
    EXPECT_EQ(names(m_list), (Names{"memo.txt", "Photo.JPG", sjisTest + ".txt"}));
    // The extension box shows the first chosen file's extension, whatever it is.
    EXPECT_TRUE(result.searchExtChanged);
    EXPECT_EQ(result.SearchExt, "doc");
    EXPECT_EQ(result.folderError, 0);
    EXPECT_EQ(result.searchDir, m_dir.path());
}

TEST_F(FileProp, ExtensionBoxFollowsTheFirstChosenName)
{
    EXPECT_EQ(rebuild({"Photo.JPG"}, {{".jpg", true}}).SearchExt, "jpg");
    EXPECT_EQ(rebuild({"readme", "memo.txt"}, {{"", true}}).SearchExt, "");
    EXPECT_EQ(rebuild({"写真.ｊｐｇ"}, {{".ｊｐｇ", true}}).SearchExt, "ｊｐｇ");
    EXPECT_EQ(names(m_list), (Names{"写真.ｊｐｇ"}));
    const auto empty = rebuild({}, {{".txt", true}});
    EXPECT_FALSE(empty.searchExtChanged);
    EXPECT_EQ(m_list.Count(), 0);
}

TEST_F(FileProp, LeavesOutNamesThatAreGoneOrNotExact)
{
    rebuild({"memo.txt", "gone.txt", "MEMO.TXT", "photo.jpg"}, {{".txt", true}, {".jpg", true}});
    // This file system tells case apart: "photo.jpg" is not "Photo.JPG".
    EXPECT_EQ(names(m_list), (Names{"memo.txt"}));
}

TEST_F(FileProp, ReadsSizeTimeAndAttributesFromDisk)
{
    m_dir.setXattr("memo.txt", "user.DOSATTRIB", "0x2");
    rebuild({"Photo.JPG", "memo.txt", ".hidden", "data.doc"},
            {{".jpg", true}, {".txt", true}, {".hidden", true}, {".doc", true}},
            SortOrder::SmallestFirst);
    EXPECT_EQ(names(m_list), (Names{".hidden", "memo.txt", "data.doc", "Photo.JPG"}));
    EXPECT_EQ(m_list.item(3)->Size, 300);
    LocalDateTime t;
    ASSERT_TRUE(unpackDosDateTime(static_cast<std::uint32_t>(m_list.GetFileTime(3)), t));
    EXPECT_EQ(t, (LocalDateTime{2021, 3, 4, 5, 6, 6, 0}));
    EXPECT_EQ(m_list.GetFileAttr(0),
              static_cast<std::int32_t>(FileAttr::Hidden | FileAttr::Archive));
    EXPECT_EQ(m_list.GetFileAttr(1), static_cast<std::int32_t>(FileAttr::Hidden));
    EXPECT_EQ(m_list.GetFileAttr(2), static_cast<std::int32_t>(FileAttr::Archive));
}

TEST_F(FileProp, SortsByTheGivenOrderOrNotAtAll)
{
    const Names chosen = {"readme", "memo.txt", "data.doc"};
    const std::vector<ExtensionChoice> all = {{"", true}, {".txt", true}, {".doc", true}};
    rebuild(chosen, all, std::nullopt);
    EXPECT_EQ(names(m_list), chosen);
    rebuild(chosen, all, SortOrder::LargestFirst);
    EXPECT_EQ(names(m_list), (Names{"data.doc", "memo.txt", "readme"})); // largest first
    EXPECT_EQ(m_list.SortType(), SortOrder::LargestFirst);
}

struct Item
{
    std::string name;
    std::int64_t size;
    std::int64_t timeKey;
    std::int32_t attributes;
    bool operator==(const Item&) const = default;
};

std::vector<Item> items(TMyFileList& list)
{
    std::vector<Item> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(
            {list.GetFileName(i), list.item(i)->Size, list.item(i)->TimeKey, list.GetFileAttr(i)});
    return out;
}

// What a folder scan saw is taken in place of a look at each file, but only
// for the selection and the folder it was made of.
TEST_F(FileProp, TakesAScansFactsOnlyForItsSelectionAndFolder)
{
    m_dir.setXattr("memo.txt", "user.DOSATTRIB", "0x2");
    FolderScanFacts facts;
    Names scanned;
    ASSERT_EQ(scanFolderFiles(m_dir.path(), scanned, &facts), 0);
    const std::vector<ExtensionChoice> filter = {{".txt", true},    {".doc", false},
                                                 {"", true},        {".jpg", true},
                                                 {".hidden", true}, {".ｊｐｇ", true}};
    FilePropInput input{scanned, filter, m_dir.path(), SortOrder::NewestFirst, nullptr};
    rebuildFileList(m_list, input);
    const std::vector<Item> fresh = items(m_list);
    ASSERT_EQ(fresh.size(), 6U);
    input.scanned = &facts;
    rebuildFileList(m_list, input);
    EXPECT_EQ(items(m_list), fresh);

    // Taken: what the scan saw, not what is on disk now.
    const auto placeOf = [&scanned](const std::string& name) {
        return static_cast<std::size_t>(std::find(scanned.begin(), scanned.end(), name)
                                        - scanned.begin());
    };
    facts.files[placeOf("memo.txt")].info.size = 4711;
    facts.files[placeOf("readme")].error = ENOENT;
    input.sort = SortOrder::LargestFirst;
    rebuildFileList(m_list, input);
    ASSERT_EQ(m_list.Count(), 5);
    EXPECT_EQ(m_list.item(0)->FileName, "memo.txt");
    EXPECT_EQ(m_list.item(0)->Size, 4711);
    // Not taken: another folder, or a selection of another length.
    ScratchDir other;
    other.makeFile("memo.txt", 100);
    input.searchDir = other.path();
    input.selectedFiles = {"memo.txt"};
    input.scanned = &facts;
    rebuildFileList(m_list, input);
    ASSERT_EQ(m_list.Count(), 1);
    EXPECT_EQ(m_list.item(0)->Size, 100);
    input.searchDir = m_dir.path();
    rebuildFileList(m_list, input);
    ASSERT_EQ(m_list.Count(), 1);
    EXPECT_EQ(m_list.item(0)->Size, 100);
}

TEST_F(FileProp, AddsTheSlashAndReportsAFolderThatIsGone)
{
    std::string path = m_dir.path();
    path.pop_back();
    FilePropInput input{{"memo.txt"}, {{".txt", true}}, path, SortOrder::NameUp};
    EXPECT_EQ(rebuildFileList(m_list, input).searchDir, m_dir.path());
    EXPECT_EQ(m_list.Count(), 1);

    input.searchDir = m_dir / "missing";
    const auto result = rebuildFileList(m_list, input);
    EXPECT_EQ(result.folderError, ENOENT);
    EXPECT_EQ(m_list.Count(), 0);
    EXPECT_EQ(result.SearchExt, "txt");
}

} // namespace
} // namespace torvel
