#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "FileSystem.h"
#include "IoError.h"
#include "PosixFileOps.h"
#include "PosixFileSystem.h"
#include "common/FaultyFileSystem.h"
#include "common/ScratchDir.h"
#include "common/SampleNames.h"

using namespace torvel;

namespace {

struct stat statOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

void setTimes(const std::string& path, timespec access, timespec modified)
{
    const timespec times[2] = {access, modified};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string randomBytes(std::size_t size)
{
    std::mt19937 generator(12345);
    std::string bytes(size, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// Whether the file system under path stores user.* attributes.
bool storesUserAttributes(const ScratchDir& dir)
{
    dir.write("probe", "");
    bool ok = ::setxattr((dir / "probe").c_str(), "user.torvel", "1", 1, 0) == 0;
    ::unlink((dir / "probe").c_str());
    return ok;
}

std::string attribute(const std::string& path, const char* name)
{
    char value[256];
    ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(n));
}

class FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(fs.openFolder(src.path(), srcDir), 0);
        ASSERT_EQ(fs.openFolder(dst.path(), dstDir), 0);
    }

    PosixFileSystem fs;
    ScratchDir src;
    ScratchDir dst;
    FolderHandle srcDir;
    FolderHandle dstDir;
};

} // namespace

TEST_F(FileSystemTest, NoReplaceRenameRefusesAnExistingTargetAndKeepsBoth)
{
    src.write(sjisPhoto, "photo");
    src.write(sjisTable, "table");
    EXPECT_EQ(fs.renameNoReplace(srcDir, sjisPhoto, srcDir, sjisTable), EEXIST);
    EXPECT_EQ(src.read(sjisPhoto), "photo");
    EXPECT_EQ(src.read(sjisTable), "table");

    // A folder in the way is refused as well.
    src.makeFolder("taken");
    EXPECT_EQ(fs.renameNoReplace(srcDir, sjisPhoto, srcDir, "taken"), EEXIST);
    EXPECT_TRUE(src.has(sjisPhoto));

    EXPECT_EQ(fs.renameNoReplace(srcDir, sjisPhoto, srcDir, "_jd[000" + sjisPhoto), 0);
    EXPECT_FALSE(src.has(sjisPhoto));
    EXPECT_EQ(src.read("_jd[000" + sjisPhoto), "photo");
}

TEST_F(FileSystemTest, RenameFallbacksRefuseAnExistingTargetToo)
{
    // The ways used where the kernel's no-replace rename is not offered.
    for (auto rename : {&renameByLink, &renameChecked}) {
        src.write("a", "A");
        src.write("b", "B");
        EXPECT_EQ(rename(srcDir.fd(), "a", srcDir.fd(), "b"), EEXIST);
        EXPECT_EQ(src.read("a"), "A");
        EXPECT_EQ(src.read("b"), "B");
        EXPECT_EQ(rename(srcDir.fd(), "a", srcDir.fd(), sjisPhoto.c_str()), 0);
        EXPECT_FALSE(src.has("a"));
        EXPECT_EQ(src.read(sjisPhoto), "A");
        EXPECT_EQ(rename(srcDir.fd(), "gone", srcDir.fd(), "c"), ENOENT);
        ::unlink((src / sjisPhoto).c_str());
        ::unlink((src / "b").c_str());
    }
}

TEST_F(FileSystemTest, ProbeTellsFilesFromFoldersAndMissingNames)
{
    src.write(sjisPhoto, "x");
    src.makeFolder("sub");
    ASSERT_EQ(::symlink("nowhere", (src / "dangling").c_str()), 0);
    ASSERT_EQ(::symlink("sub", (src / "to-sub").c_str()), 0);

    struct Case
    {
        std::string name;
        EntryKind kind;
        bool exists;
    };
    const Case cases[] = {
        {sjisPhoto, EntryKind::File, true},
        {"sub", EntryKind::Folder, false},
        {"missing", EntryKind::None, false},
        {"dangling", EntryKind::File, true}, // the name is taken all the same
        {"to-sub", EntryKind::Folder, false},
        {sjisPhoto + "/below", EntryKind::None, false},
        {src / sjisPhoto, EntryKind::File, true}, // a full path ignores the folder
    };
    for (const auto& c : cases) {
        EntryKind kind = EntryKind::Folder;
        EXPECT_EQ(fs.probe(srcDir, c.name, kind), 0) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(fs.exists(srcDir, c.name), c.exists) << c.name;
    }
}

TEST_F(FileSystemTest, MoveWithinADevice)
{
    src.write(sjisPhoto, "photo");
    EXPECT_EQ(fs.move(srcDir, sjisPhoto, dstDir, sjisTable), 0);
    EXPECT_FALSE(src.has(sjisPhoto));
    EXPECT_EQ(dst.read(sjisTable), "photo");

    // An existing target stays as it is, and so does the source.
    src.write("a.txt", "new");
    dst.write("a.txt", "old");
    EXPECT_EQ(fs.move(srcDir, "a.txt", dstDir, "a.txt"), EEXIST);
    EXPECT_EQ(src.read("a.txt"), "new");
    EXPECT_EQ(dst.read("a.txt"), "old");
}

