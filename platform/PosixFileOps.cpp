#include "PosixFileOps.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace torvel {

namespace {

// Errors that say "this file system cannot do that", after which a slower
// way of doing the same thing is tried.
bool isNotSupported(int err)
{
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTTY || err == EXDEV
           || err == EBADF;
}

bool isUserAttribute(const char* name)
{
    return std::string_view(name).starts_with("user.");
}

int writeAll(int to, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(to, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Copies whatever is left from the current offsets on.
int copyByReadWrite(int from, int to)
{
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        if (int rc = writeAll(to, buffer.data(), static_cast<std::size_t>(n)))
            return rc;
    }
}

// Copies with copy_file_range up to the size the source had when it was
// opened. Sets fallBack when the file system cannot, so that the caller goes
// on with reads and writes from the offsets reached.
int copyByRange(int from, int to, off_t size, bool& fallBack)
{
    fallBack = false;
    off_t copied = 0;
    while (copied < size) {
        ssize_t n = ::copy_file_range(from, nullptr, to, nullptr,
                                      static_cast<std::size_t>(size - copied), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (copied == 0 && isNotSupported(errno)) {
                fallBack = true;
                return 0;
            }
            return errno;
        }
        if (n == 0) {
            // Some file systems give 0 before the end instead of an error;
            // reads then tell where the end really is.
            fallBack = true;
            return 0;
        }
        copied += n;
    }
    return 0;
}

// Most attribute names and values are short: a first try into a buffer of
// this size spares the call that asks for the size.
constexpr std::size_t firstTrySize = 1024;

int readAttribute(int from, const char* name, std::vector<char>& value)
{
    value.resize(firstTrySize);
    for (;;) {
        ssize_t size = ::fgetxattr(from, name, value.data(), value.size());
        if (size >= 0) {
            value.resize(static_cast<std::size_t>(size));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
        size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0)
            return errno;
        value.resize(static_cast<std::size_t>(size) + 1);
    }
}

int listAttributes(int from, std::vector<char>& names)
{
    names.resize(firstTrySize);
    for (;;) {
        ssize_t size = ::flistxattr(from, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<std::size_t>(size));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
        size = ::flistxattr(from, nullptr, 0);
        if (size < 0)
            return errno;
        names.resize(static_cast<std::size_t>(size) + 1);
    }
}

// The devices whose file system answered a clone with "not supported": a
// run of ten thousand copies asks once, not ten thousand times.
class CloneRefusals
{
public:
    bool known(dev_t device)
    {
        std::lock_guard lock(m_mutex);
        return std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end();
    }

    void add(dev_t device)
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_devices.begin(), m_devices.end(), device) == m_devices.end())
            m_devices.push_back(device);
    }

private:
    std::mutex m_mutex;
    std::vector<dev_t> m_devices;
};

CloneRefusals& cloneRefusals()
{
    static CloneRefusals refusals;
    return refusals;
}

// A clone of the whole file; cloned stays false where the file system
// cannot, so that the data is copied instead.
int cloneFile(int from, int to, dev_t fromDevice, bool& cloned)
{
    cloned = false;
    if (cloneRefusals().known(fromDevice))
        return 0;
    if (::ioctl(to, FICLONE, from) == 0) {
        cloned = true;
        return 0;
    }
    int err = errno;
    if (!isNotSupported(err))
        return err;
    // "Not supported" comes from the file system both files are on (the
    // kernel refuses a pair on two mounts with EXDEV first), so it holds for
    // every later file from this device. EINVAL may be about this one file
    // (one that must not share its blocks) and EXDEV about this pair only.
    if (err == EOPNOTSUPP || err == ENOTTY)
        cloneRefusals().add(fromDevice);
    return 0;
}

// Whether /proc/self/fd names this process's open files: before Linux 6.10
// the only way a file without a name can be given one without privilege.
bool canNameOpenFiles()
{
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

} // namespace

