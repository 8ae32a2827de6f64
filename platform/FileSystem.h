#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>
#include <time.h>

#include "FileInfo.h"
#include "FolderHandle.h"
#include "IoError.h"
#include "Trash.h"

namespace torvel {

// What a name stands for in a folder. A symbolic link counts as what it
// points at; a link that points nowhere still holds its name, so it is a File.
enum class EntryKind
{
    None,
    File,
    Folder,
};

// Which entry a name stood for when it was looked at, so that a later look
// can tell whether the name still holds that same entry.
struct EntryId
{
    EntryKind kind = EntryKind::None;
    dev_t device = 0;
    ino_t inode = 0;
    // An inode number is given again soon after its file is removed; the
    // change time tells the new file from the old.
    timespec changed{};
    bool operator==(const EntryId& other) const
    {
        return kind == other.kind && device == other.device && inode == other.inode
               && changed.tv_sec == other.changed.tv_sec
               && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// What a move or copy onto another device could not give the new file,
// because the file system there cannot store it. The file itself arrived.
struct MetadataLost
{
    bool attributes = false; // user.* attributes: hidden, system, archive
    bool mode = false;       // permission bits: read-only
    bool any() const { return attributes || mode; }
};

// Every call of the file system, so that a test can fail a chosen one.
enum class FsCall
{
    OpenFolder,
    Probe,
    Rename,
    Remove,
    ReadNames,
    OpenSource,
    CreateTemp,
    CopyData,
    CopyMetadata,
    SyncFile,
    CloseFile,
    CommitTemp,
    CreateFolders,
    Trash,
    SetLastWriteTime,
    Move,
    Copy,
    ReadAttributes,
    ChangeAttributes,
    SetMode,
    Identify,
    FileInfo,
};

// The file operations a run needs. Every operation returns 0 on success or
// the errno value that describes its failure; nothing is ignored on the way.
// Names are bytes, resolved against a FolderHandle; a name with a leading "/"
// is a full path.
//
// Move and copy are put together here from the smaller steps below, so that
// a wrapper that fails one step (a full disk in the middle of a copy, a
// rename refused with EXDEV) exercises the same clean-up as a real failure.
class FileSystem
{
public:
    virtual ~FileSystem();

    // Whether reads may run on a second thread while the first one writes:
    // true for the real file system, false for stand-ins that keep records.
    virtual bool allowsCallsFromTwoThreads() const { return false; }

    // Opens a folder as the place bare names are resolved against.
    [[nodiscard]] virtual int openFolder(const std::string& path, FolderHandle& out) = 0;

    // What the name is; a name that does not exist gives None and 0. The
    // device and inode are those of the name itself (a link, not its target).
    [[nodiscard]] virtual int probe(const FolderHandle& dir, const std::string& name,
                                    EntryId& id) = 0;
    [[nodiscard]] int probe(const FolderHandle& dir, const std::string& name, EntryKind& kind);

    // What the open folder itself is: its device, inode and change time (the
    // change time moves with every name added or taken away).
    [[nodiscard]] virtual int identify(const FolderHandle& dir, EntryId& id);

    // The file's size, time stamp, mode and attributes (see readFileInfo).
    [[nodiscard]] virtual int fileInfo(const FolderHandle& dir, const std::string& name,
                                       FileInfo& out,
                                       StoredAttributes stored = StoredAttributes::Read);

    // Renames, and refuses with EEXIST when the target name is taken; the
    // file at the target is never replaced. Fails with EXDEV across devices.
    [[nodiscard]] virtual int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                                              const FolderHandle& toDir, const std::string& to) = 0;

    // Removes a name that is not a folder.
    [[nodiscard]] virtual int removeFile(const FolderHandle& dir, const std::string& name) = 0;

    // Every name in the folder but "." and "..", in the order the folder gives them.
    [[nodiscard]] virtual int readNames(const FolderHandle& dir,
                                        std::vector<std::string>& names) = 0;
    // The same, with the inode number the folder lists for each name.
    [[nodiscard]] virtual int readNames(const FolderHandle& dir, std::vector<std::string>& names,
                                        std::vector<std::uint64_t>& inodes);
    // Each name with its inode number, handed over as the folder lists it, so
    // that a folder of many names is never held whole.
    using EachName = std::function<void(std::string_view name, std::uint64_t inode)>;
    [[nodiscard]] virtual int readEachName(const FolderHandle& dir, const EachName& each);

    // Opens a regular file for reading. Without followLinks a symbolic link
    // is not opened. A folder gives EISDIR, anything else not regular EINVAL.
    [[nodiscard]] virtual int openSource(const FolderHandle& dir, const std::string& name,
                                         bool followLinks, FileHandle& out) = 0;

    // Creates a new file in the folder for a copy to be filled in, which no
    // one can take for a finished file until commitTemp gives it its name.
    // Where the file system allows, the file has no name at all (tempName is
    // left empty), vanishes by itself if the copy is given up, and has the
    // permission bits mode (with the owner's write) from the start. Elsewhere
    // it is a new hidden file, readable and writable by its owner only, whose
    // name is put in tempName.
    [[nodiscard]] virtual int createTemp(const FolderHandle& dir, mode_t mode, FileHandle& out,
                                         std::string& tempName) = 0;

    // Copies every byte of from into to, which is empty.
    [[nodiscard]] virtual int copyData(const FileHandle& from, const FileHandle& to) = 0;

    // Gives to the user.* extended attributes, the permission bits and the
    // last-write time of from. For a move also the owner (where allowed) and
    // the access time, so that the file arrives as it left. Attributes or
    // permission bits that the target's file system cannot store at all are
    // noted in lost, not failed: the file may still go there.
    [[nodiscard]] virtual int copyMetadata(const FileHandle& from, const FileHandle& to,
                                           bool forMove, MetadataLost& lost) = 0;

    // Writes the file's data through to the disk.
    [[nodiscard]] virtual int syncFile(const FileHandle& file) = 0;

    // Closes, with the error a late write reports at close.
    [[nodiscard]] virtual int closeFile(FileHandle& file) = 0;

    // Gives the complete temporary file from createTemp the name to in the
    // same folder, and refuses with EEXIST when the name is taken: the file
    // holding it is never replaced. A file without a name is still open
    // here; a named one (tempName) has been closed.
    [[nodiscard]] virtual int commitTemp(const FolderHandle& dir, const FileHandle& temp,
                                         const std::string& tempName, const std::string& to) = 0;

    // Creates the folder and those of its parents that are missing. A folder
    // that already exists is success; a file in the way is ENOTDIR.
    [[nodiscard]] virtual int createFolders(const std::string& path) = 0;

    // Sends the name to the desktop's trash, never by copying it to another
    // device; where tells where it went.
    [[nodiscard]] virtual int trash(const FolderHandle& dir, const std::string& name,
                                    TrashPlace& where) = 0;
    [[nodiscard]] int trash(const FolderHandle& dir, const std::string& name);

    // Sets the last-write time; the access time is left as it is.
    [[nodiscard]] virtual int setLastWriteTime(const FolderHandle& dir, const std::string& name,
                                               const timespec& when) = 0;

    // Moves a file, to another device too: there a complete copy is made in
    // a temporary file in the target folder, written through to the disk and
    // committed under its name before the source is removed. On any failure
    // the source stays and nothing is left at the target, with one exception:
    // when the source name has come to hold another file (or none) while the
    // copy was made, the copy is the only one left of the file that was
    // copied, so it keeps its new name, the source name is left alone, and
    // sourceReplacedCopyKept is returned.
    [[nodiscard]] virtual int move(const FolderHandle& fromDir, const std::string& from,
                                   const FolderHandle& toDir, const std::string& to,
                                   MetadataLost& lost);

    // Copies a file with its last-write time, permission bits and user.*
    // attributes; fails with EEXIST when the target name is taken. On any
    // failure nothing is left at the target.
    [[nodiscard]] virtual int copy(const FolderHandle& fromDir, const std::string& from,
                                   const FolderHandle& toDir, const std::string& to,
                                   MetadataLost& lost);

    // Called by move and copy when a copy is complete, just before it takes
    // its name: with the name and the device and inode of the new file, so
    // that a record of it is made before it can be taken for anyone's file
    // and before the source of a move is removed. Empty: nothing is called.
    using Arrival = std::function<void(const std::string& name, dev_t device, ino_t inode)>;
    void onArrival(Arrival arrival) { m_arrival = std::move(arrival); }

    // The same, for a caller to whom attributes the target cannot keep do
    // not matter.
    [[nodiscard]] int move(const FolderHandle& fromDir, const std::string& from,
                           const FolderHandle& toDir, const std::string& to);
    [[nodiscard]] int copy(const FolderHandle& fromDir, const std::string& from,
                           const FolderHandle& toDir, const std::string& to);

    // The attribute word (FileAttr bits) of the name, following a symbolic
    // link, as the file list shows it.
    [[nodiscard]] virtual int readAttributes(const FolderHandle& dir, const std::string& name,
                                             std::uint32_t& attributes);

    // Gives the name the attribute word (word & keepMask) | setMask for
    // read-only, hidden, system and archive; every other bit stays. A symbolic
    // link or a special file is refused with EPERM, and a change the file
    // system cannot store (ENOTSUP) fails, so nothing is shown as done that
    // was not done.
    [[nodiscard]] virtual int changeAttributes(const FolderHandle& dir, const std::string& name,
                                               std::uint32_t keepMask, std::uint32_t setMask);

    // Gives the name exactly these permission bits (following a link), as
    // taking back a change of attributes needs: read-only alone would lose
    // the group's and others' bits.
    [[nodiscard]] virtual int setMode(const FolderHandle& dir, const std::string& name,
                                      mode_t mode);

    // True when the name exists and is not a folder. A name that cannot be
    // examined counts as existing: it is not free to be taken.
    bool exists(const FolderHandle& dir, const std::string& name);

private:
    Arrival m_arrival;
    [[nodiscard]] int transfer(const FolderHandle& fromDir, const std::string& from,
                               const FolderHandle& toDir, const std::string& to, bool isMove,
                               MetadataLost& lost);
    // Removes a file the copy made, after a failure, and keeps quiet.
    void discardCopy(const FolderHandle& dir, const std::string& name);
    [[nodiscard]] int fillTemp(const FileHandle& source, FileHandle& temp, bool named, bool isMove,
                               MetadataLost& lost);
};

} // namespace torvel
