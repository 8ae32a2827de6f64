// Names with a date, from the list to the preview's marks as both front ends
// take them. Within a batch a date never makes two names equal (the number
// tells them apart; kept numbers get a dash suffix, as core tests); a file
// left out of the choice can hold a dated name, and only its row is marked.
#include "FileAttributes.h"
#include "FilesList.h"
#include "RenameSession.h"

#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(DatedNames, ARowWhoseDatedNameAFileNotChosenHoldsIsMarked)
{
    const test::ScopedTimeZone tokyo("JST-9");
    const std::int64_t second = test::tokyoInstant(2024, 5, 3, 10, 11, 12);
    ScratchDir folder;
    folder.makeFile("20240503_01.jpg"); // not chosen
    TMyFileList list("");
    for (const char* name : {"a.jpg", "b.jpg"}) {
        folder.makeFile(name, 0, second);
        list.addItem(name, 0, second, FileAttr::Archive);
    }
    RenameOptions options;
    options.dateSource = DateSource::Modified;
    options.datePattern = "yyyyMMdd";
    options.numberPerDate = true;
    options.digits = 2;
    options.startNumber = 1;
    ASSERT_TRUE(makeNewNames(list, options, {folder.path(), folder.path()}).ok);
    EXPECT_EQ(list.GetNewName(0), "20240503_01.jpg");
    EXPECT_EQ(list.GetNewName(1), "20240503_02.jpg");
    ConflictFinder finder;
    EXPECT_EQ(conflictsOf(finder, list, folder.path(), folder.path()).marks,
              (std::vector{RowConflict::NameTaken, RowConflict::None}));
}

} // namespace
} // namespace torvel
