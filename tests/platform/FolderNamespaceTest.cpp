#include "FolderNamespace.h"
#include "FolderTestTree.h"
#include "common/SampleNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace torvel {
namespace {

using test::FolderTestTree;

// A namespace whose home, desktop and one volume all live in a temporary tree.
struct FolderNamespaceTest : ::testing::Test
{
    FolderTestTree tree;
    std::string home = tree.folder("home/user");
    std::string desktop = tree.folder("home/user/Desktop");
    std::string volume = tree.folder("media/user/USB STICK");
    FolderNamespace names{FolderPlaces{home, desktop, {volume}}};

    std::vector<std::string> namesIn(const ItemIdList& folder)
    {
        auto entries = names.listSubfolders(folder);
        if (!entries)
            return {"<not listed>"};
        std::sort(entries->begin(), entries->end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.sortKey < b.sortKey; });
        std::vector<std::string> result;
        for (const FolderEntry& entry : *entries)
            result.push_back(entry.name);
        return result;
    }
    ItemIdList parse(const std::string& path)
    {
        auto list = names.parsePath(path);
        return list ? *list : ItemIdList();
    }
};

TEST_F(FolderNamespaceTest, DesktopHoldsHomeRootAndVolumesInThatOrder)
{
    const auto entries = names.listSubfolders(ItemIdList::empty());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ(namesIn(ItemIdList::empty()), (std::vector<std::string>{"ホーム", "/", "USB STICK"}));
    for (const FolderEntry& entry : *entries) {
        EXPECT_TRUE(entry.hasSubfolders);
        EXPECT_EQ(entry.item.itemCount(), 1u);
        EXPECT_EQ(names.displayName(entry.item), entry.name);
        EXPECT_EQ(names.iconOf(entry.item), entry.icon);
    }
    EXPECT_EQ(names.pathOf((*entries)[0].item), home);
    EXPECT_EQ(names.pathOf((*entries)[1].item), "/");
    EXPECT_EQ(names.pathOf((*entries)[2].item), volume);
    EXPECT_EQ(names.iconOf((*entries)[2].item), FolderIcon::Volume);

    EXPECT_EQ(names.displayName(ItemIdList::empty()), "デスクトップ");
    EXPECT_EQ(names.iconOf(ItemIdList::empty()), FolderIcon::Desktop);
    EXPECT_EQ(names.pathOf(ItemIdList::empty()), desktop);
    EXPECT_FALSE(names.pathOf(ItemIdList()));
    EXPECT_FALSE(names.listSubfolders(ItemIdList()));
}

TEST_F(FolderNamespaceTest, ListsFoldersOnlyHiddenAndLinkedOnesIncluded)
{
    tree.folder("home/user/docs/inner");
    tree.folder("home/user/.hidden");
    tree.folder("home/user/" + sjisShown);
    tree.file("home/user/notes.txt");
    tree.file("home/user/.profile");
    tree.link(tree.path("home/user/docs"), "home/user/to-docs");
    tree.link(tree.path("home/user/notes.txt"), "home/user/to-file");
    tree.link(tree.path("home/user/nowhere"), "home/user/dangling");

    const ItemIdList homeList = parse(home);
    EXPECT_EQ(namesIn(homeList),
              (std::vector<std::string>{".hidden", "Desktop", "docs", "to-docs", sjisShown}));

    const auto entries = names.listSubfolders(homeList);
    ASSERT_TRUE(entries);
    for (const FolderEntry& entry : *entries) {
        const bool expected = entry.name == "docs" || entry.name == "to-docs";
        EXPECT_EQ(entry.hasSubfolders, expected) << entry.name;
        EXPECT_EQ(entry.icon, FolderIcon::Folder);
        EXPECT_EQ(names.pathOf(concat(homeList, entry.item)), home + entry.name + '/');
    }
}

TEST_F(FolderNamespaceTest, HasSubfoldersLooksOnlyForFolders)
{
    tree.folder("home/user/a/b");
    tree.folder("home/user/files");
    tree.file("home/user/files/one");
    tree.folder("home/user/linked");
    tree.link(tree.path("home/user/a"), "home/user/linked/to-a");

    EXPECT_TRUE(names.hasSubfolders(parse(home + "a")));
    EXPECT_FALSE(names.hasSubfolders(parse(home + "a/b")));
    EXPECT_FALSE(names.hasSubfolders(parse(home + "files")));
    EXPECT_TRUE(names.hasSubfolders(parse(home + "linked")));
    EXPECT_TRUE(names.hasSubfolders(ItemIdList::empty()));
}

TEST_F(FolderNamespaceTest, AFolderThatCannotBeListedGivesNone)
{
    tree.folder("home/user/gone");
    const ItemIdList gone = parse(home + "gone");
    ASSERT_FALSE(gone.isNull());
    ::rmdir(tree.path("home/user/gone").c_str());
    EXPECT_FALSE(names.listSubfolders(gone));
}

