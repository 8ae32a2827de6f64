#pragma once

// A file system that passes every call on to a real one, except the calls a
// test chooses to fail with a chosen errno: a refused write, a full disk in
// the middle of a copy, a file on another device, a file that vanished.
// Move and copy are put together from the smaller calls by FileSystem, so a
// failed step runs the same clean-up a real failure would.
//
//     PosixFileSystem real;
//     FaultyFileSystem fs(real);
//     fs.fail(FsCall::Rename, EXDEV);                      // next rename only
//     fs.fail({FsCall::CopyData, ENOSPC, "", 0, 1, true});  // data written, then full
//     fs.fail({FsCall::Move, EACCES, "photo", 2, -1});     // every move of a "photo"
//                                                          // name after the first two

#include <cerrno>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FileSystem.h"

namespace torvel {

class FaultyFileSystem : public FileSystem
{
public:
    struct Fault
    {
        Fault(FsCall call_, int error_, std::string nameContains_ = {}, int skip_ = 0,
              int times_ = 1, bool afterInner_ = false)
            : call(call_)
            , error(error_)
            , nameContains(std::move(nameContains_))
            , skip(skip_)
            , times(times_)
            , afterInner(afterInner_)
        {}

        FsCall call;
        int error;
        std::string nameContains; // fail only calls naming this; empty: any call
        int skip;                 // matching calls let through before failing
        int times;                // matching calls failed; -1: all of them
        // The real call happens, then the error is reported: a write that
        // filled the disk half-way. Meant for the calls whose effects the
        // caller cleans up on failure (CopyData, CopyMetadata, SyncFile, CloseFile).
        bool afterInner;
    };

    explicit FaultyFileSystem(FileSystem& inner)
        : m_inner(inner)
    {}

    FaultyFileSystem& fail(FsCall call, int error, std::string nameContains = {})
    {
        return fail(Fault{call, error, std::move(nameContains)});
    }

    FaultyFileSystem& fail(Fault fault)
    {
        m_faults.push_back(std::move(fault));
        return *this;
    }

    void clearFaults() { m_faults.clear(); }

    // Runs before every call: another program acting in the middle of a move.
    std::function<void(FsCall)> beforeCall;

    // How often a call was made, failed or not.
    int calls(FsCall call) const
    {
        auto it = m_calls.find(call);
        return it == m_calls.end() ? 0 : it->second;
    }

    // How many calls were failed on purpose.
    int injected() const { return m_injected; }

    int openFolder(const std::string& path, FolderHandle& out) override
    {
        return run(FsCall::OpenFolder, {path}, [&] { return m_inner.openFolder(path, out); });
    }

    using FileSystem::probe;
    int probe(const FolderHandle& dir, const std::string& name, EntryId& id) override
    {
        return run(FsCall::Probe, {name}, [&] { return m_inner.probe(dir, name, id); });
    }

    int identify(const FolderHandle& dir, EntryId& id) override
    {
        return run(FsCall::Identify, {dir.path()}, [&] { return m_inner.identify(dir, id); });
    }

    int fileInfo(const FolderHandle& dir, const std::string& name, FileInfo& out,
                 StoredAttributes stored) override
    {
        return run(FsCall::FileInfo, {name},
                   [&] { return m_inner.fileInfo(dir, name, out, stored); });
    }

    int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                        const FolderHandle& toDir, const std::string& to) override
    {
        return run(FsCall::Rename, {from, to},
                   [&] { return m_inner.renameNoReplace(fromDir, from, toDir, to); });
    }

    int removeFile(const FolderHandle& dir, const std::string& name) override
    {
        return run(FsCall::Remove, {name}, [&] { return m_inner.removeFile(dir, name); });
    }

    using FileSystem::readNames;
    int readNames(const FolderHandle& dir, std::vector<std::string>& names) override
    {
        return run(FsCall::ReadNames, {dir.path()}, [&] { return m_inner.readNames(dir, names); });
    }

    int openSource(const FolderHandle& dir, const std::string& name, bool followLinks,
                   FileHandle& out) override
    {
        return run(FsCall::OpenSource, {name},
                   [&] { return m_inner.openSource(dir, name, followLinks, out); });
    }

    int createTemp(const FolderHandle& dir, mode_t mode, FileHandle& out,
                   std::string& tempName) override
    {
        return run(FsCall::CreateTemp, {dir.path()},
                   [&] { return m_inner.createTemp(dir, mode, out, tempName); });
    }

    int copyData(const FileHandle& from, const FileHandle& to) override
    {
        return run(FsCall::CopyData, {from.name(), to.name()},
                   [&] { return m_inner.copyData(from, to); });
    }

