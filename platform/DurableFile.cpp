#include "DurableFile.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace torvel {

DurableFile::~DurableFile()
{
    close();
}

DurableFile::DurableFile(DurableFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_folderFd(std::exchange(other.m_folderFd, -1))
{}

DurableFile& DurableFile::operator=(DurableFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_folderFd = std::exchange(other.m_folderFd, -1);
    }
    return *this;
}

void DurableFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_fd = m_folderFd = -1;
}

int DurableFile::create(const std::string& folder, const std::string& name)
{
    close();
    m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        return errno;
    m_fd = ::openat(m_folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC,
                    0600);
    if (m_fd < 0) {
        const int error = errno;
        close();
        return error;
    }
    return 0;
}

int DurableFile::openToAppend(const std::string& path)
{
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return m_fd >= 0 ? 0 : errno;
}

int DurableFile::append(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(m_fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int DurableFile::sync()
{
    if (::fsync(m_fd) != 0)
        return errno;
    // A new file's name is on the disk only once its folder is.
    if (m_folderFd >= 0) {
        if (::fsync(m_folderFd) != 0)
            return errno;
        ::close(m_folderFd);
        m_folderFd = -1;
    }
    return 0;
}

int readWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return error;
}

std::string stateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + (std::string(state).back() == '/' ? "" : "/") + "torvel/";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/torvel/";
}

} // namespace torvel
