#pragma once

// The folder namespace behind the folder tree: a Desktop at the top, below it
// the home folder, the file system root and the mounted removable volumes, and
// below each of those the real folders of the file system.
//
// Every folder is named by an item identifier list counted from the Desktop
// (see ItemIdList.h); a list of one item names a folder relative to its parent.
// Folder names are bytes as the file system stores them. A symbolic link to a
// folder counts as a folder, as a file manager shows it; links that point
// nowhere or to a file are left out.

#include "ItemIdList.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// Which picture a folder gets in the tree.
enum class FolderIcon
{
    Desktop,
    Home,
    Root,
    Volume,
    Folder
};

// Where the top-level places of the namespace are. Every path is absolute and
// ends in "/". An empty home means there is none to show.
struct FolderPlaces
{
    std::string home;
    std::string desktop;
    std::vector<std::string> volumes;
};

// The places of the user running the program: home from $HOME (else the
// password database); the desktop folder from XDG_DESKTOP_DIR in
// $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop, else home; the volumes from
// /proc/self/mountinfo.
FolderPlaces detectFolderPlaces();

// Mount points of removable media (below /media/ or /run/media/) in the text
// of a mountinfo file, each ending in "/", sorted, without duplicates.
std::vector<std::string> removableMountPoints(std::string_view mountinfo);

// One subfolder found by a listing.
struct FolderEntry
{
    ItemIdList item;  // relative to the listed folder: one item
    std::string name; // display name, bytes
    FolderIcon icon = FolderIcon::Folder;
    bool hasSubfolders = false;
    std::string sortKey; // orders siblings: compare as plain bytes
};

struct FolderRenameResult
{
    ItemIdList item; // the renamed folder's new item; null on failure
    int error = 0;   // errno value on failure
    bool ok() const { return error == 0; }
};

class FolderNamespace
{
public:
    FolderNamespace();
    explicit FolderNamespace(FolderPlaces places);
    ~FolderNamespace();
    FolderNamespace(const FolderNamespace&) = delete;
    FolderNamespace& operator=(const FolderNamespace&) = delete;

    const FolderPlaces& places() const { return m_places; }

    // The subfolders of the folder named by `folder` (absolute), hidden ones
    // included, in no particular order; none when it cannot be listed.
    std::optional<std::vector<FolderEntry>> listSubfolders(const ItemIdList& folder) const;

    // The name shown for an item (the last item of the list); the empty list
    // is the Desktop, whose name is UTF-8 text.
    std::string displayName(const ItemIdList& item) const;
    FolderIcon iconOf(const ItemIdList& absolute) const;
    bool hasSubfolders(const ItemIdList& absolute) const;

    // Orders two siblings by name: ignoring letter case in the user's
    // collation, then by their bytes; 0 only for the same item.
    int compare(const ItemIdList& a, const ItemIdList& b) const;
    std::string sortKey(const ItemIdList& item) const;

    // The chain of items for an existing folder given by an absolute path;
    // none when the path is not absolute or names no folder. A path in the
    // home folder is found under home, one on a volume under the volume.
    std::optional<ItemIdList> parsePath(std::string_view path) const;

    // The file-system path of a folder, ending in "/"; the Desktop's is the
    // desktop folder. None for a list that names no folder.
    std::optional<std::string> pathOf(const ItemIdList& absolute) const;

    // Gives the folder `item` in the folder `parent` (absolute) a new name.
    // An existing entry of that name is never replaced (EEXIST); a name that
    // is empty, "." or ".." or holds "/" is refused (EINVAL); the home folder,
    // the root and volumes are not renamed (EPERM).
    [[nodiscard]] FolderRenameResult rename(const ItemIdList& parent, const ItemIdList& item,
                                            std::string_view newName) const;

private:
    std::vector<FolderEntry> desktopEntries() const;
    std::string collationKey(std::string_view bytes) const;
    FolderEntry specialEntry(ItemIdList item) const;

    FolderPlaces m_places;
    struct Collation;
    std::unique_ptr<Collation> m_collation;
};

} // namespace torvel
