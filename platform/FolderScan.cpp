#include "FolderScan.h"

#include "FileAttributes.h"
#include "FolderHandle.h"

#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

enum class EntryKind { File, NotAFile, Unreadable };

EntryKind kindOfMode(mode_t mode)
{
    return S_ISREG(mode) ? EntryKind::File : EntryKind::NotAFile;
}

// What the entry is, from the listing where it tells, else from the entry
// itself. A link is judged by what it points to; one that points nowhere is
// a name in the folder like a file.
EntryKind kindOf(int folderFd, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
        return EntryKind::NotAFile;
    default:
        break;
    }
    struct stat st {};
    if (fstatat(folderFd, entry.d_name, &st, 0) == 0)
        return kindOfMode(st.st_mode);
    if (errno == ENOENT && fstatat(folderFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return S_ISLNK(st.st_mode) ? EntryKind::File : kindOfMode(st.st_mode);
    return EntryKind::Unreadable;
}

bool markedSystem(const FolderHandle& folder, const std::string& name)
{
    const StoredDosAttrib stored = readDosAttrib(folder, name);
    return stored.valid && (stored.attributes & (FileAttr::System | FileAttr::VolumeLabel)) != 0;
}

}  // namespace

int scanFolderFiles(const std::string& folderPath, std::vector<std::string>& names)
{
    const std::string path = withTrailingSlash(folderPath);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // A second descriptor of the same folder for the attribute lookups.
    const int lookupFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (lookupFd < 0) {
        const int rc = errno;
        ::close(fd);
        return rc;
    }
    const FolderHandle folder(lookupFd, path);
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        const int rc = errno;
        ::close(fd);
        return rc;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr)
            return errno;
        const std::string_view bare(entry->d_name);
        if (bare == "." || bare == "..")
            continue;
        if (kindOf(folder.fd(), *entry) != EntryKind::File)
            continue;
        std::string name(bare);
        if (!markedSystem(folder, name))
            names.push_back(std::move(name));
    }
}

}  // namespace torvel
