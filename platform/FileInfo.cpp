#include "FileInfo.h"

#include "ByteText.h"
#include "FileAttributes.h"
#include "FolderHandle.h"
#include "UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

namespace {

// One stat, following a symbolic link, and unless told otherwise one read of
// the stored attributes; the name is not written to `out`.
int lookAt(const FolderHandle& folder, const std::string& name, FileInfo& out,
           StoredAttributes storedAttributes, StoredDosAttrib& stored)
{
    stored = StoredDosAttrib{};
    if (!folder.isOpen())
        return folder.error() != 0 ? folder.error() : EBADF;
    if (name.find('/') != std::string::npos)
        return EINVAL; // not a bare name
    if (name.empty() || isDotOrDotDot(name))
        return ENOENT;
    struct stat st
    {};
    bool dangling = false;
    if (fstatat(folder.fd(), name.c_str(), &st, 0) != 0) {
        const int rc = errno;
        if (rc != ENOENT || fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return rc;
        dangling = true;
    }
    // A link whose target is gone can carry no user attributes.
    const bool readStored = !dangling && storedAttributes == StoredAttributes::Read;
    if (readStored)
        stored = readDosAttrib(folder, name);
    out.attributesPending = !dangling && !readStored;
    out.isFolder = S_ISDIR(st.st_mode);
    out.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
    out.size = out.isFolder ? 0 : static_cast<std::int64_t>(st.st_size);
    out.mtimeSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    out.mtimeNanoseconds = static_cast<std::int32_t>(st.st_mtim.tv_nsec);
    out.attributes = attributeWord(st, name, stored);
    return 0;
}

} // namespace

int readFileInfo(const FolderHandle& folder, const std::string& name, FileInfo& out,
                 StoredAttributes storedAttributes)
{
    StoredDosAttrib stored;
    const int rc = lookAt(folder, name, out, storedAttributes, stored);
    if (rc == 0)
        out.storedName = name;
    return rc;
}

int readFileFacts(const FolderHandle& folder, const std::string& name, FileInfo& out,
                  StoredDosAttrib& stored)
{
    return lookAt(folder, name, out, StoredAttributes::Read, stored);
}

bool fileExists(const FolderHandle& folder, const std::string& name)
{
    if (!folder.isOpen()) {
        const int rc = folder.error();
        return !(rc == ENOENT || rc == ENOTDIR);
    }
    if (name.empty() || name.find('/') != std::string::npos)
        return false; // not a bare name: no file in this folder can have it
    struct stat st
    {};
    if (fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return !(errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG);
    if (S_ISLNK(st.st_mode)) {
        struct stat target
        {};
        if (fstatat(folder.fd(), name.c_str(), &target, 0) != 0)
            return true; // the link's target is gone, its name is still taken
        return !S_ISDIR(target.st_mode);
    }
    return !S_ISDIR(st.st_mode);
}

int listFolder(const std::string& folderPath, std::vector<ListedEntry>& out)
{
    const std::string path = withTrailingSlash(folderPath);
    const DirStream dir =
        openDirStream(UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return errno;
    out.clear();
    for (;;) {
        errno = 0;
        const dirent* e = readdir(dir.get());
        if (e == nullptr)
            return errno;
        const std::string name(e->d_name);
        if (isDotOrDotDot(name))
            continue;
        bool isFolder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st
            {};
            isFolder = fstatat(dirfd(dir.get()), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        out.push_back({name, isFolder});
    }
}

} // namespace torvel
