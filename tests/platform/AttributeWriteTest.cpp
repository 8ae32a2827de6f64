#include "FileAttributes.h"
#include "FolderHandle.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace torvel {
namespace {

constexpr std::uint32_t RO = FileAttr::ReadOnly;
constexpr std::uint32_t H = FileAttr::Hidden;
constexpr std::uint32_t S = FileAttr::System;
constexpr std::uint32_t A = FileAttr::Archive;

class AttributeWrite : public ::testing::Test
{
protected:
    std::uint32_t read(const std::string& name)
    {
        std::uint32_t a = 0xFFFF;
        EXPECT_EQ(readAttributes(m_handle, name, a), 0) << name;
        return a;
    }

    int write(const std::string& name, std::uint32_t attributes)
    {
        return changeAttributes(m_handle, name, 0, attributes);
    }

    ScratchDir m_dir;
    FolderHandle m_handle{m_dir.path()};
};

TEST_F(AttributeWrite, ReadOnlyGoesToThePermissionBits)
{
    m_dir.makeFile("doc.txt", 0, -1, 0664);
    ASSERT_EQ(write("doc.txt", A | RO), 0);
    EXPECT_EQ(m_dir.mode("doc.txt"), 0444u);
    EXPECT_EQ(read("doc.txt"), A | RO);
    EXPECT_EQ(m_dir.xattr("doc.txt", "user.DOSATTRIB"), "<none>"); // nothing else changed

    ASSERT_EQ(write("doc.txt", A), 0);
    EXPECT_EQ(m_dir.mode("doc.txt"), 0644u); // write given back to the owner
    EXPECT_EQ(read("doc.txt"), A);
}

TEST_F(AttributeWrite, ClearingReadOnlyAlsoClearsAStoredFlag)
{
    m_dir.makeFile("flagged", 0, -1, 0644);
    m_dir.setXattr("flagged", "user.DOSATTRIB", "0x21");
    ASSERT_EQ(read("flagged"), A | RO);
    ASSERT_EQ(write("flagged", A), 0);
    EXPECT_EQ(read("flagged"), A);
    EXPECT_EQ(m_dir.xattr("flagged", "user.DOSATTRIB"), "0x20");
    EXPECT_EQ(m_dir.mode("flagged"), 0644u);
}

TEST_F(AttributeWrite, StoresHiddenSystemArchiveOnlyWhenTheyChange)
{
    m_dir.makeFile("plain");
    ASSERT_EQ(write("plain", A), 0); // already what the file shows
    EXPECT_EQ(m_dir.xattr("plain", "user.DOSATTRIB"), "<none>");

    ASSERT_EQ(write("plain", A | H), 0);
    EXPECT_EQ(m_dir.xattr("plain", "user.DOSATTRIB"), "0x22");
    EXPECT_EQ(read("plain"), A | H);

    ASSERT_EQ(write("plain", S), 0);
    EXPECT_EQ(m_dir.xattr("plain", "user.DOSATTRIB"), "0x4");
    EXPECT_EQ(read("plain"), S);

    // A dot-name is hidden by default; clearing that must be stored.
    m_dir.makeFile(".profile");
    ASSERT_EQ(write(".profile", A), 0);
    EXPECT_EQ(m_dir.xattr(".profile", "user.DOSATTRIB"), "0x20");
    EXPECT_EQ(read(".profile"), A);

    m_dir.makeFile(sjisTest);
    ASSERT_EQ(write(sjisTest, 0), 0);
    EXPECT_EQ(read(sjisTest), 0u);
}

TEST_F(AttributeWrite, KeepsBitsItDoesNotOwn)
{
    m_dir.makeFile("wine");
    m_dir.setXattr("wine", "user.DOSATTRIB", "0x2004"); // system plus a bit we do not set
    ASSERT_EQ(write("wine", S | H), 0);
    EXPECT_EQ(m_dir.xattr("wine", "user.DOSATTRIB"), "0x2006");
}

// Samba's record: a NUL-terminated hex text (empty here by default), then
// aligned to 2 the version and level 4, then aligned to 4 the valid flags,
// the attribute word and a creation time.
std::string sambaRecord(std::uint32_t attributes, const std::string& text = "")
{
    std::string v = text + '\0';
    if (v.size() % 2 != 0)
        v += '\0';
    v += std::string("\4\0\4\0", 4);
    while (v.size() % 4 != 0)
        v += '\0';
    v += std::string("\x11\0\0\0", 4);
    for (int i = 0; i < 4; ++i)
        v += static_cast<char>(attributes >> (8 * i));
    for (int i = 0; i < 16; ++i)
        v += static_cast<char>(0xB0 + i);
    return v;
}

TEST_F(AttributeWrite, PatchesASambaRecordInPlace)
{
    m_dir.makeFile("share");
    m_dir.setXattr("share", "user.DOSATTRIB", sambaRecord(0x20));
    ASSERT_EQ(write("share", A | H | RO), 0);
    std::string expected = sambaRecord(0x23);
    EXPECT_EQ(m_dir.xattr("share", "user.DOSATTRIB"), expected);
    EXPECT_EQ(read("share"), A | H | RO);
    EXPECT_EQ(m_dir.mode("share"), 0444u);

    ASSERT_EQ(write("share", H), 0);
    EXPECT_EQ(m_dir.xattr("share", "user.DOSATTRIB"), sambaRecord(0x02));
    EXPECT_EQ(m_dir.mode("share"), 0644u);
}

TEST_F(AttributeWrite, PatchesTheHexTextInFrontOfARecord)
{
    m_dir.makeFile("same-length");
    m_dir.setXattr("same-length", "user.DOSATTRIB", sambaRecord(0x20, "0x20"));
    ASSERT_EQ(write("same-length", A | H), 0);
    EXPECT_EQ(m_dir.xattr("same-length", "user.DOSATTRIB"), sambaRecord(0x22, "0x22"));

    // "0x2" to "0x22" needs one more digit: the text grows by eight, so every
    // field after it keeps its alignment.
    m_dir.makeFile("longer");
    m_dir.setXattr("longer", "user.DOSATTRIB", sambaRecord(0x02, "0x2"));
    ASSERT_EQ(write("longer", A | H), 0);
    EXPECT_EQ(m_dir.xattr("longer", "user.DOSATTRIB"), sambaRecord(0x22, "0x000000022"));
    EXPECT_EQ(read("longer"), A | H);
}

TEST_F(AttributeWrite, LeavesAValueItDoesNotUnderstand)
{
    m_dir.makeFile("odd");
    m_dir.setXattr("odd", "user.DOSATTRIB", "something else");
    EXPECT_EQ(write("odd", A | H), EINVAL);
    EXPECT_EQ(m_dir.xattr("odd", "user.DOSATTRIB"), "something else");
    EXPECT_EQ(write("missing", A), ENOENT);
}

TEST(AttributeWriteElsewhere, FailsWhereNoUserAttributesAreStored)
{
    // procfs keeps no user attributes; hiding a file there must fail.
    const FolderHandle proc("/proc/self/");
    ASSERT_TRUE(proc.isOpen());
    std::uint32_t a = 0;
    ASSERT_EQ(readAttributes(proc, "comm", a), 0);
    EXPECT_EQ(a & H, 0u);
    const int rc = changeAttributes(proc, "comm", 0, a | H);
    EXPECT_TRUE(rc == ENOTSUP || rc == EPERM || rc == EACCES) << rc;
}

TEST(AttributeWriteAsOwner, HidesAReadOnlyFileOfAnOrdinaryUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs to become another user";
    ScratchDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    dir.makeFile("mine", 0, -1, 0444);
    const uid_t nobody = 65534;
    ASSERT_EQ(chown((dir / "mine").c_str(), nobody, nobody), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(100);
        const FolderHandle handle(dir.path());
        _exit(changeAttributes(handle, "mine", 0, RO | H | A));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.xattr("mine", "user.DOSATTRIB"), "0x22");
    EXPECT_EQ(dir.mode("mine"), 0444u); // opened only for the write
}

} // namespace
} // namespace torvel
