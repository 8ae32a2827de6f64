#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "Trash.h"

namespace torvel {

class FileSystem;
class FolderHandle;
class RunFeedback;
struct EntryId;

// The flags of a file operation. Value n is bit n of TFileOpFlags and the
// bit of the desktop flag it stands for (see shellFlags).
enum class TFileOpFlag : std::uint8_t
{
    fofMultiDestFiles,    // 0x0001
    fofConfirmMouse,      // 0x0002
    fofSilent,            // 0x0004
    fofRenameOnCollision, // 0x0008
    fofNoConfirmation,    // 0x0010
    fofWantMappingHandle, // accepted, never passed on
    fofAllowUndo,         // 0x0040
    fofFilesOnly,         // 0x0080
    fofSimpleProgress,    // 0x0100
    fofNoConfirmMkdir,    // 0x0200
    fofNoErrorUI,         // 0x0400
};

// A 16-bit set of TFileOpFlag.
class TFileOpFlags
{
public:
    constexpr TFileOpFlags() = default;
    constexpr TFileOpFlags(std::initializer_list<TFileOpFlag> flags)
    {
        for (TFileOpFlag flag : flags)
            m_bits = static_cast<std::uint16_t>(m_bits | bit(flag));
    }

    static constexpr TFileOpFlags fromBits(std::uint16_t bits)
    {
        TFileOpFlags set;
        set.m_bits = bits;
        return set;
    }

    constexpr bool contains(TFileOpFlag flag) const { return (m_bits & bit(flag)) != 0; }
    constexpr void insert(TFileOpFlag flag)
    {
        m_bits = static_cast<std::uint16_t>(m_bits | bit(flag));
    }
    constexpr void erase(TFileOpFlag flag)
    {
        m_bits = static_cast<std::uint16_t>(m_bits & ~bit(flag));
    }
    constexpr std::uint16_t bits() const { return m_bits; }
    constexpr bool operator==(const TFileOpFlags&) const = default;

private:
    static constexpr std::uint16_t bit(TFileOpFlag flag)
    {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(flag));
    }

    std::uint16_t m_bits = 0;
};

// The desktop flags a set stands for: every flag its own bit, except
// fofWantMappingHandle, which has none.
std::uint16_t shellFlags(TFileOpFlags options);

// The operation codes of Execute.
enum FileOpCode : int
{
    foMove = 1,
    foCopy = 2,
    foDelete = 3,
    foRename = 4,
};

// What became of one name of the last Execute.
struct FileOpOutcome
{
    enum class Result : std::uint8_t
    {
        Done,        // the file is in the trash
        Declined,    // the person answered No; the file is where it was
        Cancelled,   // the person cancelled, at this question or an earlier one of
                     // the run; nothing more was done and the file is where it was
        Failed,      // the trash refused; error tells why; the file is where it was
        Unsupported, // an operation code this system does not carry out
    };

    std::string name;
    Result result = Result::Failed;
    int error = 0;
    TrashPlace place; // where it went, when Done
};

// The file operation component of the main window. Only deletion is carried
// out, and it never removes a file outright: the file goes to the desktop's
// trash after the person has confirmed it through the window. Whatever
// Options say, a file is never deleted beyond recovery; fofNoConfirmation is
// the only flag that changes what happens (no question is asked).
class TFileOperation
{
public:
    static constexpr TFileOpFlags defaultOptions{TFileOpFlag::fofAllowUndo,
                                                 TFileOpFlag::fofFilesOnly};

    // feedback asks the confirmations; without one, nothing that needs a
    // confirmation is done.
    explicit TFileOperation(FileSystem& fs, RunFeedback* feedback = nullptr);
    virtual ~TFileOperation();
    TFileOperation(const TFileOperation&) = delete;
    TFileOperation& operator=(const TFileOperation&) = delete;

    void setFeedback(RunFeedback* feedback) { m_feedback = feedback; }

    // Kept for the form's sake; no operation reads them (Execute takes its
    // lists as arguments). The setters copy.
    const std::vector<std::string>& FromFiles() const { return m_fromFiles; }
    void setFromFiles(const std::vector<std::string>& names) { m_fromFiles = names; }
    const std::vector<std::string>& ToFiles() const { return m_toFiles; }
    void setToFiles(const std::vector<std::string>& names) { m_toFiles = names; }

    TFileOpFlags Options = defaultOptions;
    std::string Title; // progress title; only meaningful with fofSimpleProgress

    // Carries out the operation on every full path of from; true when the
    // person aborted (cancelled) any part of it. Only foDelete is carried
    // out; any other code does nothing, marks every name Unsupported
    // (ENOTSUP) and returns false. lastOutcomes() tells what happened to
    // each name.
    virtual bool Execute(int code, const std::vector<std::string>& from,
                         const std::vector<std::string>& to);

    // Sends one file, given by its full path, to the trash after the
    // person's confirmation; returns what Execute returned.
    bool Delete(const std::string& path);
    // The same for the file name in the open folder dir, which held the
    // entry asked about when the question was put. The person is asked about
    // dir's path + name, but the file that goes is the one in the folder that
    // was opened, even when that path has come to name another folder since;
    // and it goes only if the name still holds that entry once the person
    // has answered (else Failed with entryChangedSinceAsked).
    bool Delete(const FolderHandle& dir, const std::string& name, const EntryId& asked);

    const std::vector<FileOpOutcome>& lastOutcomes() const { return m_outcomes; }

    // A new run begins: an earlier "Yes to all" or Cancel no longer holds.
    // Between two calls every answer holds for all later questions: after
    // "Yes to all" no more is asked and every file goes, after Cancel no more
    // is asked and every file stays (Cancelled).
    void beginRun()
    {
        m_yesToAll = false;
        m_cancelled = false;
    }

private:
    bool deleteAll(const std::vector<std::string>& from);
    FileOpOutcome trashOne(const FolderHandle& dir, const std::string& name,
                           const std::string& shownPath, const EntryId* asked);
    FileOpOutcome::Result confirm(const std::string& path);

    FileSystem& m_fs;
    RunFeedback* m_feedback;
    std::vector<std::string> m_fromFiles;
    std::vector<std::string> m_toFiles;
    std::vector<FileOpOutcome> m_outcomes;
    bool m_yesToAll = false;
    bool m_cancelled = false;
};

} // namespace torvel
