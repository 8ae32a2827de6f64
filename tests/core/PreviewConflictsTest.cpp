#include "PreviewConflicts.h"

#include "FileAttributes.h"
#include "FilesList.h"
#include "NameLimits.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

struct Row
{
    std::string current;
    std::string newName;
    RowConflict expected;
};

struct Case
{
    const char* what;
    bool inPlace;
    std::vector<std::string> sourceFiles;
    std::vector<std::string> destinationFiles;
    std::vector<Row> rows;
};

TEST(PreviewConflicts, MarksEveryRowThatWouldNotGoThroughAsShown)
{
    const std::string tooLong(256, 'n');
    const Case cases[] = {
        {"a series shifted onto itself in place",
         true,
         {"a1", "a2"},
         {},
         {{"a1", "a2", RowConflict::None}, {"a2", "a3", RowConflict::None}}},
        {"a name held outside the batch",
         true,
         {"a", "x"},
         {},
         {{"a", "x", RowConflict::NameTaken}}},
        {"a name held in the destination",
         false,
         {"a"},
         {"x"},
         {{"a", "x", RowConflict::NameTaken}}},
        {"the same name in the destination",
         false,
         {sjisTest},
         {sjisTest},
         {{sjisTest, sjisTest, RowConflict::NameTaken}}},
        {"two rows with one new name",
         false,
         {"a", sjisTest},
         {},
         {{"a", "x", RowConflict::None}, {sjisTest, "x", RowConflict::SameNewName}}},
        {"names no file system here holds",
         true,
         {"a", "b"},
         {},
         {{"a", tooLong, RowConflict::CannotHold}, {"b", "c/d", RowConflict::CannotHold}}},
        {"a source that is gone", true, {"b"}, {}, {{"a", "x", RowConflict::SourceGone}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir source;
        ScratchDir destination;
        for (const auto& name : c.sourceFiles)
            source.makeFile(name);
        for (const auto& name : c.destinationFiles)
            destination.makeFile(name);
        TMyFileList list("");
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            list.addItem(c.rows[i].current, 0, 1'600'000'000, FileAttr::Archive);
            list.SetNewName(static_cast<int>(i), c.rows[i].newName);
        }
        const auto conflicts =
            findConflicts(list, source.path(), c.inPlace ? source.path() : destination.path());
        ASSERT_EQ(conflicts.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(conflicts[i], c.rows[i].expected) << "row " << i;
    }
    EXPECT_FALSE(isDosName("a:b.txt"));
    EXPECT_FALSE(isDosName("\x95\x5c"
                           "01.txt")); // Shift-JIS with a "\" for its second byte
    EXPECT_FALSE(isDosName("trailing."));
    EXPECT_TRUE(isDosName("写真 01.jpg"));
}

} // namespace
} // namespace torvel
