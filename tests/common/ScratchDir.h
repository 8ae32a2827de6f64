#pragma once

// A folder of its own for one test, removed with all it holds at the end. It
// lies under $TMPDIR (else /tmp), or under a chosen root, so that a second
// device can be had from /dev/shm.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace torvel {

class ScratchDir
{
public:
    explicit ScratchDir(const std::string& root = defaultRoot())
    {
        std::string pattern = root + "/torvel-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a folder under " + root + ": "
                                     + std::strerror(errno));
        m_path = pattern + "/";
    }

    ~ScratchDir() { ::nftw(m_path.c_str(), &removeOne, 16, FTW_DEPTH | FTW_PHYS); }

    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder's path, ending in "/".
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

    void write(const std::string& name, const std::string& contents) const
    {
        std::ofstream out(m_path + name, std::ios::binary | std::ios::trunc);
        out << contents;
        if (!out)
            throw std::runtime_error("cannot write " + name);
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(m_path + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // A file of `size` bytes (sparse) with the last-write time `mtime` (seconds
    // since the epoch, with nanoseconds), or the current time when mtime < 0.
    void makeFile(const std::string& name, std::int64_t size = 0, std::int64_t mtime = -1,
                  mode_t mode = 0644, long nanoseconds = 0) const
    {
        const std::string p = m_path + name;
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << p << ": " << std::strerror(errno);
        EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        if (mtime >= 0) {
            const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), nanoseconds}};
            EXPECT_EQ(::futimens(fd, times), 0);
        }
        ::close(fd);
        EXPECT_EQ(::chmod(p.c_str(), mode), 0);
    }

    void makeFolder(const std::string& name) const
    {
        ASSERT_EQ(::mkdir((m_path + name).c_str(), 0755), 0)
            << name << ": " << std::strerror(errno);
    }

    void makeLink(const std::string& target, const std::string& name) const
    {
        ASSERT_EQ(::symlink(target.c_str(), (m_path + name).c_str()), 0) << std::strerror(errno);
    }

    // Whether the name exists at all, a link pointing nowhere included.
    bool has(const std::string& name) const
    {
        struct stat st
        {};
        return ::lstat((m_path + name).c_str(), &st) == 0;
    }
    bool exists(const std::string& name) const { return has(name); }

    mode_t mode(const std::string& name) const
    {
        struct stat st
        {};
        EXPECT_EQ(::stat((m_path + name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    void setXattr(const std::string& name, const std::string& attribute,
                  const std::string& value) const
    {
        ASSERT_EQ(
            ::setxattr((m_path + name).c_str(), attribute.c_str(), value.data(), value.size(), 0),
            0)
            << std::strerror(errno);
    }

    // The value, or "<none>" when the attribute is not there.
    std::string xattr(const std::string& name, const std::string& attribute) const
    {
        char buffer[512];
        const ssize_t n =
            ::getxattr((m_path + name).c_str(), attribute.c_str(), buffer, sizeof buffer);
        return n < 0 ? std::string("<none>") : std::string(buffer, static_cast<std::size_t>(n));
    }

    // The names in the folder (or a folder below it), sorted.
    std::vector<std::string> names(const std::string& sub = {}) const
    {
        std::vector<std::string> result;
        DIR* dir = ::opendir((m_path + sub).c_str());
        if (dir == nullptr)
            return result;
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                result.push_back(name);
        }
        ::closedir(dir);
        std::sort(result.begin(), result.end());
        return result;
    }

    dev_t device() const
    {
        struct stat st
        {};
        ::stat(m_path.c_str(), &st);
        return st.st_dev;
    }

private:
    static std::string defaultRoot()
    {
        const char* base = std::getenv("TMPDIR");
        return base != nullptr && *base != '\0' ? base : "/tmp";
    }

    static int removeOne(const char* path, const struct stat*, int, struct FTW*)
    {
        ::chmod(path, 0700); // a read-only folder must not keep its files
        ::remove(path);
        return 0;
    }

    std::string m_path;
};

} // namespace torvel
