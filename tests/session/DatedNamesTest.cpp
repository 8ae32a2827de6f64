// Names with a date, through the steps both front ends take from the list to
// the preview's marks: within one batch a date never makes two names equal
// (the number tells them apart, and kept numbers get a dash suffix, as core
// tests); a file left out of the choice can hold a dated name, and only that
// row is marked.
#include "FileAttributes.h"
#include "FilesList.h"
#include "RenameSession.h"

#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(DatedNames, OnlyAFileOutsideTheBatchHoldsADatedNameTwice)
{
    const test::ScopedTimeZone tokyo("JST-9");
    const std::int64_t second = test::tokyoInstant(2024, 5, 3, 10, 11, 12);
    struct Case
    {
        const char* name;
        const char* pattern;
        bool avoidDuplicates;
        std::vector<std::string> newNames;
        std::vector<RowConflict> marks;
    };
    const Case cases[] = {
        {"two files of one second, the time in the pattern, a series per day",
         "yyyyMMdd_HHmmss",
         false,
         {"20240503_101112_01.jpg", "20240503_101112_02.jpg"},
         {RowConflict::None, RowConflict::None}},
        {"a file left out of the choice holds the day's first name",
         "yyyyMMdd",
         false,
         {"20240503_01.jpg", "20240503_02.jpg"},
         {RowConflict::NameTaken, RowConflict::None}},
        {"duplicates avoided: the day's number moves past it",
         "yyyyMMdd",
         true,
         {"20240503_02.jpg", "20240503_03.jpg"},
         {RowConflict::None, RowConflict::None}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir folder;
        folder.makeFile("20240503_01.jpg"); // not chosen
        TMyFileList list("");
        for (const char* name : {"IMG1.jpg", "IMG01.jpg"}) {
            folder.makeFile(name, 0, second);
            list.addItem(name, 0, second, FileAttr::Archive);
        }
        RenameOptions options;
        options.dateSource = DateSource::Modified;
        options.datePattern = c.pattern;
        options.numberPerDate = true;
        options.digits = 2;
        options.startNumber = 1;
        options.avoidDuplicates = c.avoidDuplicates;
        ASSERT_TRUE(makeNewNames(list, options, {folder.path(), folder.path()}).ok);
        EXPECT_EQ((std::vector{list.GetNewName(0), list.GetNewName(1)}), c.newNames);
        ConflictFinder finder;
        EXPECT_EQ(conflictsOf(finder, list, folder.path(), folder.path()).marks, c.marks);
    }
}

} // namespace
} // namespace torvel