int renameByLink(int fromDir, const char* from, int toDir, const char* to)
{
    // linkat refuses an existing target, which is the point.
    if (::linkat(fromDir, from, toDir, to, 0) != 0)
        return errno;
    if (::unlinkat(fromDir, from, 0) != 0) {
        const int err = errno;
        // The new link goes again so that the file keeps its one old name;
        // the refused unlink is what the caller must hear of.
        (void)::unlinkat(toDir, to, 0);
        return err;
    }
    return 0;
}

int renameChecked(int fromDir, const char* from, int toDir, const char* to)
{
    struct stat st
    {};
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    if (::renameat(fromDir, from, toDir, to) != 0)
        return errno;
    return 0;
}

int renameNoReplaceAt(int fromDir, const char* from, int toDir, const char* to)
{
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
        return err;
    // EINVAL may also be a real refusal (a folder into itself); the fallbacks
    // meet the same refusal and report it.
    err = renameByLink(fromDir, from, toDir, to);
    if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS && err != EMLINK)
        return err;
    return renameChecked(fromDir, from, toDir, to);
}

int copyFileData(int from, int to, off_t size, dev_t fromDevice)
{
    if (size == 0)
        return 0;
    bool cloned = false;
    if (int rc = cloneFile(from, to, fromDevice, cloned))
        return rc;
    if (cloned)
        return 0;
    bool fallBack = false;
    if (int rc = copyByRange(from, to, size, fallBack))
        return rc;
    return fallBack ? copyByReadWrite(from, to) : 0;
}

int openUnnamed(int dir, mode_t mode, UniqueFd& fd)
{
    fd.reset();
    if (!canNameOpenFiles())
        return EOPNOTSUPP;
    fd.reset(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (fd.isOpen())
        return 0;
    int err = errno;
    // A kernel that does not know O_TMPFILE reads it as opening the folder
    // for writing (EISDIR); a file system that cannot answers EOPNOTSUPP,
    // some EINVAL or ENOSYS.
    if (err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOSYS)
        return EOPNOTSUPP;
    return err;
}

int linkUnnamed(int fd, int dir, const char* name)
{
    // linkat never replaces: a name that is taken gives EEXIST. Linking the
    // descriptor itself spares the walk through /proc; kernels before 6.10
    // allow that only to a privileged process and answer ENOENT otherwise.
    static std::atomic<bool> emptyPathWorks{true};
    if (emptyPathWorks.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", dir, name, AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT)
            return errno;
    }
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, path, dir, name, AT_SYMLINK_FOLLOW) != 0)
        return errno;
    emptyPathWorks.store(false, std::memory_order_relaxed);
    return 0;
}

int copyUserAttributes(int from, int to, bool& lost)
{
    std::vector<char> names;
    if (int rc = listAttributes(from, names))
        return rc == EOPNOTSUPP ? 0 : rc; // ENOTSUP is the same value on Linux
    std::vector<char> value;
    for (std::size_t i = 0; i < names.size();) {
        const char* name = names.data() + i;
        i += std::string_view(name).size() + 1;
        if (!isUserAttribute(name))
            continue;
        int rc = readAttribute(from, name, value);
        if (rc == ENODATA)
            continue; // removed since it was listed
        if (rc != 0)
            return rc;
        // A target that stores no user attributes at all (a FAT memory stick)
        // still takes the file: refusing the move would keep people from ever
        // carrying their files there. Any other failure stops the copy.
        if (::fsetxattr(to, name, value.data(), value.size(), 0) != 0) {
            if (errno != EOPNOTSUPP)
                return errno;
            lost = true;
            return 0;
        }
    }
    return 0;
}

int makeFolders(const std::string& path, mode_t mode)
{
    if (path.empty())
        return ENOENT;
    std::size_t end = 0;
    while (end < path.size()) {
        end = path.find('/', end + 1);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(0, end);
        if (part.empty() || part.back() == '/')
            continue;
        if (::mkdir(part.c_str(), mode) == 0)
            continue;
        int err = errno;
        struct stat st
        {};
        if (err != EEXIST)
            return err;
        if (::stat(part.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

} // namespace torvel
