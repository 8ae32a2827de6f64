#include "PosixFileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "PosixFileOps.h"
#include "Trash.h"

namespace torvel {

namespace {

// A name for a temporary file that is unlikely to be taken; O_EXCL decides.
std::string tempCandidate()
{
    static std::atomic<unsigned> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    unsigned value = static_cast<unsigned>(now.tv_nsec) ^ (static_cast<unsigned>(::getpid()) << 16)
                     ^ (counter.fetch_add(1) * 2654435761u);
    char text[32];
    std::snprintf(text, sizeof text, ".torvel-%08x.tmp", value);
    return text;
}

int statusOf(int fd, struct stat& st)
{
    return ::fstat(fd, &st) == 0 ? 0 : errno;
}

int typeError(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : EINVAL;
}

} // namespace

int PosixFileSystem::openFolder(const std::string& path, FolderHandle& out)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return errno;
    out = FolderHandle(std::move(fd), path);
    return 0;
}

int PosixFileSystem::probe(const FolderHandle& dir, const std::string& name, EntryId& id)
{
    id = EntryId{};
    struct stat st
    {};
    if (::fstatat(dir.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? 0 : errno;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.changed = st.st_ctim;
    id.kind = EntryKind::File;
    if (S_ISDIR(st.st_mode))
        id.kind = EntryKind::Folder;
    else if (S_ISLNK(st.st_mode) && ::fstatat(dir.fd(), name.c_str(), &st, 0) == 0
             && S_ISDIR(st.st_mode))
        id.kind = EntryKind::Folder;
    return 0;
}

int PosixFileSystem::renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                                     const FolderHandle& toDir, const std::string& to)
{
    return renameNoReplaceAt(fromDir.fd(), from.c_str(), toDir.fd(), to.c_str());
}

int PosixFileSystem::removeFile(const FolderHandle& dir, const std::string& name)
{
    return ::unlinkat(dir.fd(), name.c_str(), 0) == 0 ? 0 : errno;
}

int PosixFileSystem::readNames(const FolderHandle& dir, std::vector<std::string>& names)
{
    return listNames(dir, names, nullptr);
}

int PosixFileSystem::readNames(const FolderHandle& dir, std::vector<std::string>& names,
                               std::vector<std::uint64_t>& inodes)
{
    inodes.clear();
    return listNames(dir, names, &inodes);
}

int PosixFileSystem::listNames(const FolderHandle& dir, std::vector<std::string>& names,
                               std::vector<std::uint64_t>* inodes)
{
    names.clear();
    return readEachName(dir, [&](std::string_view name, std::uint64_t inode) {
        names.emplace_back(name);
        if (inodes != nullptr)
            inodes->push_back(inode);
    });
}

int PosixFileSystem::readEachName(const FolderHandle& dir, const EachName& each)
{
    // The stream owns the descriptor it is given, so it gets a copy, and
    // starts from the beginning whatever an earlier reading left behind.
    const DirStream stream =
        openDirStream(UniqueFd(::openat(dir.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!stream)
        return errno;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr)
            return errno;
        const std::string_view name = entry->d_name;
        if (!isDotOrDotDot(name))
            each(name, entry->d_ino);
    }
}

int PosixFileSystem::openSource(const FolderHandle& dir, const std::string& name, bool followLinks,
                                FileHandle& out)
{
    struct stat st
    {};
    if (::fstatat(dir.fd(), name.c_str(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    // Checked before opening: opening a named pipe would wait for a writer.
    if (int rc = typeError(st))
        return rc;
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW);
    UniqueFd fd(::openat(dir.fd(), name.c_str(), flags));
    if (!fd.isOpen())
        return errno;
    if (int rc = statusOf(fd.get(), st))
        return rc;
    if (int rc = typeError(st))
        return rc;
    out = FileHandle(std::move(fd), st, name);
    return 0;
}

PosixFileSystem::PosixFileSystem(bool unnamedTemps)
    : m_unnamedTemps(unnamedTemps)
{}

int PosixFileSystem::createTemp(const FolderHandle& dir, mode_t mode, FileHandle& out,
                                std::string& tempName)
{
    tempName.clear();
    if (m_unnamedTemps) {
        // Nobody can open a file without a name, so it may have the finished
        // file's permission bits from the start, and then needs no chmod.
        // The owner keeps the right to write, which storing its attributes
        // needs; a read-only file loses it when its mode is copied.
        UniqueFd fd;
        const int rc = openUnnamed(dir.fd(), (mode & 0777) | S_IWUSR, fd);
        if (rc == 0)
            return adoptTemp(dir, std::move(fd), {}, out);
        if (rc != EOPNOTSUPP)
            return rc;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = tempCandidate();
        UniqueFd fd(
            ::openat(dir.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.isOpen()) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (int rc = adoptTemp(dir, std::move(fd), name, out))
            return rc;
        tempName = name;
        return 0;
    }
    return EEXIST;
}

// The created file's owner and mode tell copyMetadata what still differs
// from the source.
int PosixFileSystem::adoptTemp(const FolderHandle& dir, UniqueFd fd, const std::string& name,
                               FileHandle& out)
{
    struct stat st
    {};
    if (int rc = statusOf(fd.get(), st)) {
        // The error of the stat is the one to report; a temporary file that
        // cannot be removed either is a stray hidden file, not a second error.
        if (!name.empty())
            (void)::unlinkat(dir.fd(), name.c_str(), 0);
        return rc;
    }
    out = FileHandle(std::move(fd), st, name);
    return 0;
}

int PosixFileSystem::commitTemp(const FolderHandle& dir, const FileHandle& temp,
                                const std::string& tempName, const std::string& to)
{
    if (tempName.empty())
        return linkUnnamed(temp.fd(), dir.fd(), to.c_str());
    return renameNoReplaceAt(dir.fd(), tempName.c_str(), dir.fd(), to.c_str());
}

int PosixFileSystem::copyData(const FileHandle& from, const FileHandle& to)
{
    return copyFileData(from.fd(), to.fd(), from.status().st_size, from.status().st_dev);
}

int PosixFileSystem::copyMetadata(const FileHandle& from, const FileHandle& to, bool forMove,
                                  MetadataLost& lost)
{
    const struct stat& st = from.status();
    const struct stat& made = to.status();
    // Giving a file away needs privilege; without it the copy stays the
    // mover's own, as any copy a user makes.
    if (forMove && (made.st_uid != st.st_uid || made.st_gid != st.st_gid)
        && ::fchown(to.fd(), st.st_uid, st.st_gid) != 0 && errno != EPERM)
        return errno;
    if (int rc = copyUserAttributes(from.fd(), to.fd(), lost.attributes))
        return rc;
    // Changing the owner drops set-id bits, but a file is never created
    // with them, so the mode still differs where it matters. A file system
    // without permission bits (FAT through FUSE answers ENOSYS) still takes
    // the file, as it takes it without user attributes.
    if ((made.st_mode & 07777) != (st.st_mode & 07777)
        && ::fchmod(to.fd(), st.st_mode & 07777) != 0) {
        if (errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM)
            return errno;
        lost.mode = true;
    }
    timespec times[2] = {st.st_atim, st.st_mtim};
    if (!forMove)
        times[0] = timespec{0, UTIME_OMIT};
    return ::futimens(to.fd(), times) == 0 ? 0 : errno;
}

int PosixFileSystem::syncFile(const FileHandle& file)
{
    return ::fsync(file.fd()) == 0 ? 0 : errno;
}

int PosixFileSystem::closeFile(FileHandle& file)
{
    return file.release().close();
}

int PosixFileSystem::createFolders(const std::string& path)
{
    return makeFolders(path, 0777);
}

int PosixFileSystem::trash(const FolderHandle& dir, const std::string& name, TrashPlace& where)
{
    return Trash().put(dir, name, &where);
}

int PosixFileSystem::setLastWriteTime(const FolderHandle& dir, const std::string& name,
                                      const timespec& when)
{
    const timespec times[2] = {timespec{0, UTIME_OMIT}, when};
    return ::utimensat(dir.fd(), name.c_str(), times, 0) == 0 ? 0 : errno;
}

PosixFileSystem& realFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}

} // namespace torvel
