#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "AttrChange.h"
#include "FileAttributes.h"
#include "FilesList.h"
#include "NameText.h"
#include "PosixFileSystem.h"
#include "PerFileRunSupport.h"
#include "RunFeedback.h"
#include "common/FaultyFileSystem.h"
#include "common/ScratchDir.h"

using namespace torvel;

namespace {

// The stored value as any other program reads it, or nothing.
std::optional<std::string> storedValue(const std::string& path)
{
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value);
    if (n < 0)
        return std::nullopt;
    return std::string(value, static_cast<std::size_t>(n));
}

void store(const std::string& path, const std::string& value)
{
    ASSERT_EQ(::setxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0) << path;
}

mode_t modeOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// A record as the file server writes it (version 4): its hex text, then the
// version twice, then valid flags, the attribute word and times that must
// come through untouched. The hex text is "0x%x" unless given.
std::string sambaRecord(std::uint32_t attributes, const char* hexText = nullptr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", attributes);
    std::string record(hexText != nullptr ? hexText : text);
    record.push_back('\0');
    record.resize((record.size() + 1) & ~std::size_t{1}, '\0');
    record += std::string("\x04\x00\x04\x00", 4);
    record.resize((record.size() + 3) & ~std::size_t{3}, '\0');
    record += std::string("\x01\x00\x00\x00", 4);
    for (int i = 0; i < 4; ++i)
        record.push_back(static_cast<char>((attributes >> (8 * i)) & 0xFF));
    for (int i = 0; i < 24; ++i)
        record.push_back(static_cast<char>(0xA0 + i));
    return record;
}

AttrMasks masksOf(AttrChoice readOnly, AttrChoice hidden, AttrChoice archive)
{
    return attrMasks({readOnly, hidden, archive});
}

constexpr AttrChoice Keep = AttrChoice::Keep;
constexpr AttrChoice Set = AttrChoice::Set;
constexpr AttrChoice Clear = AttrChoice::Clear;

class AttrChangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write("probe", "");
        if (::setxattr((dir / "probe").c_str(), "user.torvel", "1", 1, 0) != 0)
            GTEST_SKIP() << "the file system under /tmp holds no user attributes";
        ::unlink((dir / "probe").c_str());
        ASSERT_EQ(fs.openFolder(dir.path(), folder), 0);
    }

    Changes run(const AttrMasks& masks, std::vector<std::string> names)
    {
        AttrChangeInput in;
        in.masks = masks;
        in.folder = dir.path();
        in.names = std::move(names);
        return perFileRun(Attr_Change, in, fs, feedback);
    }

    std::uint32_t wordOf(const std::string& name)
    {
        std::uint32_t word = 0;
        EXPECT_EQ(fs.readAttributes(folder, name, word), 0) << displayName(name);
        return word;
    }

    ScratchDir dir;
    PosixFileSystem real;
    FaultyFileSystem fs{real};
    FolderHandle folder;
    FeedbackStandIn feedback{FeedbackStandIn::Asks::Never};
};

} // namespace

TEST(AttrPage, GroupsStartFromTheFirstFileOrArchiveOnlyAndCountOnlyWhenChanged)
{
    TMyFileList list("");
    EXPECT_EQ(attrItemsOf(attrStartWord(list)),
              (std::array<AttrItem, 3>{AttrItem::Clear, AttrItem::Clear, AttrItem::Set}));
    list.addItem("b.txt", 1, 0, FileAttr::ReadOnly | FileAttr::System);
    list.addItem("a.txt", 1, 0, FileAttr::Hidden | FileAttr::Archive);
    list.SortList();
    EXPECT_EQ(attrItemsOf(attrStartWord(list)),
              (std::array<AttrItem, 3>{AttrItem::Clear, AttrItem::Set, AttrItem::Set}));

    // Filled from the first file: every group untouched, nothing to do.
    std::array<int, 3> tags{attrTagUntouched(0), attrTagUntouched(1), attrTagUntouched(2)};
    std::array<AttrItem, 3> items = attrItemsOf(FileAttr::ReadOnly);
    auto masks = [&] {
        return attrMasks({attrChoice(items[0], tags[0]), attrChoice(items[1], tags[1]),
                          attrChoice(items[2], tags[2])});
    };
    EXPECT_EQ(masks(), AttrMasks{});
    EXPECT_FALSE(masks().anyChange);

    // "解除" then "設定" again under hidden: changed, and hidden is set.
    items[1] = AttrItem::Clear;
    tags[attrGroupOfTag(tags[1])] = attrChangedTag(tags[1]);
    items[1] = AttrItem::Set;
    tags[attrGroupOfTag(tags[1])] = attrChangedTag(tags[1]);
    EXPECT_EQ(tags, (std::array<int, 3>{1, 12, 3}));
    EXPECT_EQ(masks(), (AttrMasks{0xFFFFFFFFu, FileAttr::Hidden, true}));

    // Read-only cleared as well.
    items[0] = AttrItem::Clear;
    tags[0] = attrChangedTag(tags[0]);
    EXPECT_EQ(masks(), (AttrMasks{~FileAttr::ReadOnly, FileAttr::Hidden, true}));
}

