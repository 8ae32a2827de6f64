#include "FileInfo.h"
#include "FolderHandle.h"
#include "FolderScan.h"

#include "common/ScratchDir.h"
#include "common/SampleNames.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace torvel {
namespace {

using Names = std::vector<std::string>;

// The folder's entries in the order the file system lists them, less the
// names left out.
Names listedWithout(const std::string& folder, const std::vector<std::string>& leftOut)
{
    std::vector<ListedEntry> entries;
    EXPECT_EQ(listFolder(folder, entries), 0);
    Names names;
    for (const ListedEntry& entry : entries) {
        if (std::find(leftOut.begin(), leftOut.end(), entry.name) == leftOut.end())
            names.push_back(entry.name);
    }
    return names;
}

// Enough files for the stored attributes to be read in several runs at once:
// marked files early, on a run's edge and last are all left out, and the
// others keep the order of the listing.
TEST(FolderScan, ALargeFolderKeepsTheListingsOrderAndLeavesOutMarkedFiles)
{
    // In memory where there is room: thousands of files are made quickly there.
    const ScratchDir dir(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
    constexpr int kFiles = 9'000;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.txt", i);
        const int fd = ::open((dir / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(::ftruncate(fd, i % 97), 0); // the size tells the file
        ::close(fd);
    }
    std::vector<ListedEntry> entries;
    ASSERT_EQ(listFolder(dir.path(), entries), 0);
    Names marked;
    for (const std::size_t at :
         {std::size_t{3}, std::size_t{8191}, std::size_t{8192}, entries.size() - 1}) {
        if (::setxattr((dir / entries[at].name).c_str(), "user.DOSATTRIB", "0x24", 4, 0) != 0)
            GTEST_SKIP() << "no user attributes on this file system";
        marked.push_back(entries[at].name);
    }
    dir.write("volume", "");
    ASSERT_EQ(::setxattr((dir / "volume").c_str(), "user.DOSATTRIB", "0x8", 3, 0), 0);
    dir.write("hidden-only", "");
    ASSERT_EQ(::setxattr((dir / "hidden-only").c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
    marked.push_back("volume");

    Names names;
    EXPECT_EQ(scanFolderFiles(dir.path(), names), 0);
    EXPECT_EQ(names, listedWithout(dir.path(), marked));

    // What was seen of each file stays beside its name across the runs.
    Names again;
    FolderScanFacts facts;
    EXPECT_EQ(scanFolderFiles(dir.path(), again, &facts), 0);
    EXPECT_EQ(again, names);
    ASSERT_EQ(facts.files.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int number = names[i].front() == 'f' ? std::stoi(names[i].substr(1, 5)) : 0;
        ASSERT_EQ(facts.files[i].error, 0) << names[i];
        ASSERT_EQ(facts.files[i].info.size, number % 97) << names[i];
    }
}

// The look the scan takes at each file is the one a reader of the folder
// would take afresh, stored attributes included.
TEST(FolderScan, SeesEachFileAsAFreshLookDoes)
{
    ScratchDir dir;
    dir.makeFile("plain", 12, 1'600'000'000);
    dir.makeFile(".hidden", 3);
    dir.makeFile("locked", 5, -1, 0444);
    dir.makeFile(sjisTest, 7);
    dir.makeFile("stored", 1);
    dir.setXattr("stored", "user.DOSATTRIB", "0x2");
    dir.makeLink(dir / "plain", "to-plain");
    dir.makeLink(dir / "gone", "dangling");

    Names names;
    FolderScanFacts facts;
    facts.files.resize(3); // replaced, not added to
    ASSERT_EQ(scanFolderFiles(dir.path(), names, &facts), 0);
    ASSERT_EQ(names.size(), 7U);
    ASSERT_EQ(facts.files.size(), names.size());
    struct stat folder
    {};
    ASSERT_EQ(::stat(dir.path().c_str(), &folder), 0);
    EXPECT_EQ(facts.device, folder.st_dev);
    EXPECT_EQ(facts.inode, folder.st_ino);

    const FolderHandle handle(dir.path());
    for (std::size_t i = 0; i < names.size(); ++i) {
        FileInfo fresh;
        ASSERT_EQ(readFileInfo(handle, names[i], fresh), 0) << names[i];
        const ScannedFile& seen = facts.files[i];
        EXPECT_EQ(seen.error, 0) << names[i];
        EXPECT_TRUE(seen.info.storedName.empty()) << names[i];
        EXPECT_EQ(seen.info.size, fresh.size) << names[i];
        EXPECT_EQ(seen.info.mtimeSeconds, fresh.mtimeSeconds) << names[i];
        EXPECT_EQ(seen.info.mtimeNanoseconds, fresh.mtimeNanoseconds) << names[i];
        EXPECT_EQ(seen.info.attributes, fresh.attributes) << names[i];
        EXPECT_EQ(seen.info.attributesPending, fresh.attributesPending) << names[i];
        EXPECT_FALSE(seen.info.isFolder) << names[i];
    }
}

TEST(FolderScan, TakesFilesAndLinksToFilesOnly)
{
    ScratchDir dir;
    dir.makeFile("plain");
    dir.makeFile(".hidden");
    dir.makeFile("locked", 0, -1, 0444);
    dir.makeFile(sjisTest);
    dir.makeFolder("sub");
    dir.makeLink(dir / "sub", "to-sub");
    dir.makeLink(dir / "plain", "to-plain");
    dir.makeLink(dir / "gone", "dangling");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);

    Names names = {"kept from before"};
    EXPECT_EQ(scanFolderFiles(dir.path(), names), 0);
    EXPECT_EQ(names.front(), "kept from before") << "names are appended";
    names.erase(names.begin());
    EXPECT_EQ(names, listedWithout(dir.path(), {"sub", "to-sub", "pipe"}));

    Names none;
    EXPECT_EQ(scanFolderFiles(dir / "missing", none), ENOENT);
    EXPECT_TRUE(none.empty());
}

} // namespace
} // namespace torvel