TEST_F(FileSystemTest, CopyRefusesAnExistingTargetAndKeepsItsContents)
{
    src.write(sjisPhoto, "new contents");
    dst.write(sjisTable, "old");
    EXPECT_EQ(fs.copy(srcDir, sjisPhoto, dstDir, sjisTable), EEXIST);
    EXPECT_EQ(dst.read(sjisTable), "old");
    EXPECT_EQ(src.read(sjisPhoto), "new contents");
    EXPECT_EQ(dst.names(), std::vector<std::string>{sjisTable});

    src.makeFolder("folder");
    EXPECT_EQ(fs.copy(srcDir, "folder", dstDir, "folder"), EISDIR);
    EXPECT_EQ(fs.copy(srcDir, "missing", dstDir, "missing"), ENOENT);
    EXPECT_EQ(dst.names(), std::vector<std::string>{sjisTable});
}

TEST_F(FileSystemTest, ALargeCopyOntoATakenNameIsRefusedBeforeItStarts)
{
    FaultyFileSystem faulty(fs);
    src.write("big.bin", std::string(2 * 1024 * 1024, 'b'));
    src.write("small.txt", "small");
    dst.write("big.bin", "theirs");
    dst.write("small.txt", "theirs");
    EXPECT_EQ(faulty.copy(srcDir, "big.bin", dstDir, "big.bin"), EEXIST);
    EXPECT_EQ(faulty.calls(FsCall::CreateTemp), 0);
    EXPECT_EQ(faulty.copy(srcDir, "small.txt", dstDir, "small.txt"), EEXIST);
    EXPECT_EQ(dst.read("big.bin"), "theirs");
    EXPECT_EQ(dst.read("small.txt"), "theirs");
    EXPECT_EQ(dst.names(), (std::vector<std::string>{"big.bin", "small.txt"}));
}

