#include "AtomicSave.h"
#include "ProfileFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace torvel {
namespace {

namespace fs = std::filesystem;

// SEARCH_DIR written as the settings code writes it: load, set, save.
std::error_code saveSearchDir(const std::string& path, const std::string& folder)
{
    ProfileFile profile = ProfileFile::load(path);
    if (const std::error_code error = profile.writeString("SEARCH", "SEARCH_DIR", folder))
        return error;
    return profile.save();
}

// Fails one chosen step the way a full disk or a failing device does.
class FailingSteps : public SaveSteps
{
public:
    enum class Step
    {
        None,
        Open,
        Write,
        Sync,
        Close,
        Rename
    };
    explicit FailingSteps(Step failing, int error = ENOSPC)
        : m_failing(failing)
        , m_error(error)
    {}

    int openExclusive(const std::string& path, mode_t mode) override
    {
        return fail(Step::Open) ? -1 : SaveSteps::openExclusive(path, mode);
    }
    ssize_t write(int fd, const char* data, std::size_t size) override
    {
        // The first write goes through partly, as on a disk that fills up.
        if (m_failing == Step::Write && m_written > 0)
            return fail(Step::Write) ? -1 : 0;
        const ssize_t n = SaveSteps::write(fd, data, size > 3 ? size / 2 : size);
        if (n > 0)
            m_written += static_cast<std::size_t>(n);
        return n;
    }
    int sync(int fd) override { return fail(Step::Sync) ? -1 : SaveSteps::sync(fd); }
    int close(int fd) override
    {
        const int result = SaveSteps::close(fd);
        return fail(Step::Close) ? -1 : result;
    }
    int rename(const std::string& from, const std::string& to) override
    {
        return fail(Step::Rename) ? -1 : SaveSteps::rename(from, to);
    }

private:
    bool fail(Step step) const
    {
        if (step != m_failing)
            return false;
        errno = m_error;
        return true;
    }
    Step m_failing;
    int m_error;
    std::size_t m_written = 0;
};

// The process dies after the new contents are on disk and before they take
// the old file's place.
class CrashBeforeRename : public SaveSteps
{
public:
    int rename(const std::string&, const std::string&) override { std::_Exit(3); }
};

class AtomicSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/torvel-save-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        m_path = m_dir + "torvel.ini";
        std::ofstream(m_path, std::ios::binary) << Old;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    int entries() const
    {
        return static_cast<int>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    static constexpr const char* Old = "[SEARCH]\nSEARCH_DIR=/old/\n; mine\n";
    std::string m_dir;
    std::string m_path;
};

TEST_F(AtomicSaveTest, EveryFailingStepLeavesTheOldFileWholeAndNoTemporaryFile)
{
    using Step = FailingSteps::Step;
    for (const Step step : {Step::Open, Step::Write, Step::Sync, Step::Close, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        FailingSteps steps(step);
        ProfileFile profile = ProfileFile::load(m_path);
        ASSERT_FALSE(profile.writeString("SEARCH", "SEARCH_DIR", "/new/"));
        EXPECT_EQ(profile.save(steps), std::errc::no_space_on_device);
        EXPECT_EQ(contents(m_path), Old);
        EXPECT_EQ(entries(), 1);
    }
    // The same steps without a failure do write, in small pieces.
    FailingSteps none(FailingSteps::Step::None);
    EXPECT_FALSE(replaceFileContents(m_path, std::string(100000, 'n'), none));
    EXPECT_EQ(contents(m_path), std::string(100000, 'n'));
    EXPECT_EQ(entries(), 1);
}

TEST_F(AtomicSaveTest, CrashBeforeTheRenameLeavesTheOldFileWhole)
{
    EXPECT_EXIT(
        {
            CrashBeforeRename steps;
            ProfileFile profile = ProfileFile::load(m_path);
            (void)profile.writeString("SEARCH", "SEARCH_DIR", "/new/");
            (void)profile.save(steps);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(contents(m_path), Old);
    EXPECT_EQ(ProfileFile::load(m_path).readString("SEARCH", "SEARCH_DIR", ""), "/old/");
    // The next run saves normally beside the leftover temporary file.
    EXPECT_FALSE(saveSearchDir(m_path, "/new/"));
    EXPECT_EQ(contents(m_path), "[SEARCH]\nSEARCH_DIR=/new/\n; mine\n");
    // At the next start the leftover goes; a save under way in a live process stays.
    const std::string ours = m_dir + ".torvel.ini." + std::to_string(::getpid()) + "-0-1.tmp";
    std::ofstream(ours) << "being written";
    ASSERT_EQ(entries(), 3);
    removeStaleSaveTemporaries(m_path);
    EXPECT_EQ(entries(), 2);
    EXPECT_TRUE(fs::exists(ours));
}

TEST_F(AtomicSaveTest, FolderThatRefusesTheFileGivesTheErrorAndCreatesNothing)
{
    EXPECT_EQ(saveSearchDir(m_dir + "gone/torvel.ini", "/new/"),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(saveSearchDir(m_path + "/torvel.ini", "/new/"), std::errc::not_a_directory);
    fs::create_directory(m_dir + "folder.ini");
    EXPECT_EQ(replaceFileContents(m_dir + "folder.ini", "x"), std::errc::is_a_directory);
    // A write refused by the file system itself, as for a user without rights.
    FailingSteps refused(FailingSteps::Step::Open, EACCES);
    EXPECT_EQ(replaceFileContents(m_path, "x", refused), std::errc::permission_denied);
    EXPECT_EQ(contents(m_path), Old);
    EXPECT_EQ(entries(), 2);
}

TEST_F(AtomicSaveTest, ReplacedFileKeepsItsModeAndALinkKeepsPointingAtIt)
{
    ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
    EXPECT_FALSE(replaceFileContents(m_path, "new"));
    struct stat st
    {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    fs::create_directory(m_dir + "real");
    const std::string target = m_dir + "real/settings.ini";
    std::ofstream(target) << "old";
    fs::create_symlink(target, m_dir + "link.ini");
    EXPECT_FALSE(replaceFileContents(m_dir + "link.ini", "through the link"));
    EXPECT_TRUE(fs::is_symlink(m_dir + "link.ini"));
    EXPECT_EQ(contents(target), "through the link");

    const mode_t mask = ::umask(022);
    EXPECT_FALSE(replaceFileContents(m_dir + "fresh.ini", "x"));
    ::umask(mask);
    ASSERT_EQ(::stat((m_dir + "fresh.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

} // namespace
} // namespace torvel
