#include "FileAttributes.h"
#include "FileInfo.h"
#include "FolderHandle.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace torvel {
namespace {

TEST(FolderHandle, OpensFoldersOnlyAndKeepsTheSlash)
{
    ScratchDir dir;
    dir.makeFile("file");
    std::string path = dir.path();
    path.pop_back();
    const FolderHandle handle(path);
    EXPECT_TRUE(handle.isOpen());
    EXPECT_EQ(handle.path(), dir.path());

    const FolderHandle missing(dir / "missing");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.error(), ENOENT);
    EXPECT_EQ(FolderHandle(dir / "file").error(), ENOTDIR);

    FolderHandle moved(std::move(const_cast<FolderHandle&>(handle)));
    EXPECT_TRUE(moved.isOpen());
    EXPECT_EQ(FolderHandle("").error(), ENOENT);
}

TEST(FileInfo, ReadsWholeSizeAndTimeOfRealFiles)
{
    ScratchDir dir;
    const std::int64_t big = (std::int64_t{5} << 30) + 3; // 5 GiB and 3 bytes
    dir.makeFile("big.bin", big, 1'600'000'000, 0644, 123'456'789);
    dir.makeFile(sjisTest + ".txt", 17, 2'400'000'000); // Shift-JIS name, year 2046
    const FolderHandle handle(dir.path());

    FileInfo info;
    ASSERT_EQ(readFileInfo(handle, "big.bin", info), 0);
    EXPECT_EQ(info.storedName, "big.bin");
    EXPECT_EQ(info.size, big);
    EXPECT_EQ(info.mtimeSeconds, 1'600'000'000);
    EXPECT_EQ(info.mtimeNanoseconds, 123'456'789);
    EXPECT_FALSE(info.isFolder);

    ASSERT_EQ(readFileInfo(handle, sjisTest + ".txt", info), 0);
    EXPECT_EQ(info.storedName, sjisTest + ".txt");
    EXPECT_EQ(info.size, 17);
    EXPECT_EQ(info.mtimeSeconds, 2'400'000'000);
}

TEST(FileInfo, ReportsWhatIsNotThere)
{
    ScratchDir dir;
    dir.makeFolder("sub");
    dir.makeFile("sub/inner");
    const FolderHandle handle(dir.path());
    FileInfo info;
    EXPECT_EQ(readFileInfo(handle, "missing", info), ENOENT);
    EXPECT_EQ(readFileInfo(handle, "sub/inner", info), EINVAL); // not a bare name
    EXPECT_EQ(readFileInfo(handle, "..", info), ENOENT);
    EXPECT_EQ(readFileInfo(FolderHandle(dir / "missing"), "x", info), ENOENT);

    ASSERT_EQ(readFileInfo(handle, "sub", info), 0);
    EXPECT_TRUE(info.isFolder);
    EXPECT_EQ(info.size, 0);
    EXPECT_EQ(info.attributes, FileAttr::Folder);
}

TEST(FileInfo, ListsALinkWhoseTargetIsGone)
{
    ScratchDir dir;
    dir.makeLink("nowhere", "dangling");
    FileInfo info;
    ASSERT_EQ(readFileInfo(FolderHandle(dir.path()), "dangling", info), 0);
    EXPECT_FALSE(info.isFolder);
    EXPECT_EQ(info.attributes, FileAttr::Archive);
}

TEST(Attributes, DefaultsWithoutAStoredValue)
{
    ScratchDir dir;
    dir.makeFile("plain.txt");
    dir.makeFile("locked.txt", 0, -1, 0444);
    dir.makeFile("group-writable.txt", 0, -1, 0464);
    dir.makeFile(".hidden");
    dir.makeFolder("folder");
    dir.makeFolder(".config");
    const FolderHandle handle(dir.path());
    const auto attributes = [&](const std::string& name) {
        std::uint32_t a = 0xFFFF;
        EXPECT_EQ(readAttributes(handle, name, a), 0) << name;
        return a;
    };
    EXPECT_EQ(attributes("plain.txt"), FileAttr::Archive);
    EXPECT_EQ(attributes("locked.txt"), FileAttr::Archive | FileAttr::ReadOnly);
    EXPECT_EQ(attributes("group-writable.txt"), FileAttr::Archive);
    EXPECT_EQ(attributes(".hidden"), FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(attributes("folder"), FileAttr::Folder);
    EXPECT_EQ(attributes(".config"), FileAttr::Folder | FileAttr::Hidden);
    std::uint32_t a = 0;
    EXPECT_EQ(readAttributes(handle, "missing", a), ENOENT);
}

// Samba's record with an empty hex text: version and level at 2, flags at 8,
// attribute word at 12, then time stamps.
std::string sambaRecord(std::uint16_t version, std::uint32_t flags, std::uint32_t attributes)
{
    std::string v(32, '\0');
    v[2] = static_cast<char>(version);
    v[4] = static_cast<char>(version);
    for (int i = 0; i < 4; ++i) {
        v[8 + static_cast<std::size_t>(i)] = static_cast<char>(flags >> (8 * i));
        v[12 + static_cast<std::size_t>(i)] = static_cast<char>(attributes >> (8 * i));
    }
    for (std::size_t i = 16; i < 32; ++i)
        v[i] = static_cast<char>(0xA0 + i); // a creation time that must survive
    return v;
}

TEST(Attributes, ReadsTheStoredValueInEveryForm)
{
    ScratchDir dir;
    const FolderHandle handle(dir.path());
    const auto stored = [&](const std::string& value, mode_t mode = 0644) {
        static int n = 0;
        const std::string name = "f" + std::to_string(++n);
        dir.makeFile(name, 0, -1, mode);
        dir.setXattr(name, "user.DOSATTRIB", value);
        std::uint32_t a = 0xFFFF;
        EXPECT_EQ(readAttributes(handle, name, a), 0);
        return a;
    };
    EXPECT_EQ(stored("0x2"), FileAttr::Hidden); // hidden, archive not stored
    EXPECT_EQ(stored("0x22"), FileAttr::Hidden | FileAttr::Archive);
    EXPECT_EQ(stored("0X21"), FileAttr::ReadOnly | FileAttr::Archive); // read-only stored
    EXPECT_EQ(stored("0x0", 0444), FileAttr::ReadOnly);                // read-only from mode
    EXPECT_EQ(stored(std::string("0x24") + '\0'), FileAttr::System | FileAttr::Archive);
    EXPECT_EQ(stored(sambaRecord(4, 0x11, 0x22)), FileAttr::Hidden | FileAttr::Archive);
    EXPECT_EQ(stored(sambaRecord(5, 0x01, 0x80)), 0u); // "normal" carries none of ours
    // A record without the valid-attribute flag, or one not understood: defaults.
    EXPECT_EQ(stored(sambaRecord(4, 0x10, 0x02)), FileAttr::Archive);
    EXPECT_EQ(stored("hidden"), FileAttr::Archive);
    EXPECT_EQ(stored(""), FileAttr::Archive);

    // The record with its hex text in front, as Samba also writes it: the
    // fields move by the text's length; the record's word counts.
    const std::string withText = std::string("0x20\0\0", 6) + sambaRecord(4, 0x11, 0x22).substr(2);
    EXPECT_EQ(stored(withText), FileAttr::Hidden | FileAttr::Archive);
}

TEST(Attributes, DeferredStoredValueGivesTheSameWord)
{
    ScratchDir dir;
    dir.makeFile(".dot");
    dir.makeFile("locked", 0, -1, 0444);
    dir.setXattr("locked", "user.DOSATTRIB", "0x2");
    dir.makeFile("plain");
    const FolderHandle handle(dir.path());
    for (const std::string name : {".dot", "locked", "plain"}) {
        FileInfo eager;
        FileInfo deferred;
        ASSERT_EQ(readFileInfo(handle, name, eager), 0);
        ASSERT_EQ(readFileInfo(handle, name, deferred, StoredAttributes::Defer), 0);
        EXPECT_FALSE(eager.attributesPending);
        EXPECT_TRUE(deferred.attributesPending);
        EXPECT_EQ(completeAttributeWord(deferred.attributes, readDosAttrib(handle, name)),
                  eager.attributes)
            << name;
    }
}

TEST(FileExists, MeansAnEntryThatIsNoFolder)
{
    ScratchDir dir;
    dir.makeFile("file.txt");
    dir.makeFile(sjisTest);
    dir.makeFolder("folder");
    dir.makeLink("file.txt", "link-to-file");
    dir.makeLink("folder", "link-to-folder");
    dir.makeLink("gone", "dangling");
    const FolderHandle handle(dir.path());
    EXPECT_TRUE(fileExists(handle, "file.txt"));
    EXPECT_TRUE(fileExists(handle, sjisTest));
    EXPECT_FALSE(fileExists(handle, "FILE.TXT")); // this file system tells case apart
    EXPECT_FALSE(fileExists(handle, "folder"));
    EXPECT_TRUE(fileExists(handle, "link-to-file"));
    EXPECT_FALSE(fileExists(handle, "link-to-folder"));
    EXPECT_TRUE(fileExists(handle, "dangling")); // its name is taken
    EXPECT_FALSE(fileExists(handle, "missing"));
    EXPECT_FALSE(fileExists(handle, "folder/x"));
    EXPECT_FALSE(fileExists(handle, std::string(300, 'x'))); // no file can have it
    EXPECT_FALSE(fileExists(FolderHandle(dir / "missing"), "file.txt"));
}

TEST(ListFolder, GivesEveryNameAsBytes)
{
    ScratchDir dir;
    dir.makeFile("a.txt");
    dir.makeFile(sjisTest + ".txt");
    dir.makeFile(".hidden");
    dir.makeFolder("sub");
    dir.makeLink("sub", "link");
    std::vector<ListedEntry> entries;
    ASSERT_EQ(listFolder(dir.path(), entries), 0);
    std::sort(entries.begin(), entries.end(),
              [](const ListedEntry& x, const ListedEntry& y) { return x.name < y.name; });
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].name, ".hidden");
    EXPECT_EQ(entries[1].name, "a.txt");
    EXPECT_EQ(entries[2].name, "link");
    EXPECT_TRUE(entries[2].isFolder);
    EXPECT_EQ(entries[3].name, "sub");
    EXPECT_TRUE(entries[3].isFolder);
    EXPECT_EQ(entries[4].name, sjisTest + ".txt");
    EXPECT_FALSE(entries[4].isFolder);
    EXPECT_EQ(listFolder(dir / "missing", entries), ENOENT);
}

} // namespace
} // namespace torvel
