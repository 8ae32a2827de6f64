#pragma once

#include <string>

namespace torvel {

// A folder path as the rest of the program keeps it: ends in "/", so a bare
// name is joined to it by plain concatenation.
std::string withTrailingSlash(const std::string& folder);

// An open folder that bare names are resolved against. Resolving against a
// handle instead of re-joining paths keeps every lookup in the same folder even
// if a parent is renamed meanwhile, and each lookup costs one path component.
// The handle is opened with O_PATH, so a folder that may be searched but not
// listed still works for lookups.
class FolderHandle {
public:
    FolderHandle() noexcept = default;
    explicit FolderHandle(const std::string& folderPath);
    ~FolderHandle();

    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool isOpen() const noexcept { return m_fd >= 0; }
    int fd() const noexcept { return m_fd; }
    // errno of the failed open, 0 when open.
    int error() const noexcept { return m_error; }
    // The folder path given at opening, with a trailing "/".
    const std::string& path() const noexcept { return m_path; }

private:
    void close() noexcept;

    int m_fd = -1;
    int m_error = 0;
    std::string m_path;
};

}  // namespace torvel
