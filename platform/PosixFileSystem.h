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

    [[nodiscard]] int openFolder(const std::string& path, FolderHandle& out) override;
    using FileSystem::probe;
    [[nodiscard]] int probe(const FolderHandle& dir, const std::string& name, EntryId& id) override;
    [[nodiscard]] int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                                      const FolderHandle& toDir, const std::string& to) override;
    [[nodiscard]] int removeFile(const FolderHandle& dir, const std::string& name) override;
    [[nodiscard]] int readNames(const FolderHandle& dir, std::vector<std::string>& names) override;
    [[nodiscard]] int readEachName(const FolderHandle& dir, const EachName& each) override;
    [[nodiscard]] int readNames(const FolderHandle& dir, std::vector<std::string>& names,
                                std::vector<std::uint64_t>& inodes) override;
    [[nodiscard]] int openSource(const FolderHandle& dir, const std::string& name, bool followLinks,
                                 FileHandle& out) override;
    [[nodiscard]] int createTemp(const FolderHandle& dir, mode_t mode, FileHandle& out,
                                 std::string& tempName) override;
    [[nodiscard]] int copyData(const FileHandle& from, const FileHandle& to) override;
    [[nodiscard]] int copyMetadata(const FileHandle& from, const FileHandle& to, bool forMove,
                                   MetadataLost& lost) override;
    [[nodiscard]] int syncFile(const FileHandle& file) override;
    [[nodiscard]] int closeFile(FileHandle& file) override;
    [[nodiscard]] int commitTemp(const FolderHandle& dir, const FileHandle& temp,
                                 const std::string& tempName, const std::string& to) override;
    [[nodiscard]] int createFolders(const std::string& path) override;
    using FileSystem::trash;
    [[nodiscard]] int trash(const FolderHandle& dir, const std::string& name,
                            TrashPlace& where) override;
    [[nodiscard]] int setLastWriteTime(const FolderHandle& dir, const std::string& name,
                                       const timespec& when) override;

private:
    [[nodiscard]] int adoptTemp(const FolderHandle& dir, UniqueFd fd, const std::string& name,
                                FileHandle& out);
    [[nodiscard]] int listNames(const FolderHandle& dir, std::vector<std::string>& names,
                                std::vector<std::uint64_t>* inodes);

    bool m_unnamedTemps;
};

// This machine's file system, for a caller that is given none to use.
PosixFileSystem& realFileSystem();

} // namespace torvel
