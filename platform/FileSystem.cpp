#include "FileSystem.h"

#include <cerrno>

#include "FileAttributes.h"
#include "NameMatch.h"

namespace torvel {

FileSystem::~FileSystem() = default;

int FileSystem::move(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to)
{
    int rc = renameNoReplace(fromDir, from, toDir, to);
    if (rc != EXDEV)
        return rc;
    return transfer(fromDir, from, toDir, to, true);
}

int FileSystem::copy(const FolderHandle& fromDir, const std::string& from,
                     const FolderHandle& toDir, const std::string& to)
{
    return transfer(fromDir, from, toDir, to, false);
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

bool FileSystem::exists(const FolderHandle& dir, const std::string& name)
{
    EntryKind kind = EntryKind::None;
    if (probe(dir, name, kind) != 0)
        return true;
    return kind == EntryKind::File;
}

int FileSystem::listMatching(const FolderHandle& dir, const std::string& base,
                             std::vector<std::string>& names)
{
    std::vector<std::string> all;
    if (int rc = readNames(dir, all))
        return rc;
    names.clear();
    for (auto& name : all) {
        if (matchesBaseWildcard(name, base))
            names.push_back(std::move(name));
    }
    return 0;
}

// The copy goes to a hidden file beside the target and takes the target's
// name only once it is complete, so that a half-written file never carries a
// name the user chose, and a failure leaves the folder as it was.
int FileSystem::transfer(const FolderHandle& fromDir, const std::string& from,
                         const FolderHandle& toDir, const std::string& to, bool isMove)
{
    EntryKind kind = EntryKind::None;
    if (int rc = probe(toDir, to, kind))
        return rc;
    if (kind != EntryKind::None)
        return EEXIST;

    FileHandle source;
    if (int rc = openSource(fromDir, from, !isMove, source)) {
        // Only a regular file can be carried across devices; for a folder or
        // a link the honest answer is still that it cannot leave its device.
        if (isMove && (rc == EISDIR || rc == EINVAL))
            return EXDEV;
        return rc;
    }
    FileHandle temp;
    std::string tempName;
    if (int rc = createTemp(toDir, temp, tempName))
        return rc;

    int rc = fillTemp(source, temp, isMove);
    if (rc == 0)
        rc = renameNoReplace(toDir, tempName, toDir, to);
    if (rc != 0) {
        temp.close();
        removeFile(toDir, tempName);
        return rc;
    }
    if (!isMove)
        return 0;

    source.close();
    rc = removeFile(fromDir, from);
    if (rc != 0) {
        // The source cannot go, so the move did not happen: take back the
        // copy rather than leave the file in two places.
        removeFile(toDir, to);
        return rc;
    }
    return 0;
}

int FileSystem::fillTemp(const FileHandle& source, FileHandle& temp, bool isMove)
{
    if (int rc = copyData(source, temp))
        return rc;
    if (int rc = copyMetadata(source, temp, isMove))
        return rc;
    // A moved file's only copy is about to be this one: it must be on the
    // disk before the source is removed.
    return closeFile(temp, isMove);
}

} // namespace torvel
