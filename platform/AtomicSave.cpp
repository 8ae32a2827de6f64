#include "AtomicSave.h"

#include "ByteText.h"
#include "FileInfo.h"
#include "UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <vector>

namespace torvel {

int SaveSteps::openExclusive(const std::string& path, mode_t mode)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
}

ssize_t SaveSteps::write(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size);
}

int SaveSteps::sync(int fd)
{
    return ::fsync(fd);
}

int SaveSteps::close(int fd)
{
    return ::close(fd);
}

int SaveSteps::rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}

SaveSteps& systemSaveSteps()
{
    static SaveSteps steps;
    return steps;
}

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// A symbolic link is replaced through its target, so that a settings file
// kept elsewhere and linked beside the executable stays where it is.
std::string resolveTarget(const std::string& path)
{
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

// A name beside the target that no other save, of this process or another,
// picks at the same time; the exclusive open settles any remaining clash.
std::string temporaryNameFor(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    static std::mt19937_64 generator(
        std::random_device{}()
        ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return std::string(folderPart(target)) + "." + std::string(namePart(target)) + "."
           + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-"
           + std::to_string(generator() % 1000000) + ".tmp";
}

bool writeAll(SaveSteps& steps, int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = steps.write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Gives the new file the mode, and where allowed the owner, of the one it
// replaces.
bool copyOwnership(int fd, const std::optional<struct stat>& old)
{
    if (!old)
        return true;
    if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) {
        // Only a privileged process may hand a file to another user; anyone
        // else keeps the file as their own, which is all they could do.
        [[maybe_unused]] const int ignored = ::fchown(fd, old->st_uid, old->st_gid);
    }
    return ::fchmod(fd, old->st_mode & 07777) == 0;
}

// Makes the rename itself durable; the file is already in place, so a failure
// here is not a failure of the save.
void syncFolder(const std::string& folder)
{
    const char* path = folder.empty() ? "." : folder.c_str();
    const UniqueFd dir(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        (void)::fsync(dir.get());
}

} // namespace

std::error_code replaceFileContents(const std::string& path, std::string_view bytes,
                                    SaveSteps& steps)
{
    const std::string target = resolveTarget(path);
    std::optional<struct stat> old;
    struct stat st
    {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                            : std::errc::invalid_argument);
        old = st;
    }

    std::string temporary;
    UniqueFd file;
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        temporary = temporaryNameFor(target);
        file.reset(steps.openExclusive(temporary, 0666));
        if (!file.isOpen() && errno != EEXIST)
            return lastError();
    }
    if (!file.isOpen())
        return lastError();

    std::error_code error;
    const int fd = file.get();
    if (!writeAll(steps, fd, bytes) || !copyOwnership(fd, old) || steps.sync(fd) != 0)
        error = lastError();
    // Closed through the steps, which report a late write error at close.
    if (steps.close(file.release()) != 0 && !error)
        error = lastError();
    if (!error && steps.rename(temporary, target) != 0)
        error = lastError();
    if (error) {
        // The old file is untouched; a temporary file that cannot be removed
        // either is a stray hidden file, and the first error is the one told.
        (void)::unlink(temporary.c_str());
        return error;
    }
    syncFolder(std::string(folderPart(target)));
    return {};
}

void removeStaleSaveTemporaries(const std::string& path)
{
    const std::string folder(folderPart(path));
    const std::string prefix = "." + std::string(namePart(path)) + ".";
    std::vector<ListedEntry> entries;
    if (listFolder(folder.empty() ? "./" : folder, entries) != 0)
        return;
    for (const ListedEntry& entry : entries) {
        std::string_view name = entry.name;
        if (entry.isFolder || !name.starts_with(prefix) || !name.ends_with(".tmp"))
            continue;
        name.remove_prefix(prefix.size());
        pid_t pid = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (error != std::errc() || end == name.data() || *end != '-')
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            (void)::unlink(
                (folder + entry.name).c_str()); // left for the next start if it cannot go
    }
}

} // namespace torvel
