#pragma once

#include <string>

#include <sys/stat.h>

#include "ByteText.h"

namespace torvel {

// An open folder that bare names are resolved against, in place of a working
// folder of the process: the folder stays the same one even when its path is
// renamed or replaced while a run is under way. A name given with a leading
// "/" is taken as a full path and the folder is not consulted.
class FolderHandle
{
public:
    FolderHandle() = default;
    FolderHandle(int fd, std::string path);
    // Opens the folder for lookups only (O_PATH), so a folder that may be
    // searched but not listed still works; error() tells why it failed.
    explicit FolderHandle(const std::string& folderPath);
    ~FolderHandle();

    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // errno of a failed open by path, 0 otherwise.
    int error() const { return m_error; }
    // The path the folder was opened by, ending in "/".
    const std::string& path() const { return m_path; }

    void close();

private:
    int m_fd = -1;
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
    FileHandle(int fd, const struct stat& st, std::string name);
    ~FileHandle();

    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const struct stat& status() const { return m_stat; }
    const std::string& name() const { return m_name; }

    // Gives up the descriptor without closing it; the caller closes it.
    int release();
    // Closes quietly; use FileSystem::closeFile where the outcome matters.
    void close();

private:
    int m_fd = -1;
    struct stat m_stat {};
    std::string m_name;
};

} // namespace torvel
