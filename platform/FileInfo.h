#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvel {

class FolderHandle;

// What the file list needs to know of one file.
struct FileInfo
{
    // The name as the folder stores it. Names are looked up exactly (this file
    // system tells "a" from "A"), so it is the name that was asked for.
    std::string storedName;
    std::int64_t size = 0;         // bytes; 0 for a folder
    std::int64_t mtimeSeconds = 0; // last-write time, seconds since the epoch
    std::int32_t mtimeNanoseconds = 0;
    std::uint32_t attributes = 0; // see FileAttr
    std::uint32_t mode = 0;       // permission bits (07777)
    bool isFolder = false;
    // True when user.DOSATTRIB was not read: `attributes` then holds what stat
    // alone tells, and completeAttributeWord() finishes it.
    bool attributesPending = false;
};

enum class StoredAttributes
{
    Read,
    Defer
};

// Reads the file `name` (a bare name) in `folder`: one stat, following a
// symbolic link, plus (unless deferred) one read of user.DOSATTRIB. A link
// whose target is gone is reported as the link itself. Returns 0 or an errno
// value (ENOENT when nothing of that name exists, EINVAL for a name with "/").
[[nodiscard]] int readFileInfo(const FolderHandle& folder, const std::string& name, FileInfo& out,
                               StoredAttributes stored = StoredAttributes::Read);

struct StoredDosAttrib;

// readFileInfo with the stored attributes read, for a caller that keeps the
// names elsewhere: `out.storedName` is left as it is, and `stored` receives
// the stored value as read (invalid when there is none or it was not read).
[[nodiscard]] int readFileFacts(const FolderHandle& folder, const std::string& name, FileInfo& out,
                                StoredDosAttrib& stored);

// An entry of that name exists in `folder` and is not a folder (a link to a
// folder counts as a folder; a link whose target is gone counts as a file,
// since its name is taken). One stat for a name that is absent. When the
// folder cannot be searched the answer is "exists", so that a name is never
// taken for free when that is not known.
bool fileExists(const FolderHandle& folder, const std::string& name);

struct ListedEntry
{
    std::string name;
    bool isFolder = false;
};

// The entries of a folder, "." and ".." left out, in the order the file system
// gives them. Returns 0 or an errno value.
[[nodiscard]] int listFolder(const std::string& folderPath, std::vector<ListedEntry>& out);

} // namespace torvel
