#pragma once
// Sending a file the run must make room for to the trash, after the person
// has agreed to it.

#include <cstdint>
#include <string>
#include <vector>

#include "Trash.h"

namespace torvel {

class FileSystem;
class FolderHandle;
class RunFeedback;
struct EntryId;

// What became of the file of the last Delete.
struct FileOpOutcome
{
    enum class Result : std::uint8_t
    {
        Done,      // the file is in the trash
        Declined,  // the person answered No; the file is where it was
        Cancelled, // the person cancelled, at this question or an earlier one of
                   // the run; nothing more was done and the file is where it was
        Failed,    // the trash refused; error tells why; the file is where it was
    };

    std::string name;
    Result result = Result::Failed;
    int error = 0;
    TrashPlace place; // where it went, when Done
};

// The file operation component of the main window (FileOperation1). It never
// removes a file outright: the file goes to the desktop's trash, and only
// after the person has confirmed it.
class TFileOperation
{
public:
    // feedback asks the confirmations; without one, nothing is sent to the
    // trash.
    explicit TFileOperation(FileSystem& fs, RunFeedback* feedback = nullptr);
    ~TFileOperation();
    TFileOperation(const TFileOperation&) = delete;
    TFileOperation& operator=(const TFileOperation&) = delete;

    // Sends the file name in the open folder dir, which held the entry asked
    // about when the question was put, to the trash after the person's
    // confirmation; true when the person cancelled. The person is asked about
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
    FileOpOutcome::Result confirm(const std::string& path);

    FileSystem& m_fs;
    RunFeedback* m_feedback;
    std::vector<FileOpOutcome> m_outcomes;
    bool m_yesToAll = false;
    bool m_cancelled = false;
};

} // namespace torvel
