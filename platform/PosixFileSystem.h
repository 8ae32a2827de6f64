#pragma once

#include "FileSystem.h"

namespace torvel {

// The file system of this machine, on byte names.
class PosixFileSystem : public FileSystem
{
public:
    int openFolder(const std::string& path, FolderHandle& out) override;
    int probe(const FolderHandle& dir, const std::string& name, EntryKind& kind) override;
    int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                        const FolderHandle& toDir, const std::string& to) override;
    int removeFile(const FolderHandle& dir, const std::string& name) override;
    int readNames(const FolderHandle& dir, std::vector<std::string>& names) override;
    int openSource(const FolderHandle& dir, const std::string& name, bool followLinks,
                   FileHandle& out) override;
    int createTemp(const FolderHandle& dir, FileHandle& out, std::string& tempName) override;
    int copyData(const FileHandle& from, const FileHandle& to) override;
    int copyMetadata(const FileHandle& from, const FileHandle& to, bool forMove) override;
    int closeFile(FileHandle& file, bool sync) override;
    int createFolders(const std::string& path) override;
    int trash(const FolderHandle& dir, const std::string& name) override;
    int setLastWriteTime(const FolderHandle& dir, const std::string& name,
                         const timespec& when) override;
};

} // namespace torvel
