#include "Trash.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"

namespace torvel {

namespace {

constexpr std::string_view infoSuffix = ".trashinfo";
// Room for the suffix that tells two trashed files of one name apart.
constexpr std::size_t numberRoom = 6;
constexpr int maxCandidates = 100000;

std::string userIdText()
{
    return std::to_string(static_cast<unsigned long>(::geteuid()));
}

std::string homeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    passwd* entry = ::getpwuid(::geteuid());
    return (entry != nullptr && entry->pw_dir != nullptr) ? entry->pw_dir : "/";
}

// The folder the handle stands for as the kernel sees it now, which is right
// even when a folder on its path was renamed after it was opened.
int realFolderOf(const FolderHandle& dir, std::string& folder)
{
    char buffer[PATH_MAX + 1];
    std::string link = "/proc/self/fd/" + std::to_string(dir.fd());
    ssize_t n = ::readlink(link.c_str(), buffer, PATH_MAX);
    if (n > 0 && buffer[0] == '/') {
        folder = withTrailingSlash(std::string(buffer, static_cast<std::size_t>(n)));
        return 0;
    }
    char* real = ::realpath(dir.path().c_str(), nullptr);
    if (real == nullptr)
        return errno;
    folder = withTrailingSlash(real);
    std::free(real);
    return 0;
}

// Creates a folder that only the user may use, or accepts an existing one
// that is the user's own, a real folder and not a link to somewhere else.
int ensurePrivateFolder(const std::string& folder)
{
    // With a trailing "/" lstat would follow a link, and mkdir would answer
    // ENOTDIR for a file in the way.
    const std::string path(withoutTrailingSlashes(folder));
    if (::mkdir(path.c_str(), 0700) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return EACCES;
    return 0;
}

int ensureTrashFolders(const std::string& trash)
{
    if (int rc = ensurePrivateFolder(trash))
        return rc;
    if (int rc = ensurePrivateFolder(trash + "files"))
        return rc;
    return ensurePrivateFolder(trash + "info");
}

// The device of the nearest part of path that exists.
int deviceOfNearest(std::string path, dev_t& device)
{
    for (;;) {
        struct stat st
        {};
        if (::stat(path.c_str(), &st) == 0) {
            device = st.st_dev;
            return 0;
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return errno;
        // The part without its "/", so that a file standing there is the
        // nearest part that exists.
        const std::string parent = parentFolder(path);
        if (parent.empty())
            return ENOENT;
        path = withoutTrailingSlashes(parent);
    }
}

// The name under files/: the file's own, shortened when its record's name
// would be longer than a file system allows, and numbered from the second on.
std::string trashCandidate(const std::string& name, int number)
{
    std::size_t limit = NAME_MAX - infoSuffix.size() - numberRoom;
    std::string base = name;
    if (base.size() > limit) {
        base.resize(limit);
        // Do not end in the middle of a UTF-8 character.
        while (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80)
            base.pop_back();
        if (!base.empty() && static_cast<unsigned char>(base.back()) >= 0xC0)
            base.pop_back();
    }
    return number == 1 ? base : base + "." + std::to_string(number);
}

int writeRecord(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Makes info/<candidate>.trashinfo, which must not exist yet. EEXIST when
// the candidate is taken, in files/ or in info/.
int createRecord(int infoFd, int filesFd, const std::string& candidate, const std::string& text)
{
    struct stat st
    {};
    if (::fstatat(filesFd, candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    const std::string record = candidate + std::string(infoSuffix);
    UniqueFd fd(::openat(infoFd, record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.isOpen())
        return errno;
    int rc = writeRecord(fd.get(), text);
    const int closed = fd.close();
    if (rc == 0)
        rc = closed;
    // A record that was not written whole must not stay; the failed write or
    // close is what the caller hears of, not a failure to remove it as well.
    if (rc != 0)
        (void)::unlinkat(infoFd, record.c_str(), 0);
    return rc;
}

int putWithFolders(int infoFd, int filesFd, const std::string& recordText, int dirFd,
                   const std::string& name, std::string& placed)
{
    for (int number = 1; number <= maxCandidates; ++number) {
        std::string candidate = trashCandidate(name, number);
        int rc = createRecord(infoFd, filesFd, candidate, recordText);
        if (rc == EEXIST)
            continue;
        if (rc != 0)
            return rc;
        rc = renameNoReplaceAt(dirFd, name.c_str(), filesFd, candidate.c_str());
        if (rc == 0) {
            placed = candidate;
            return 0;
        }
        // No record without its file: the rename's error is the one reported.
        (void)::unlinkat(infoFd, (candidate + std::string(infoSuffix)).c_str(), 0);
        if (rc != EEXIST)
            return rc;
    }
    return EEXIST;
}

} // namespace

std::string Trash::homeFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base =
        (data != nullptr && data[0] == '/') ? std::string(data) : homeDirectory() + "/.local/share";
    return withTrailingSlash(base) + "Trash/";
}

int Trash::volumeFolder(const std::string& topdir, std::string& folder)
{
    std::string top = withTrailingSlash(topdir);
    std::string shared = top + ".Trash";
    struct stat st
    {};
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        std::string own = shared + "/" + userIdText() + "/";
        if (ensureTrashFolders(own) == 0) {
            folder = own;
            return 0;
        }
    }
    std::string own = top + ".Trash-" + userIdText() + "/";
    if (int rc = ensureTrashFolders(own))
        return rc;
    folder = own;
    return 0;
}

int Trash::topFolderOf(const std::string& realFolder, std::string& topdir)
{
    std::string path(withoutTrailingSlashes(realFolder));
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    dev_t device = st.st_dev;
    while (path != "/") {
        const std::string parent(withoutTrailingSlashes(parentFolder(path)));
        if (::stat(parent.c_str(), &st) != 0)
            return errno;
        if (st.st_dev != device)
            break;
        path = parent;
    }
    topdir = path;
    return 0;
}

int Trash::putInto(const std::string& trashFolder, const std::string& pathInRecord, int dirFd,
                   const std::string& name, TrashPlace* where)
{
    constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const UniqueFd infoFd(::open((trashFolder + "info").c_str(), folderFlags));
    if (!infoFd.isOpen())
        return errno;
    const UniqueFd filesFd(::open((trashFolder + "files").c_str(), folderFlags));
    if (!filesFd.isOpen())
        return errno;
    const std::string text = "[Trash Info]\nPath=" + percentEncodedPath(pathInRecord)
                             + "\nDeletionDate=" + deletionDate(std::time(nullptr)) + "\n";
    std::string placed;
    const int rc = putWithFolders(infoFd.get(), filesFd.get(), text, dirFd, name, placed);
    if (rc == 0 && where != nullptr)
        *where = TrashPlace{trashFolder, placed};
    return rc;
}

int Trash::put(const FolderHandle& dir, const std::string& name, TrashPlace* where)
{
    const std::string parent(folderPart(name));
    if (parent.empty())
        return putLeaf(dir, name, where);
    // A name with a folder part: the file's own folder holds it.
    UniqueFd fd(::openat(dir.fd(), parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return errno;
    std::string parentPath = parent.front() == '/' ? parent : dir.path() + parent;
    return putLeaf(FolderHandle(std::move(fd), parentPath), std::string(namePart(name)), where);
}

int Trash::putLeaf(const FolderHandle& dir, const std::string& name, TrashPlace* where)
{
    if (name.empty() || name == "." || name == "..")
        return EINVAL;
    struct stat st
    {};
    if (::fstatat(dir.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    std::string folder;
    if (int rc = realFolderOf(dir, folder))
        return rc;

    std::string home = homeFolder();
    dev_t homeDevice = 0;
    if (deviceOfNearest(home, homeDevice) == 0 && homeDevice == st.st_dev) {
        if (int rc = makeFolders(home + "files", 0700))
            return rc;
        if (int rc = makeFolders(home + "info", 0700))
            return rc;
        return putInto(home, folder + name, dir.fd(), name, where);
    }

    std::string topdir;
    if (int rc = topFolderOf(folder, topdir))
        return rc;
    std::string trash;
    if (int rc = volumeFolder(topdir, trash))
        return rc;
    std::string relative = folder.substr(topdir == "/" ? 1 : topdir.size() + 1) + name;
    return putInto(trash, relative, dir.fd(), name, where);
}

std::string Trash::deletionDate(time_t when)
{
    tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace torvel
