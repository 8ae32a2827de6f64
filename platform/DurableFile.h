#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// A file that records what is being done, so that it can be read back after
// the process was killed or the machine lost power: it is written with plain
// write calls, and sync() puts what was written, and the file's name in its
// folder, on the disk.
class DurableFile
{
public:
    DurableFile() = default;
    ~DurableFile();
    DurableFile(DurableFile&& other) noexcept;
    DurableFile& operator=(DurableFile&& other) noexcept;
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // Creates a new file (never replacing one) in folder, which ends in "/".
    [[nodiscard]] int create(const std::string& folder, const std::string& name);
    // Opens an existing file to add to its end.
    [[nodiscard]] int openToAppend(const std::string& path);
    [[nodiscard]] int append(std::string_view text);
    [[nodiscard]] int sync();
    bool isOpen() const { return m_fd >= 0; }

private:
    void close();

    int m_fd = -1;
    int m_folderFd = -1; // synced once, with the first sync after create
};

// The whole contents of a file.
[[nodiscard]] int readWholeFile(const std::string& path, std::string& out);

// The folder where the program keeps what it records of its runs:
// $XDG_STATE_HOME/torvel/, or ~/.local/state/torvel/ when that variable is
// unset, empty or not an absolute path. Not created here.
std::string stateFolder();

} // namespace torvel
