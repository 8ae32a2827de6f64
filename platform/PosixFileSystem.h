#pragma once

#include "FileSystem.h"

namespace torvel {

// The file system of this machine, on byte names.
class PosixFileSystem : public FileSystem
{
public:
    bool allowsCallsFromTwoThreads() const override { return true; }

    // Where the folder's file system allows, a copy is filled as a file
    // without a name and linked under its name once complete. Without
    // unnamedTemps every temporary file is a hidden named one, as on the
    // file systems that have no files without names.
    explicit PosixFileSystem(bool unnamedTemps = true);

    int openFolder(const std::string& path, FolderHandle& out) override;
    using FileSystem::probe;
    int probe(const FolderHandle& dir, const std::string& name, EntryId& id) override;
    int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                        const FolderHandle& toDir, const std::string& to) override;
    int removeFile(const FolderHandle& dir, const std::string& name) override;
    int readNames(const FolderHandle& dir, std::vector<std::string>& names) override;
    int openSource(const FolderHandle& dir, const std::string& name, bool followLinks,
                   FileHandle& out) override;
    int createTemp(const FolderHandle& dir, mode_t mode, FileHandle& out,
                   std::string& tempName) override;
    int copyData(const FileHandle& from, const FileHandle& to) override;
    int copyMetadata(const FileHandle& from, const FileHandle& to, bool forMove,
                     MetadataLost& lost) override;
    int syncFile(const FileHandle& file) override;
    int closeFile(FileHandle& file) override;
    int commitTemp(const FolderHandle& dir, const FileHandle& temp, const std::string& tempName,
                   const std::string& to) override;
    int createFolders(const std::string& path) override;
    int trash(const FolderHandle& dir, const std::string& name) override;
    int setLastWriteTime(const FolderHandle& dir, const std::string& name,
                         const timespec& when) override;

private:
    int adoptTemp(const FolderHandle& dir, UniqueFd fd, const std::string& name, FileHandle& out);

    bool m_unnamedTemps;
};

} // namespace torvel