    int copyMetadata(const FileHandle& from, const FileHandle& to, bool forMove,
                     MetadataLost& lost) override
    {
        return run(FsCall::CopyMetadata, {from.name(), to.name()},
                   [&] { return m_inner.copyMetadata(from, to, forMove, lost); });
    }

    int syncFile(const FileHandle& file) override
    {
        return run(FsCall::SyncFile, {file.name()}, [&] { return m_inner.syncFile(file); });
    }

    int closeFile(FileHandle& file) override
    {
        std::string name = file.name();
        int rc = run(FsCall::CloseFile, {name}, [&] { return m_inner.closeFile(file); });
        if (rc != 0)
            file.close(); // a close reported as failed still gives up the descriptor
        return rc;
    }

    // Names the commit by the target: a file without a name has no other.
    int commitTemp(const FolderHandle& dir, const FileHandle& temp, const std::string& tempName,
                   const std::string& to) override
    {
        return run(FsCall::CommitTemp, {tempName, to},
                   [&] { return m_inner.commitTemp(dir, temp, tempName, to); });
    }

    int createFolders(const std::string& path) override
    {
        return run(FsCall::CreateFolders, {path}, [&] { return m_inner.createFolders(path); });
    }

    using FileSystem::trash;
    int trash(const FolderHandle& dir, const std::string& name, TrashPlace& where) override
    {
        return run(FsCall::Trash, {name}, [&] { return m_inner.trash(dir, name, where); });
    }

    int setLastWriteTime(const FolderHandle& dir, const std::string& name,
                         const timespec& when) override
    {
        return run(FsCall::SetLastWriteTime, {name},
                   [&] { return m_inner.setLastWriteTime(dir, name, when); });
    }

    int readAttributes(const FolderHandle& dir, const std::string& name,
                       std::uint32_t& attributes) override
    {
        return run(FsCall::ReadAttributes, {name},
                   [&] { return m_inner.readAttributes(dir, name, attributes); });
    }

    int changeAttributes(const FolderHandle& dir, const std::string& name, std::uint32_t keepMask,
                         std::uint32_t setMask) override
    {
        return run(FsCall::ChangeAttributes, {name},
                   [&] { return m_inner.changeAttributes(dir, name, keepMask, setMask); });
    }

    int setMode(const FolderHandle& dir, const std::string& name, mode_t mode) override
    {
        return run(FsCall::SetMode, {name}, [&] { return m_inner.setMode(dir, name, mode); });
    }

    // Move and copy as a whole may be failed too; otherwise they are made of
    // this file system's own calls, so that the faults above reach them.
    using FileSystem::copy;
    using FileSystem::move;
    int move(const FolderHandle& fromDir, const std::string& from, const FolderHandle& toDir,
             const std::string& to, MetadataLost& lost) override
    {
        return run(FsCall::Move, {from, to},
                   [&] { return FileSystem::move(fromDir, from, toDir, to, lost); });
    }

    int copy(const FolderHandle& fromDir, const std::string& from, const FolderHandle& toDir,
             const std::string& to, MetadataLost& lost) override
    {
        return run(FsCall::Copy, {from, to},
                   [&] { return FileSystem::copy(fromDir, from, toDir, to, lost); });
    }

private:
    static bool mentions(const Fault& fault, std::initializer_list<std::string> names)
    {
        if (fault.nameContains.empty())
            return true;
        for (const auto& name : names) {
            if (name.find(fault.nameContains) != std::string::npos)
                return true;
        }
        return false;
    }

    // The fault that takes this call, if any; counts the call against it.
    Fault* take(FsCall call, std::initializer_list<std::string> names)
    {
        for (auto& fault : m_faults) {
            if (fault.call != call || fault.times == 0 || !mentions(fault, names))
                continue;
            if (fault.skip > 0) {
                --fault.skip;
                continue;
            }
            if (fault.times > 0)
                --fault.times;
            return &fault;
        }
        return nullptr;
    }

    template <typename Call>
    int run(FsCall call, std::initializer_list<std::string> names, Call&& inner)
    {
        ++m_calls[call];
        if (beforeCall)
            beforeCall(call);
        Fault* fault = take(call, names);
        if (fault == nullptr)
            return inner();
        ++m_injected;
        int error = fault->error;
        if (fault->afterInner)
            inner();
        return error;
    }

    FileSystem& m_inner;
    std::vector<Fault> m_faults;
    std::map<FsCall, int> m_calls;
    int m_injected = 0;
};

} // namespace torvel
