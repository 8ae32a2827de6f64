#include "FolderHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace torvel {

std::string withTrailingSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;  // no folder given stays no folder, not the root
    return folder + '/';
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
    : m_fd(other.m_fd), m_error(other.m_error), m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

void FolderHandle::close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

}  // namespace torvel