TEST_F(FileSystemTest, CopyKeepsContentsTimeModeAndUserAttributes)
{
    const std::string contents = randomBytes(5 * 1024 * 1024 + 123);
    src.write(sjisPhoto, contents);
    ASSERT_EQ(::chmod((src / sjisPhoto).c_str(), 0640), 0);
    const timespec modified{1'000'000'000, 123'456'789};
    setTimes(src / sjisPhoto, timespec{1'100'000'000, 0}, modified);
    bool attributes = storesUserAttributes(src);
    if (attributes) {
        ASSERT_EQ(::setxattr((src / sjisPhoto).c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
    }

    ASSERT_EQ(fs.copy(srcDir, sjisPhoto, dstDir, "TOR01.jpg"), 0);

    EXPECT_TRUE(dst.read("TOR01.jpg") == contents);
    EXPECT_TRUE(src.read(sjisPhoto) == contents);
    struct stat copied = statOf(dst / "TOR01.jpg");
    EXPECT_EQ(copied.st_mtim.tv_sec, modified.tv_sec);
    EXPECT_EQ(copied.st_mtim.tv_nsec, modified.tv_nsec);
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    if (attributes) {
        EXPECT_EQ(attribute(dst / "TOR01.jpg", "user.DOSATTRIB"), "0x22");
    }
    EXPECT_EQ(dst.names(), std::vector<std::string>{"TOR01.jpg"}); // no temporary left
}

TEST_F(FileSystemTest, CopyOfAReadOnlySourceArrivesReadOnly)
{
    src.write("ro.txt", "keep");
    ASSERT_EQ(::chmod((src / "ro.txt").c_str(), 0444), 0);
    ASSERT_EQ(fs.copy(srcDir, "ro.txt", dstDir, "ro.txt"), 0);
    EXPECT_EQ(dst.read("ro.txt"), "keep");
    EXPECT_EQ(statOf(dst / "ro.txt").st_mode & 07777, 0444u);

    src.write("empty", "");
    ASSERT_EQ(fs.copy(srcDir, "empty", dstDir, "empty"), 0);
    EXPECT_TRUE(dst.has("empty"));
    EXPECT_EQ(statOf(dst / "empty").st_size, 0);
}

TEST_F(FileSystemTest, CopyKeepsTheModeWhateverTheUmask)
{
    src.write("a.txt", "a");
    src.write("b.txt", "b");
    ASSERT_EQ(::chmod((src / "a.txt").c_str(), 0664), 0);
    ASSERT_EQ(::chmod((src / "b.txt").c_str(), 0604), 0);
    mode_t old = ::umask(077);
    int copiedA = fs.copy(srcDir, "a.txt", dstDir, "a.txt");
    ::umask(0);
    int copiedB = fs.copy(srcDir, "b.txt", dstDir, "b.txt");
    ::umask(old);
    ASSERT_EQ(copiedA, 0);
    ASSERT_EQ(copiedB, 0);
    EXPECT_EQ(statOf(dst / "a.txt").st_mode & 07777, 0664u);
    EXPECT_EQ(statOf(dst / "b.txt").st_mode & 07777, 0604u);
    EXPECT_EQ(dst.read("b.txt"), "b");
}

// The commit of a temporary file on its own, with the target taken after the
// copy's early check, for both kinds of temporary file.
TEST_F(FileSystemTest, CommitRefusesATargetTakenMeanwhileAndLeavesNothing)
{
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        PosixFileSystem own(unnamed);
        FileHandle temp;
        std::string tempName;
        ASSERT_EQ(own.createTemp(dstDir, 0644, temp, tempName), 0);
        EXPECT_EQ(tempName.empty(), unnamed);
        EXPECT_EQ(dst.names().size(), unnamed ? 0u : 1u); // no name a person could take for a file
        ASSERT_EQ(::write(temp.fd(), "copy", 4), 4);
        if (!unnamed) {
            ASSERT_EQ(own.closeFile(temp), 0);
        }

        dst.write(sjisTable, "theirs");
        EXPECT_EQ(own.commitTemp(dstDir, temp, tempName, sjisTable), EEXIST);
        EXPECT_EQ(dst.read(sjisTable), "theirs");

        ASSERT_EQ(own.commitTemp(dstDir, temp, tempName, sjisPhoto), 0);
        if (unnamed) {
            ASSERT_EQ(own.closeFile(temp), 0);
        }
        EXPECT_EQ(dst.read(sjisPhoto), "copy");
        EXPECT_EQ(dst.names(), (std::vector<std::string>{sjisPhoto, sjisTable}));
        ::unlink((dst / sjisPhoto).c_str());
        ::unlink((dst / sjisTable).c_str());
    }
}

TEST_F(FileSystemTest, CreateFoldersMakesTheMissingParents)
{
    EXPECT_EQ(fs.createFolders(src / "a/b/c/"), 0);
    EXPECT_TRUE(S_ISDIR(statOf(src / "a/b/c").st_mode));
    EXPECT_EQ(fs.createFolders(src / "a/b"), 0); // already there
    src.write("file", "");
    EXPECT_EQ(fs.createFolders(src / "file/sub"), ENOTDIR);
    EXPECT_EQ(fs.createFolders(src / sjisPhoto + "/" + sjisTable), 0);
    EXPECT_TRUE(S_ISDIR(statOf(src / sjisPhoto + "/" + sjisTable).st_mode));
}

TEST_F(FileSystemTest, SetLastWriteTimeKeepsTheAccessTime)
{
    src.write(sjisPhoto, "x");
    const timespec accessed{1'200'000'000, 111'000'000};
    setTimes(src / sjisPhoto, accessed, timespec{1'000'000'000, 0});

    const timespec when{1'700'000'000, 0};
    ASSERT_EQ(fs.setLastWriteTime(srcDir, sjisPhoto, when), 0);
    struct stat st = statOf(src / sjisPhoto);
    EXPECT_EQ(st.st_mtim.tv_sec, when.tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, 0);
    EXPECT_EQ(st.st_atim.tv_sec, accessed.tv_sec);
    EXPECT_EQ(st.st_atim.tv_nsec, accessed.tv_nsec);

    EXPECT_EQ(fs.setLastWriteTime(srcDir, "missing", when), ENOENT);
}

TEST_F(FileSystemTest, OpenFolderReportsWhatIsWrong)
{
    FolderHandle handle;
    EXPECT_EQ(fs.openFolder(src / "missing/", handle), ENOENT);
    EXPECT_FALSE(handle.isOpen());
    src.write("file", "");
    EXPECT_EQ(fs.openFolder(src / "file", handle), ENOTDIR);
    ASSERT_EQ(fs.openFolder(src.path().substr(0, src.path().size() - 1), handle), 0);
    EXPECT_EQ(handle.path(), src.path()); // the path always ends in "/"
}

TEST(IoErrorText, NamesTheCommonFailuresInTheSystemsWords)
{
    EXPECT_EQ(ioErrorText(ENOENT), "ﾌｧｲﾙが見つかりません");
    EXPECT_EQ(ioErrorText(ENAMETOOLONG), "不正なﾌｧｲﾙ名です");
    EXPECT_EQ(ioErrorText(EINVAL), "不正なﾌｧｲﾙ名です");
    EXPECT_EQ(ioErrorText(EACCES), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    EXPECT_EQ(ioErrorText(EPERM), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    EXPECT_EQ(ioErrorText(EROFS), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    EXPECT_EQ(ioErrorText(ENOSPC), "I/O ｴﾗｰ (28)");
    // EIO is 5 and ESRCH 3: an errno value must not be read as the code of
    // the same number.
    EXPECT_EQ(ioErrorText(EIO), "I/O ｴﾗｰ (5)");
    EXPECT_EQ(ioErrorText(ESRCH), "I/O ｴﾗｰ (3)");
}
