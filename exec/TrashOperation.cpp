#include "TrashOperation.h"

#include "FileSystem.h"
#include "RunFeedback.h"

#include <utility>

namespace torvel {

TFileOperation::TFileOperation(FileSystem& fs, RunFeedback* feedback)
    : m_fs(fs)
    , m_feedback(feedback)
{}

TFileOperation::~TFileOperation() = default;

bool TFileOperation::Delete(const FolderHandle& dir, const std::string& name, const EntryId& asked)
{
    FileOpOutcome outcome{dir.path() + name, confirm(dir.path() + name), 0, {}};
    if (outcome.result == FileOpOutcome::Result::Done) {
        // The answer may come long after the question: another program may
        // have put something else under the name meanwhile, and the person
        // did not agree to give that away.
        EntryId now;
        outcome.error = m_fs.probe(dir, name, now);
        if (outcome.error == 0 && now != asked)
            outcome.error = entryChangedSinceAsked;
        if (outcome.error == 0)
            outcome.error = m_fs.trash(dir, name, outcome.place);
        if (outcome.error != 0)
            outcome.result = FileOpOutcome::Result::Failed;
    }
    m_outcomes.assign(1, std::move(outcome));
    return m_outcomes.back().result == FileOpOutcome::Result::Cancelled;
}

// Done means the person agreed, to this file or to all of the run.
FileOpOutcome::Result TFileOperation::confirm(const std::string& path)
{
    if (m_cancelled)
        return FileOpOutcome::Result::Cancelled;
    if (m_yesToAll)
        return FileOpOutcome::Result::Done;
    if (m_feedback == nullptr)
        return FileOpOutcome::Result::Declined;
    switch (m_feedback->confirmTrash(path)) {
    case RunFeedback::TrashAnswer::YesToAll:
        m_yesToAll = true;
        return FileOpOutcome::Result::Done;
    case RunFeedback::TrashAnswer::Yes:
        return FileOpOutcome::Result::Done;
    case RunFeedback::TrashAnswer::No:
        return FileOpOutcome::Result::Declined;
    case RunFeedback::TrashAnswer::Cancel:
        break;
    }
    m_cancelled = true;
    return FileOpOutcome::Result::Cancelled;
}

} // namespace torvel
