#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "JournalFolder.h"
#include "TrashOperation.h"
#include "PosixFileSystem.h"
#include "RunJournal.h"
#include "RunTypes.h"

namespace torvel {

class RunFeedback;

// What one run, undo or recovery works through, assembled in one place for
// both front ends: the journal folder held against every other run of this
// process or another, the run's journal, the trash component that asks the
// person first, and the person's feedback. When it ends, the journals of
// runs that are over beyond the newest are pruned, the folder still held.
class RunSession
{
public:
    // Holds journalFolder, waiting up to wait for another process's run to end.
    explicit RunSession(std::string journalFolder,
                        std::chrono::milliseconds wait = JournalFolder::briefWait);
    ~RunSession();
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    // Whether the folder is held; nothing may be run or looked at otherwise.
    bool held() const { return m_folder.held(); }
    JournalFolder::State state() const { return m_folder.state(); }
    // Why it is not held, for the person (UTF-8).
    std::string refusal() const;
    const std::string& journalFolder() const { return m_folder.folder(); }

    FileSystem& fs() { return m_fs; }

    // The services of the one run of this session, recorded in its journal,
    // with the person behind feedback.
    RunServices services(RunFeedback& feedback);

private:
    JournalFolder m_folder;
    PosixFileSystem m_fs;
    RunJournal m_journal;
    std::optional<TFileOperation> m_trash;
};

} // namespace torvel
