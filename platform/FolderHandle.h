#pragma once

#include <string>

#include <sys/stat.h>

#include "ByteText.h"
#include "UniqueFd.h"

namespace torvel {

// An open folder that bare names are resolved against, in place of a working
// folder of the process: the folder stays the same one even when its path is
// renamed or replaced while a run is under way. A name given with a leading
// "/" is taken as a full path and the folder is not consulted.
class FolderHandle
{
public:
    FolderHandle() = default;
    FolderHandle(UniqueFd fd, std::string path);
    // Opens the folder for lookups only (O_PATH), so a folder that may be
    // searched but not listed still works; error() tells why it failed.
    explicit FolderHandle(const std::string& folderPath);

    bool isOpen() const { return m_fd.isOpen(); }
    int fd() const { return m_fd.get(); }
    // errno of a failed open by path, 0 otherwise.
    int error() const { return m_error; }
    // The path the folder was opened by, ending in "/".
    const std::string& path() const { return m_path; }

    void close() { m_fd.reset(); }

private:
    UniqueFd m_fd;
    int m_error = 0;
    std::string m_path;
};

// An open regular file taken part in a copy, with what fstat said of it when
// it was opened. The name is the one the file was opened by, kept so that
// failures can be told apart by name.
class FileHandle
{
public:
    FileHandle() = default;
    FileHandle(UniqueFd fd, const struct stat& st, std::string name);

    bool isOpen() const { return m_fd.isOpen(); }
    int fd() const { return m_fd.get(); }
    const struct stat& status() const { return m_stat; }
    const std::string& name() const { return m_name; }

    // Gives up the descriptor without closing it, to the caller.
    [[nodiscard]] UniqueFd release() { return std::move(m_fd); }
    // Closes quietly; use FileSystem::closeFile where the outcome matters.
    void close() { m_fd.reset(); }

private:
    UniqueFd m_fd;
    struct stat m_stat
    {};
    std::string m_name;
};

} // namespace torvel
