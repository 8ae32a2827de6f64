#pragma once

// Owning what the system hands out to be closed: a file descriptor, and a
// folder listing made from one. Every early return then closes what was
// opened on the way, and no error path needs a close of its own.

#include <cerrno>
#include <memory>
#include <utility>

#include <dirent.h>
#include <unistd.h>

namespace torvel {

class UniqueFd
{
public:
    UniqueFd() noexcept = default;
    // Takes over fd; a negative value (a failed open) holds nothing.
    explicit UniqueFd(int fd) noexcept
        : m_fd(fd)
    {}
    ~UniqueFd() { reset(); }

    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(other.release())
    {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool isOpen() const noexcept { return m_fd >= 0; }
    int get() const noexcept { return m_fd; }

    // Gives the descriptor up without closing it: whoever takes it closes it.
    [[nodiscard]] int release() noexcept { return std::exchange(m_fd, -1); }

    // Closes what is held, quietly, and holds fd instead. errno stays as it
    // was, so that the failure an error path is reporting is not covered up.
    // A close that must be heard from (the last write to a file on a network
    // file system) goes through close() instead.
    void reset(int fd = -1) noexcept
    {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }

    // Closes now: 0, or the errno value of the failed close. The descriptor
    // is given up either way, as the system gives it up.
    [[nodiscard]] int close() noexcept
    {
        if (m_fd < 0)
            return 0;
        return ::close(release()) == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

struct DirStreamCloser
{
    // Nothing was written through a listing, so nothing is lost if closing fails.
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

// A folder listing; closing it closes the descriptor it reads from.
using DirStream = std::unique_ptr<DIR, DirStreamCloser>;

// A listing of the open folder fd, which it takes over. Null when fd is not
// open or the listing cannot be made; fd is closed then, and errno tells why.
inline DirStream openDirStream(UniqueFd fd)
{
    if (!fd.isOpen())
        return nullptr;
    DIR* dir = ::fdopendir(fd.get());
    if (dir == nullptr)
        return nullptr;
    (void)fd.release(); // the listing owns it now
    return DirStream(dir);
}

} // namespace torvel
