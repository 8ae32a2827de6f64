#include "FolderHandle.h"

#include "ByteText.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>

namespace torvel {

FolderHandle::FolderHandle(UniqueFd fd, std::string path)
    : m_fd(std::move(fd))
    , m_path(withTrailingSlash(std::move(path)))
{}

FolderHandle::FolderHandle(const std::string& folderPath)
    : m_path(withTrailingSlash(folderPath))
{
    m_fd.reset(::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_fd.isOpen())
        m_error = errno;
}

FileHandle::FileHandle(UniqueFd fd, const struct stat& st, std::string name)
    : m_fd(std::move(fd))
    , m_stat(st)
    , m_name(std::move(name))
{}

} // namespace torvel
