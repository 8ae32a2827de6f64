#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "PosixFileSystem.h"
#include "common/FaultyFileSystem.h"
#include "common/ScratchDir.h"
#include "common/SampleNames.h"

using namespace torvel;

namespace {

constexpr timespec accessed{1'300'000'000, 5};
constexpr timespec modified{1'234'567'890, 987'654'321};

struct stat statOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

void prepareSource(const ScratchDir& dir, const std::string& name, const std::string& contents)
{
    dir.write(name, contents);
    ASSERT_EQ(::chmod((dir / name).c_str(), 0604), 0);
    const timespec times[2] = {accessed, modified};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
}

// Every trace of a completed move: the target as the source was, the source gone.
void expectMoved(const ScratchDir& from, const std::string& source, const ScratchDir& to,
                 const std::string& target, const std::string& contents)
{
    EXPECT_FALSE(from.has(source));
    struct stat st = statOf(to / target); // before reading, which sets the access time
    EXPECT_EQ(to.read(target), contents);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_mtim.tv_sec, modified.tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, modified.tv_nsec);
    EXPECT_EQ(st.st_atim.tv_sec, accessed.tv_sec);
    EXPECT_EQ(to.names(), std::vector<std::string>{target}); // no hidden temporary left
}

// After a failed move: the source as it was, nothing at all in the target folder.
void expectUntouched(const ScratchDir& from, const std::string& source, const ScratchDir& to,
                     const std::string& contents)
{
    EXPECT_EQ(from.read(source), contents);
    EXPECT_EQ(from.names(), std::vector<std::string>{source});
    EXPECT_EQ(to.names(), std::vector<std::string>{});
}

} // namespace

TEST(MoveAcrossDevices, CopiesCommitsAndOnlyThenRemovesTheSource)
{
    ScratchDir disk("/tmp");
    ScratchDir memory("/dev/shm");
    if (disk.device() == memory.device())
        GTEST_SKIP() << "/tmp and /dev/shm are one device here";

    PosixFileSystem fs;
    FolderHandle from;
    FolderHandle to;
    ASSERT_EQ(fs.openFolder(disk.path(), from), 0);
    ASSERT_EQ(fs.openFolder(memory.path(), to), 0);

    const std::string contents(300 * 1024 + 7, 'z');
    prepareSource(disk, sjisPhoto, contents);
    bool attributes = ::setxattr((disk / sjisPhoto).c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0;

    ASSERT_EQ(fs.move(from, sjisPhoto, to, sjisSeries), 0);
    expectMoved(disk, sjisPhoto, memory, sjisSeries, contents);
    if (attributes) {
        char value[16] = {};
        ssize_t n =
            ::getxattr((memory / sjisSeries).c_str(), "user.DOSATTRIB", value, sizeof value);
        EXPECT_EQ(std::string(value, n > 0 ? static_cast<std::size_t>(n) : 0), "0x2");
    }

    // Back again, onto a name that is taken: refused, the file there kept.
    disk.write(sjisPhoto, "in the way");
    EXPECT_EQ(fs.move(to, sjisSeries, from, sjisPhoto), EEXIST);
    EXPECT_EQ(disk.read(sjisPhoto), "in the way");
    EXPECT_EQ(memory.read(sjisSeries), contents);

    // A folder is not carried across.
    memory.makeFolder("album");
    EXPECT_EQ(fs.move(to, "album", from, "album"), EXDEV);
    EXPECT_TRUE(memory.has("album"));
    EXPECT_FALSE(disk.has("album"));
}

TEST(MoveAcrossDevices, CopyBetweenDevicesKeepsEveryByte)
{
    ScratchDir disk("/tmp");
    ScratchDir memory("/dev/shm");
    if (disk.device() == memory.device())
        GTEST_SKIP() << "/tmp and /dev/shm are one device here";

    PosixFileSystem fs;
    FolderHandle from;
    FolderHandle to;
    ASSERT_EQ(fs.openFolder(memory.path(), from), 0);
    ASSERT_EQ(fs.openFolder(disk.path(), to), 0);
    std::string contents;
    for (int i = 0; contents.size() < 3 * 1024 * 1024; ++i)
        contents += std::to_string(i) + ",";
    memory.write(sjisPhoto, contents);

    ASSERT_EQ(fs.copy(from, sjisPhoto, to, sjisPhoto), 0);
    EXPECT_TRUE(disk.read(sjisPhoto) == contents);
    EXPECT_TRUE(memory.read(sjisPhoto) == contents);
}

// The same steps on one device, with the rename told to answer EXDEV, so that
// every step of the copy can be made to fail; with a temporary file without
// a name and with a named one, as on file systems that have no unnamed files.
class MoveThroughCopy : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(real.openFolder(src.path(), from), 0);
        ASSERT_EQ(real.openFolder(dst.path(), to), 0);
        prepareSource(src, sjisPhoto, contents);
        fs.fail(FsCall::Rename, EXDEV, sjisPhoto);
    }