TEST_F(AttrChangeTest, OnlyTheChangedGroupIsAppliedAndEveryOtherBitStays)
{
    dir.write("plain.txt", "a"); // nothing stored: archive
    dir.write(sjisPhoto, "b");
    store(dir / sjisPhoto, "0x25"); // read-only, system, archive
    dir.write(sjisTable, "c");
    ASSERT_EQ(::chmod((dir / sjisTable).c_str(), 0444), 0); // read-only by its mode
    dir.write("samba.bin", "d");
    const std::string record = sambaRecord(FileAttr::System | FileAttr::Archive);
    store(dir / "samba.bin", record);
    dir.write(".dotted", "e"); // hidden by its name

    EXPECT_EQ(
        run(masksOf(Keep, Set, Keep), {"plain.txt", sjisPhoto, sjisTable, "samba.bin", ".dotted"}),
        (Changes{4, {}}))
        << ".dotted, hidden already, is not counted";
    EXPECT_EQ(feedback.statusNames(), (std::vector<std::string>{"plain.txt", sjisPhoto, sjisTable,
                                                                "samba.bin", ".dotted"}));
    for (const RunStatus& status : feedback.statuses)
        EXPECT_EQ(status.activity, RunActivity::ChangingAttrs);
    EXPECT_EQ(wordOf("plain.txt"), 0x22u);
    EXPECT_EQ(storedValue(dir / "plain.txt"), "0x22");
    EXPECT_EQ(wordOf(sjisPhoto), 0x27u);
    EXPECT_EQ(storedValue(dir / sjisPhoto), "0x27");
    EXPECT_EQ(wordOf(sjisTable), 0x23u);
    EXPECT_EQ(modeOf(dir / sjisTable), 0444u);
    EXPECT_EQ(wordOf("samba.bin"), 0x26u);
    EXPECT_EQ(storedValue(dir / "samba.bin"),
              sambaRecord(FileAttr::Hidden | FileAttr::System | FileAttr::Archive));
    EXPECT_EQ(wordOf(".dotted"), 0x22u);
    EXPECT_EQ(storedValue(dir / ".dotted"), std::nullopt) << "nothing to change, nothing written";
}

