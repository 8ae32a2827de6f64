#include "FileSystem.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileAttributes.h"

namespace torvel {

namespace {

// From this size on a copy looks whether its target name is free before it
// starts; below it the look would cost more than the copy it might spare.
constexpr off_t earlyCheckSize = 1024 * 1024;

} // namespace

FileSystem::~FileSystem() = default;

int FileSystem::probe(const FolderHandle& dir, const std::string& name, EntryKind& kind)
{
    EntryId id;
    const int rc = probe(dir, name, id);
    kind = id.kind;
    return rc;
}

int FileSystem::fileInfo(const FolderHandle& dir, const std::string& name, FileInfo& out,
                         StoredAttributes stored)
{
    return readFileInfo(dir, name, out, stored);
}

int FileSystem::identify(const FolderHandle& dir, EntryId& id)
{
    id = EntryId{};
    struct stat st
    {};
    if (::fstat(dir.fd(), &st) != 0)
        return errno;
    id.kind = S_ISDIR(st.st_mode) ? EntryKind::Folder : EntryKind::File;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.changed = st.st_ctim;
    return 0;
}

int FileSystem::readEachName(const FolderHandle& dir, const EachName& each)
{
    std::vector<std::string> names;
    std::vector<std::uint64_t> inodes;
    if (int rc = readNames(dir, names, inodes))
        return rc;
    for (std::size_t i = 0; i < names.size(); ++i)
        each(names[i], inodes[i]);
    return 0;
}

int FileSystem::readNames(const FolderHandle& dir, std::vector<std::string>& names,
                          std::vector<std::uint64_t>& inodes)
{
    if (int rc = readNames(dir, names))
        return rc;
    inodes.assign(names.size(), 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EntryId id;
        if (int rc = probe(dir, names[i], id))
            return rc;
        inodes[i] = id.inode;
    }
    return 0;
}

int FileSystem::trash(const FolderHandle& dir, const std::string& name)
{
    TrashPlace where; // not asked for
    return trash(dir, name, where);
}

int FileSystem::move(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to, MetadataLost& lost)
{
    int rc = renameNoReplace(fromDir, from, toDir, to);
    if (rc != EXDEV)
        return rc;
    return transfer(fromDir, from, toDir, to, true, lost);
}

int FileSystem::copy(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to, MetadataLost& lost)
{
    return transfer(fromDir, from, toDir, to, false, lost);
}

int FileSystem::move(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to)
{
    MetadataLost lost; // not asked for
    return move(fromDir, from, toDir, to, lost);
}

int FileSystem::copy(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to)
{
    MetadataLost lost; // not asked for
    return copy(fromDir, from, toDir, to, lost);
}

int FileSystem::readAttributes(const FolderHandle& dir, const std::string& name,
                               std::uint32_t& attributes)
{
    return torvel::readAttributes(dir, name, attributes);
}

int FileSystem::changeAttributes(const FolderHandle& dir, const std::string& name,
                                 std::uint32_t keepMask, std::uint32_t setMask)
{
    return torvel::changeAttributes(dir, name, keepMask, setMask);
}

int FileSystem::setMode(const FolderHandle& dir, const std::string& name, mode_t mode)
{
    return ::fchmodat(dir.fd(), name.c_str(), mode & 07777, 0) == 0 ? 0 : errno;
}

bool FileSystem::exists(const FolderHandle& dir, const std::string& name)
{
    EntryKind kind = EntryKind::None;
    if (probe(dir, name, kind) != 0)
        return true;
    return kind == EntryKind::File;
}

// The copy goes to a temporary file beside the target and takes the
// target's name only once it is complete, so that a half-written file never
// carries a name the user chose, and a failure leaves the folder as it was.
namespace {

// Whether `name` in `dir` is still the file that `copied` describes.
bool sameFileStillThere(const FolderHandle& dir, const std::string& name, const struct stat& copied)
{
    struct stat now
    {};
    if (::fstatat(dir.fd(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return now.st_dev == copied.st_dev && now.st_ino == copied.st_ino;
}

} // namespace

int FileSystem::transfer(const FolderHandle& fromDir, const std::string& from,
                         const FolderHandle& toDir, const std::string& to, bool isMove,
                         MetadataLost& lost)
{
    FileHandle source;
    if (int rc = openSource(fromDir, from, !isMove, source)) {
        // Only a regular file can be carried across devices; for a folder or
        // a link the honest answer is still that it cannot leave its device.
        if (isMove && (rc == EISDIR || rc == EINVAL))
            return EXDEV;
        return rc;
    }
    // The commit refuses a taken name in any case; a large file is not
    // copied first only to learn that.
    if (source.status().st_size >= earlyCheckSize) {
        EntryKind kind = EntryKind::None;
        if (int rc = probe(toDir, to, kind))
            return rc;
        if (kind != EntryKind::None)
            return EEXIST;
    }
    FileHandle temp;
    std::string tempName;
    if (int rc = createTemp(toDir, source.status().st_mode, temp, tempName))
        return rc;
    const bool named = !tempName.empty();

    int rc = fillTemp(source, temp, named, isMove, lost);
    // Noted before the copy takes its name: a kill after the commit must not
    // leave a copy that no record proves to be the run's.
    if (rc == 0 && m_arrival)
        m_arrival(to, temp.status().st_dev, temp.status().st_ino);
    if (rc == 0)
        rc = commitTemp(toDir, temp, tempName, to);
    if (rc != 0) {
        temp.close(); // a file without a name is gone with it
        if (named)
            discardCopy(toDir, tempName);
        return rc;
    }
    // A file without a name had to stay open to be linked; an error its
    // close still reports takes the copy back.
    if (!named) {
        rc = closeFile(temp);
        if (rc != 0) {
            discardCopy(toDir, to);
            return rc;
        }
    }
    if (!isMove)
        return 0;

    // The source goes only once the new name is on the disk too (the two
    // folders are on different devices, with journals of their own), and
    // only if the name still stands for the file that was copied.
    rc = ::fsync(toDir.fd()) == 0 ? 0 : errno;
    if (rc != 0) {
        discardCopy(toDir, to); // the source is still there
        return rc;
    }
    // Someone else moved or replaced the source meanwhile: the copy may be
    // all that is left of what was copied, so it stays.
    if (!sameFileStillThere(fromDir, from, source.status()))
        return sourceReplacedCopyKept;
    source.close();
    rc = removeFile(fromDir, from);
    if (rc != 0) {
        // The source cannot go, so the move did not happen: take back the
        // copy rather than leave the file in two places.
        discardCopy(toDir, to);
        return rc;
    }
    return 0;
}

// The failure being reported is the one the caller must hear of; a copy
// that cannot be taken back either stays as a stray file beside it.
void FileSystem::discardCopy(const FolderHandle& dir, const std::string& name)
{
    (void)removeFile(dir, name);
}

int FileSystem::fillTemp(const FileHandle& source, FileHandle& temp, bool named, bool isMove,
                         MetadataLost& lost)
{
    if (int rc = copyData(source, temp))
        return rc;
    if (int rc = copyMetadata(source, temp, isMove, lost))
        return rc;
    // A moved file's only copy is about to be this one: it must be on the
    // disk before the source is removed, and before it takes its name, so
    // that no crash leaves a half-written file under that name.
    if (isMove) {
        if (int rc = syncFile(temp))
            return rc;
    }
    // A named file is closed before it takes its name, so that a late write
    // error (a network file system reports them at close) is seen first.
    return named ? closeFile(temp) : 0;
}

} // namespace torvel