    const std::string contents = std::string(200 * 1024, 'q') + "end";
    PosixFileSystem real{GetParam()};
    FaultyFileSystem fs{real};
    ScratchDir src;
    ScratchDir dst;
    FolderHandle from;
    FolderHandle to;
};

TEST_P(MoveThroughCopy, ArrivesAsTheSourceWas)
{
    ASSERT_EQ(fs.move(from, sjisPhoto, to, sjisSeries), 0);
    expectMoved(src, sjisPhoto, dst, sjisSeries, contents);
    EXPECT_EQ(fs.calls(FsCall::CopyData), 1);
}

TEST_P(MoveThroughCopy, AnyFailedStepLeavesTheSourceAndNothingElse)
{
    struct Case
    {
        const char* what;
        FaultyFileSystem::Fault fault;
        int expected;
    };
    const Case cases[] = {
        {"source vanished", {FsCall::OpenSource, ENOENT}, ENOENT},
        {"refused write", {FsCall::CreateTemp, EACCES}, EACCES},
        {"full disk half-way", {FsCall::CopyData, ENOSPC, "", 0, 1, true}, ENOSPC},
        {"attributes not stored", {FsCall::CopyMetadata, EOPNOTSUPP, "", 0, 1, true}, EOPNOTSUPP},
        {"not written through", {FsCall::SyncFile, EIO, "", 0, 1, true}, EIO},
        {"late write error", {FsCall::CloseFile, EIO, "", 0, 1, true}, EIO},
        {"target taken at commit", {FsCall::CommitTemp, EEXIST}, EEXIST},
        {"source cannot be removed", {FsCall::Remove, EACCES, sjisPhoto}, EACCES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs.clearFaults();
        fs.fail(FsCall::Rename, EXDEV, sjisPhoto);
        fs.fail(c.fault);
        EXPECT_EQ(fs.move(from, sjisPhoto, to, sjisSeries), c.expected);
        expectUntouched(src, sjisPhoto, dst, contents);
    }
}

// Another program moves the source away, or puts another file under its
// name, while the copy is written: the copy may be all that is left of what
// was copied, so it stays, and whatever holds the source name is not removed.
TEST_P(MoveThroughCopy, ASourceReplacedDuringTheCopyKeepsTheCopy)
{
    const std::pair<const char*, bool> cases[] = {{"moved away", false}, {"replaced", true}};
    for (const auto& [what, replaced] : cases) {
        SCOPED_TRACE(what);
        ScratchDir target;
        FolderHandle into;
        ASSERT_EQ(real.openFolder(target.path(), into), 0);
        if (replaced)
            prepareSource(src, sjisPhoto, contents);
        fs.clearFaults();
        fs.fail(FsCall::Rename, EXDEV, sjisPhoto);
        fs.beforeCall = [&, replaced = replaced](FsCall call) {
            if (call != FsCall::SyncFile)
                return;
            ASSERT_EQ(::rename((src / sjisPhoto).c_str(), (src / "elsewhere").c_str()), 0);
            if (replaced)
                src.write(sjisPhoto, "someone else's");
        };
        EXPECT_EQ(fs.move(from, sjisPhoto, into, sjisSeries), sourceReplacedCopyKept);
        fs.beforeCall = nullptr;
        EXPECT_EQ(target.read(sjisSeries), contents);
        EXPECT_EQ(src.read("elsewhere"), contents);
        EXPECT_EQ(src.has(sjisPhoto), replaced);
        EXPECT_EQ(replaced ? src.read(sjisPhoto) : "", replaced ? "someone else's" : "");
        ::unlink((src / "elsewhere").c_str());
    }
}

TEST_P(MoveThroughCopy, CopyFailingHalfWayLeavesNoTarget)
{
    fs.clearFaults();
    fs.fail({FsCall::CopyData, ENOSPC, "", 0, 1, true});
    EXPECT_EQ(fs.copy(from, sjisPhoto, to, sjisSeries), ENOSPC);
    expectUntouched(src, sjisPhoto, dst, contents);
}

INSTANTIATE_TEST_SUITE_P(TempFiles, MoveThroughCopy, ::testing::Bool(),
                         [](const auto& kind) { return kind.param ? "Unnamed" : "Named"; });