TEST_F(AttrChangeTest, SetAndClearReachTheModeAndTheStoredValueAsEachFileHoldsThem)
{
    struct Case
    {
        const char* what;
        mode_t mode;
        std::optional<std::string> stored;
        AttrMasks masks;
        std::uint32_t word;
        mode_t modeAfter;
        std::optional<std::string> storedAfter;
        int changed; // 0 where the file was in the wanted state already
    };
    const Case cases[] = {
        {"read-only cleared from the mode", 0444, std::nullopt, masksOf(Clear, Keep, Keep), 0x20,
         0644, std::nullopt, 1},
        {"read-only cleared from the stored value", 0644, "0x5", masksOf(Clear, Keep, Keep), 0x04,
         0644, "0x4", 1},
        {"read-only cleared from both", 0444, "0x21", masksOf(Clear, Keep, Keep), 0x20, 0644,
         "0x20", 1},
        {"read-only set in the mode only", 0664, std::nullopt, masksOf(Set, Keep, Keep), 0x21, 0444,
         std::nullopt, 1},
        {"archive cleared needs a stored value", 0644, std::nullopt, masksOf(Keep, Keep, Clear),
         0x00, 0644, "0x0", 1},
        {"archive set where it is shown already", 0644, std::nullopt, masksOf(Keep, Keep, Set),
         0x20, 0644, std::nullopt, 0},
        {"read-only set where the mode has it already", 0444, std::nullopt,
         masksOf(Set, Keep, Keep), 0x21, 0444, std::nullopt, 0},
        {"hidden cleared, read-only set, system kept", 0644, "0x26", masksOf(Set, Clear, Keep),
         0x25, 0444, "0x24", 1},
        {"a Samba record patched in place", 0444, sambaRecord(0x27), masksOf(Clear, Keep, Keep),
         0x26, 0644, sambaRecord(0x26), 1},
        // The text grows by whole eight digits, so that the fields after it
        // keep their alignment.
        {"a Samba record whose text grows", 0444, sambaRecord(0x07), masksOf(Clear, Keep, Set),
         0x26, 0644, sambaRecord(0x26, "0x000000026"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write(sjisTable, "x");
        ::removexattr((dir / sjisTable).c_str(), "user.DOSATTRIB");
        ASSERT_EQ(::chmod((dir / sjisTable).c_str(), c.mode), 0);
        if (c.stored)
            store(dir / sjisTable, *c.stored);

        FeedbackStandIn one{FeedbackStandIn::Asks::Never};
        AttrChangeInput in{c.masks, dir.path(), {sjisTable}};
        EXPECT_EQ(perFileRun(Attr_Change, in, fs, one), (Changes{c.changed, {}}));
        EXPECT_EQ(wordOf(sjisTable), c.word);
        EXPECT_EQ(modeOf(dir / sjisTable), c.modeAfter);
        EXPECT_EQ(storedValue(dir / sjisTable), c.storedAfter);
    }
}

TEST_F(AttrChangeTest, WithNoGroupChangedNoFileIsTouched)
{
    dir.write("plain.txt", "a");
    ASSERT_EQ(::chmod((dir / "plain.txt").c_str(), 0444), 0);

    EXPECT_EQ(run(masksOf(Keep, Keep, Keep), {"plain.txt", "gone.txt"}), Changes{});

    EXPECT_TRUE(feedback.statuses.empty());
    EXPECT_EQ(fs.calls(FsCall::OpenFolder), 1); // the fixture's own
    EXPECT_EQ(fs.calls(FsCall::ChangeAttributes), 0);
    EXPECT_EQ(modeOf(dir / "plain.txt"), 0444u);
    EXPECT_EQ(storedValue(dir / "plain.txt"), std::nullopt);
}

// A link holds no attributes of its own here, and what it points at was not
// chosen; a pipe takes none either. Neither may be shown as changed.
TEST_F(AttrChangeTest, LinksAndSpecialFilesAreReportedAndWhatTheyPointAtStays)
{
    dir.write("target.txt", "t");
    ASSERT_EQ(::symlink("target.txt", (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    dir.write(sjisPhoto, "p");

    EXPECT_EQ(run(masksOf(Set, Set, Keep), {"link.txt", "pipe", sjisPhoto}),
              (Changes{1, {{"link.txt", EPERM}, {"pipe", EPERM}}}));
    EXPECT_EQ(storedValue(dir / "target.txt"), std::nullopt);
    EXPECT_EQ(modeOf(dir / "target.txt"), 0644u);
    EXPECT_EQ(modeOf(dir / "pipe"), 0644u);
    EXPECT_EQ(wordOf(sjisPhoto), 0x23u);
}

TEST_F(AttrChangeTest, AValueInAFormNotUnderstoodIsLeftAloneAndReported)
{
    dir.write("other.txt", "o");
    store(dir / "other.txt", "not ours");

    EXPECT_EQ(run(masksOf(Keep, Set, Keep), {"other.txt"}), (Changes{0, {{"other.txt", EINVAL}}}));
    EXPECT_EQ(storedValue(dir / "other.txt"), "not ours");
}
