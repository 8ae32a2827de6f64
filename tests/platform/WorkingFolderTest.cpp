#include "WorkingFolder.h"

#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>

namespace torvel {
namespace {

// A chain of folders whose whole path is longer than the system opens, made
// and removed through folder handles, as no path to its end can be used.
class DeepFolder
{
public:
    explicit DeepFolder(const std::string& base)
    {
        m_levels.push_back(::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        for (std::size_t length = base.size(); length <= PATH_MAX; length += kName.size() + 1) {
            ::mkdirat(m_levels.back(), kName.c_str(), 0755);
            m_levels.push_back(::openat(m_levels.back(), kName.c_str(), O_PATH | O_DIRECTORY));
        }
    }
    ~DeepFolder()
    {
        for (std::size_t i = m_levels.size() - 1; i > 0; --i) {
            ::close(m_levels[i]);
            ::unlinkat(m_levels[i - 1], kName.c_str(), AT_REMOVEDIR);
        }
        ::close(m_levels.front());
    }
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;

    bool enter() const { return ::fchdir(m_levels.back()) == 0; }

private:
    const std::string kName = std::string(200, 'd');
    std::vector<int> m_levels;
};

// What a process finds after enter() has moved it, asked in a child process
// so that the test program's own working folder stays.
WorkingFolder foundAfter(const std::function<bool()>& enter)
{
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (!enter())
            ::_exit(1);
        const WorkingFolder found = currentWorkingFolder();
        const bool written = ::write(pipeEnds[1], &found.error, sizeof found.error) > 0
                             && ::write(pipeEnds[1], found.path.data(), found.path.size()) >= 0;
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    WorkingFolder found;
    EXPECT_EQ(::read(pipeEnds[0], &found.error, sizeof found.error), ssize_t(sizeof found.error));
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        found.path.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return found;
}

TEST(WorkingFolder, IsNamedOnlyByAPathThatLeadsBackToIt)
{
    ScratchDir dir;
    dir.makeFolder("here");
    char* real = ::realpath((dir / "here").c_str(), nullptr);
    const std::string here = std::string(real) + "/";
    std::free(real);
    const DeepFolder deep(dir.path());
    const std::string gone = dir / "gone";

    struct Case
    {
        const char* name;
        std::function<bool()> enter;
        std::string path;
        int error;
    };
    const Case cases[] = {
        {"a folder that is there", [&] { return ::chdir(here.c_str()) == 0; }, here, 0},
        {"a folder removed while worked in",
         [&] {
             return ::mkdir(gone.c_str(), 0755) == 0 && ::chdir(gone.c_str()) == 0
                    && ::rmdir(gone.c_str()) == 0;
         },
         "", ENOENT},
        {"a folder deeper than the longest path", [&] { return deep.enter(); }, "", ENAMETOOLONG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WorkingFolder found = foundAfter(c.enter);
        EXPECT_EQ(found.path, c.path);
        EXPECT_EQ(found.error, c.error);
    }
}

} // namespace
} // namespace torvel
