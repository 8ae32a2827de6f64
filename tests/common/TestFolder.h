#pragma once

// Real files in a fresh temporary folder for the tests of the layers below the
// window, plus a time zone fixed for the test's duration.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace torvel::test {

class TestFolder {
public:
    TestFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base != nullptr && *base != '\0' ? base : "/tmp")
            + "/torvel-test-XXXXXX";
        if (mkdtemp(templ.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
        m_path = templ + "/";
    }

    ~TestFolder()
    {
        nftw(m_path.c_str(),
             [](const char* p, const struct stat*, int, FTW*) {
                 chmod(p, 0700);  // a read-only folder must not keep its files
                 return remove(p);
             },
             32, FTW_DEPTH | FTW_PHYS);
    }

    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // Ends in "/".
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

    // A file of `size` bytes (sparse) with the last-write time `mtime` (seconds
    // since the epoch, with nanoseconds), or the current time when mtime < 0.
    void makeFile(const std::string& name, std::int64_t size = 0, std::int64_t mtime = -1,
                  mode_t mode = 0644, long nanoseconds = 0) const
    {
        const std::string p = m_path + name;
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << p << ": " << std::strerror(errno);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        if (mtime >= 0) {
            const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), nanoseconds}};
            EXPECT_EQ(futimens(fd, times), 0);
        }
        ::close(fd);
        EXPECT_EQ(::chmod(p.c_str(), mode), 0);
    }

    void makeFolder(const std::string& name) const
    {
        ASSERT_EQ(::mkdir((m_path + name).c_str(), 0755), 0) << std::strerror(errno);
    }

    void makeLink(const std::string& target, const std::string& name) const
    {
        ASSERT_EQ(::symlink(target.c_str(), (m_path + name).c_str()), 0) << std::strerror(errno);
    }

    void setXattr(const std::string& name, const std::string& attribute, const std::string& value) const
    {
        ASSERT_EQ(::setxattr((m_path + name).c_str(), attribute.c_str(), value.data(), value.size(), 0), 0)
            << std::strerror(errno);
    }

    // The value, or "<none>" when the attribute is not there.
    std::string xattr(const std::string& name, const std::string& attribute) const
    {
        char buffer[512];
        const ssize_t n = ::getxattr((m_path + name).c_str(), attribute.c_str(), buffer, sizeof buffer);
        return n < 0 ? std::string("<none>") : std::string(buffer, static_cast<std::size_t>(n));
    }

    mode_t mode(const std::string& name) const
    {
        struct stat st {};
        EXPECT_EQ(::stat((m_path + name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    bool exists(const std::string& name) const
    {
        struct stat st {};
        return ::lstat((m_path + name).c_str(), &st) == 0;
    }

private:
    std::string m_path;
};

// Sets TZ for the life of the object and puts the old value back after.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadOld = false;
    std::string m_old;
};

// Seconds since the epoch of a wall-clock time in Japan (UTC+9, no summer time
// since 1951), computed without the C library.
inline std::int64_t tokyoInstant(int year, int month, int day, int hour, int minute, int second)
{
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * ((month + 9) % 12) + 2) / 5 + day - 1;
    const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second - 9 * 3600;
}

// "テスト" in Shift-JIS: not UTF-8.
inline const std::string sjisTest = "\x83\x65\x83\x58\x83\x67";

}  // namespace torvel::test
