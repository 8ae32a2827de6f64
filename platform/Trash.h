#pragma once

#include <string>

#include <sys/types.h>

#include "FolderHandle.h"

namespace torvel {

// Where a file went in the trash.
struct TrashPlace
{
    std::string folder; // the trash folder, ending in "/", holding files/ and info/
    std::string name;   // the name under files/; its record is info/<name>.trashinfo
};

// The desktop's trash, as freedesktop.org lays it out, on byte paths. A file
// on the device of the home trash goes there; a file on another device goes to
// that device's own trash, and when it has none that can be used the file is
// refused: it is never copied from one device to another.
//
// The record in info/ is made first, with O_EXCL, and names the file's old
// place; only then does the file move in, with the rename that never replaces.
// If the move fails the record is taken back, so no record is left without
// its file.
class Trash
{
public:
    // Sends dir + name to the trash. Returns 0 or the errno value of the step
    // that failed; the file is where it was unless 0 is returned.
    [[nodiscard]] int put(const FolderHandle& dir, const std::string& name,
                          TrashPlace* where = nullptr);

    // The home trash: $XDG_DATA_HOME/Trash/, or ~/.local/share/Trash/ when
    // that variable is unset, empty or not an absolute path.
    static std::string homeFolder();

    // The trash of the device whose top folder is topdir: topdir/.Trash/$uid/
    // when .Trash is a folder with the sticky bit and not a link, else
    // topdir/.Trash-$uid/, created for the user alone. A folder found in the
    // place of the user's own that is a link or belongs to someone else is
    // not used (EACCES).
    [[nodiscard]] static int volumeFolder(const std::string& topdir, std::string& folder);

    // The folder that a device is mounted on, found by walking up from a
    // folder on it (a real path, without links) until the device changes.
    [[nodiscard]] static int topFolderOf(const std::string& realFolder, std::string& topdir);

    // Moves dir + name into the given trash folder, whose files/ and info/
    // exist, with pathInRecord as the Path= of its record.
    [[nodiscard]] static int putInto(const std::string& trashFolder,
                                     const std::string& pathInRecord, int dirFd,
                                     const std::string& name, TrashPlace* where);

    // The DeletionDate= form of a time: local time as YYYY-MM-DDThh:mm:ss.
    static std::string deletionDate(time_t when);

private:
    [[nodiscard]] int putLeaf(const FolderHandle& dir, const std::string& name, TrashPlace* where);
};

} // namespace torvel
