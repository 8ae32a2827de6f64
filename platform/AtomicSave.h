#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace torvel {

// The system calls through which a file's contents are replaced. Each one is a
// thin layer over one call and reports like it (-1 and errno on failure), so a
// test can make any single step fail, or stop the process at any point, on
// real files.
class SaveSteps
{
public:
    virtual ~SaveSteps() = default;

    // Creates and opens a new file for writing; fails when the name exists.
    [[nodiscard]] virtual int openExclusive(const std::string& path, mode_t mode);
    [[nodiscard]] virtual ssize_t write(int fd, const char* data, std::size_t size);
    [[nodiscard]] virtual int sync(int fd);
    [[nodiscard]] virtual int close(int fd);
    [[nodiscard]] virtual int rename(const std::string& from, const std::string& to);
};

// The steps as the operating system performs them.
SaveSteps& systemSaveSteps();

// Replaces the contents of the file at path with bytes, or creates the file.
// The new contents go into a fresh temporary file in the same folder, reach the
// disk, and only then take the file's place in one rename, so that at every
// moment the file holds either its old or its new contents in full. An existing
// file keeps its permission bits (and its owner where the process may set
// it); a symbolic link is followed and its target replaced. On failure the
// temporary file is removed, the old file stays as it was, and the error of
// the failed step is returned; success is an empty error code.
[[nodiscard]] std::error_code replaceFileContents(const std::string& path, std::string_view bytes,
                                                  SaveSteps& steps = systemSaveSteps());

// Removes what saves of the file at path left behind when their process was
// killed: the temporary files beside it whose process is gone. Those of a
// save under way in a running process stay.
void removeStaleSaveTemporaries(const std::string& path);

} // namespace torvel
