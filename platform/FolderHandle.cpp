#include "FolderHandle.h"

#include "ByteText.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace torvel {

FolderHandle::FolderHandle(int fd, std::string path)
    : m_fd(fd)
    , m_path(withTrailingSlash(std::move(path)))
{
}

FolderHandle::FolderHandle(const std::string& folderPath)
    : m_path(withTrailingSlash(folderPath))
{
    m_fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

FolderHandle::~FolderHandle()
{
    close();
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
    , m_path(std::move(other.m_path))
{
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_path = std::move(other.m_path);
    }
    return *this;
}

void FolderHandle::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

FileHandle::FileHandle(int fd, const struct stat& st, std::string name)
    : m_fd(fd)
    , m_stat(st)
    , m_name(std::move(name))
{
}

FileHandle::~FileHandle()
{
    close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_stat(other.m_stat)
    , m_name(std::move(other.m_name))
{
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_stat = other.m_stat;
        m_name = std::move(other.m_name);
    }
    return *this;
}

int FileHandle::release()
{
    return std::exchange(m_fd, -1);
}

void FileHandle::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace torvel