TEST_F(FolderNamespaceTest, SiblingsOrderByNameIgnoringCaseThenByBytes)
{
    for (const char* name : {"beta", "alpha", "Alpha", "Gamma", "delta", "10", "9"})
        tree.folder(std::string("home/user/") + name);
    EXPECT_EQ(namesIn(parse(home)), (std::vector<std::string>{"10", "9", "Alpha", "alpha", "beta",
                                                              "delta", "Desktop", "Gamma"}));

    const auto lastItem = [&](const std::string& path) {
        const ItemIdList list = parse(path);
        return list.itemAt(*list.lastOffset());
    };
    const ItemIdList upper = lastItem(home + "Alpha"), lower = lastItem(home + "alpha");
    EXPECT_LT(names.compare(upper, lower), 0);
    EXPECT_GT(names.compare(lower, upper), 0);
    EXPECT_EQ(names.compare(upper, lastItem(home + "Alpha")), 0);
    EXPECT_LT(names.compare(lower, lastItem(home + "beta")), 0);
}

TEST_F(FolderNamespaceTest, AShiftJisNameSortsByItsText)
{
    tree.folder("home/user/" + sjisShown); // 表示 in CP932
    tree.folder("home/user/表面");         // UTF-8, same first character
    tree.folder("home/user/zzz");
    const std::vector<std::string> listed = namesIn(parse(home));
    auto pos = [&](const std::string& n) {
        return std::find(listed.begin(), listed.end(), n) - listed.begin();
    };
    EXPECT_EQ(std::abs(pos(sjisShown) - pos("表面")), 1);
    EXPECT_LT(pos("zzz"), pos(sjisShown));
}

TEST_F(FolderNamespaceTest, ParsingFindsHomeThenVolumesThenTheRoot)
{
    tree.folder("home/user/docs/2024");
    tree.folder("media/user/USB STICK/photos");
    tree.folder("elsewhere/deep");

    const ItemIdList inHome = parse(home + "docs/2024");
    ASSERT_EQ(inHome.itemCount(), 3u);
    EXPECT_EQ(names.iconOf(inHome.firstItem()), FolderIcon::Home);
    EXPECT_EQ(names.pathOf(inHome), home + "docs/2024/");
    EXPECT_EQ(names.displayName(inHome), "2024");

    EXPECT_EQ(parse(home).itemCount(), 1u);
    EXPECT_EQ(names.iconOf(parse(home)), FolderIcon::Home);

    const ItemIdList onVolume = parse(volume + "photos/");
    ASSERT_EQ(onVolume.itemCount(), 2u);
    EXPECT_EQ(names.iconOf(onVolume.firstItem()), FolderIcon::Volume);
    EXPECT_EQ(names.pathOf(onVolume), volume + "photos/");

    const ItemIdList elsewhere = parse(tree.path("elsewhere/deep"));
    EXPECT_EQ(names.iconOf(elsewhere.firstItem()), FolderIcon::Root);
    EXPECT_EQ(names.pathOf(elsewhere), tree.path("elsewhere/deep/"));

    EXPECT_EQ(parse("/").itemCount(), 1u);
    EXPECT_EQ(names.pathOf(parse("/")), "/");
}

TEST_F(FolderNamespaceTest, ParsingTidiesThePathAndRefusesWhatIsNoFolder)
{
    tree.folder("home/user/a/b");
    tree.file("home/user/a/file");
    const std::string expected = home + "a/b/";
    EXPECT_EQ(names.pathOf(parse(home + "a/b")), expected);
    EXPECT_EQ(names.pathOf(parse(home + "a//b/")), expected);
    EXPECT_EQ(names.pathOf(parse(home + "./a/./b")), expected);
    EXPECT_EQ(names.pathOf(parse(home + "a/b/../b")), expected);

    EXPECT_FALSE(names.parsePath(""));
    EXPECT_FALSE(names.parsePath("a/b"));
    EXPECT_FALSE(names.parsePath("~/a"));
    EXPECT_FALSE(names.parsePath(home + "a/missing"));
    EXPECT_FALSE(names.parsePath(home + "a/file"));
}

TEST_F(FolderNamespaceTest, AShiftJisPathRoundTripsAsItsBytes)
{
    tree.folder("home/user/" + sjisShown + "/sub");
    const ItemIdList list = parse(home + sjisShown + "/sub");
    ASSERT_EQ(list.itemCount(), 3u);
    EXPECT_EQ(names.pathOf(list), home + sjisShown + "/sub/");
    EXPECT_EQ(names.displayName(parse(home + sjisShown)), sjisShown);
}

TEST_F(FolderNamespaceTest, AVolumeInsideHomeIsFoundUnderTheVolume)
{
    const std::string inner = tree.folder("home/user/mnt/disk");
    tree.folder("home/user/mnt/disk/data");
    FolderNamespace nested(FolderPlaces{home, desktop, {inner}});
    const auto list = nested.parsePath(inner + "data");
    ASSERT_TRUE(list);
    EXPECT_EQ(nested.iconOf(list->firstItem()), FolderIcon::Volume);
    EXPECT_EQ(nested.pathOf(*list), inner + "data/");
}

TEST_F(FolderNamespaceTest, WithoutHomeEverythingIsUnderTheRoot)
{
    FolderNamespace homeless(FolderPlaces{"", "/", {}});
    const auto entries = homeless.listSubfolders(ItemIdList::empty());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().icon, FolderIcon::Root);
    const auto list = homeless.parsePath(home);
    ASSERT_TRUE(list);
    EXPECT_EQ(homeless.iconOf(list->firstItem()), FolderIcon::Root);
    EXPECT_EQ(homeless.pathOf(*list), home);
}

TEST_F(FolderNamespaceTest, PathOfRefusesAChainThatNamesNoFolder)
{
    const ItemIdList homeList = parse(home);
    const ItemIdList folderItem = parse(desktop).itemAt(*parse(desktop).lastOffset());
    EXPECT_FALSE(names.pathOf(folderItem));                 // a bare folder has no place
    EXPECT_FALSE(names.pathOf(concat(homeList, homeList))); // home inside home
    const std::vector<std::uint8_t> badName{'f', '.', '.'};
    EXPECT_FALSE(names.pathOf(concat(homeList, ItemIdList::single(badName))));
}

TEST_F(FolderNamespaceTest, RenameMovesTheFolderAndGivesItsNewItem)
{
    tree.folder("home/user/old/inner");
    const ItemIdList homeList = parse(home);
    const ItemIdList oldList = parse(home + "old");
    const auto result = names.rename(homeList, oldList.itemAt(*oldList.lastOffset()), sjisShown);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_FALSE(tree.exists("home/user/old"));
    EXPECT_TRUE(tree.isFolder("home/user/" + sjisShown + "/inner"));
    EXPECT_EQ(names.displayName(result.item), sjisShown);
    EXPECT_EQ(names.pathOf(concat(homeList, result.item)), home + sjisShown + "/");
}

TEST_F(FolderNamespaceTest, RenameNeverReplacesAnythingThatExists)
{
    tree.folder("home/user/a");
    tree.folder("home/user/b/keep");
    tree.file("home/user/c", "precious");
    const ItemIdList homeList = parse(home);
    const ItemIdList aList = parse(home + "a");
    const ItemIdList a = aList.itemAt(*aList.lastOffset());

    EXPECT_EQ(names.rename(homeList, a, "b").error, EEXIST);
    EXPECT_EQ(names.rename(homeList, a, "c").error, EEXIST);
    EXPECT_EQ(names.rename(homeList, a, "a").error, EEXIST);
    EXPECT_TRUE(names.rename(homeList, a, "b").item.isNull());
    EXPECT_TRUE(tree.isFolder("home/user/a"));
    EXPECT_TRUE(tree.isFolder("home/user/b/keep"));
    EXPECT_FALSE(tree.isFolder("home/user/c"));
    EXPECT_TRUE(tree.exists("home/user/c"));
}

TEST_F(FolderNamespaceTest, RenameRefusesBadNamesAndThePlaces)
{
    tree.folder("home/user/a");
    const ItemIdList homeList = parse(home);
    const ItemIdList aList = parse(home + "a");
    const ItemIdList a = aList.itemAt(*aList.lastOffset());
    for (const std::string& bad : {std::string(), std::string("."), std::string(".."),
                                   std::string("x/y"), std::string("x\0y", 3)})
        EXPECT_EQ(names.rename(homeList, a, bad).error, EINVAL) << bad;
    EXPECT_TRUE(tree.isFolder("home/user/a"));

    const auto desktopEntries = *names.listSubfolders(ItemIdList::empty());
    for (const FolderEntry& place : desktopEntries)
        EXPECT_EQ(names.rename(ItemIdList::empty(), place.item, "renamed").error, EPERM)
            << place.name;
    EXPECT_TRUE(tree.isFolder("home/user"));
    EXPECT_TRUE(tree.isFolder("media/user/USB STICK"));
}

TEST_F(FolderNamespaceTest, RenameOfAFolderThatIsGoneFails)
{
    tree.folder("home/user/a");
    const ItemIdList aList = parse(home + "a");
    ::rmdir(tree.path("home/user/a").c_str());
    const auto result = names.rename(parse(home), aList.itemAt(*aList.lastOffset()), "b");
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_FALSE(tree.exists("home/user/b"));
}

} // namespace
} // namespace torvel
