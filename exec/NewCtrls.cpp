#include "NewCtrls.h"

#include <cerrno>
#include <utility>

#include "FileSystem.h"
#include "RunFeedback.h"

namespace torvel {

std::uint16_t shellFlags(TFileOpFlags options)
{
    TFileOpFlags passed = options;
    passed.erase(TFileOpFlag::fofWantMappingHandle);
    // Bits above the last flag have no meaning; they are not passed on either.
    constexpr std::uint16_t known = 0x07FF;
    return static_cast<std::uint16_t>(passed.bits() & known);
}

TFileOperation::TFileOperation(FileSystem& fs, RunFeedback* feedback)
    : m_fs(fs)
    , m_feedback(feedback)
{}

TFileOperation::~TFileOperation() = default;

bool TFileOperation::Execute(int code, const std::vector<std::string>& from,
                             const std::vector<std::string>& /*to*/)
{
    m_outcomes.clear();
    if (code == foDelete)
        return deleteAll(from);
    for (const auto& name : from)
        m_outcomes.push_back({name, FileOpOutcome::Result::Unsupported, ENOTSUP, {}});
    return false;
}

bool TFileOperation::Delete(const std::string& path)
{
    // One name, whatever blanks or other separators it holds.
    return Execute(foDelete, {path}, {});
}

bool TFileOperation::Delete(const FolderHandle& dir, const std::string& name, const EntryId& asked)
{
    m_outcomes.clear();
    m_outcomes.push_back(trashOne(dir, name, dir.path() + name, &asked));
    return m_outcomes.back().result == FileOpOutcome::Result::Cancelled;
}

bool TFileOperation::deleteAll(const std::vector<std::string>& from)
{
    bool aborted = false;
    for (const auto& path : from) {
        // A full path: the folder handle is not consulted.
        m_outcomes.push_back(trashOne(FolderHandle(), path, path, nullptr));
        aborted = aborted || m_outcomes.back().result == FileOpOutcome::Result::Cancelled;
    }
    return aborted;
}

FileOpOutcome TFileOperation::trashOne(const FolderHandle& dir, const std::string& name,
                                       const std::string& shownPath, const EntryId* asked)
{
    FileOpOutcome outcome{shownPath, confirm(shownPath), 0, {}};
    if (outcome.result != FileOpOutcome::Result::Done)
        return outcome;
    // The answer may come long after the question: another program may have
    // put something else under the name meanwhile, and the person did not
    // agree to give that away.
    if (asked != nullptr) {
        EntryId now;
        outcome.error = m_fs.probe(dir, name, now);
        if (outcome.error == 0 && now != *asked)
            outcome.error = entryChangedSinceAsked;
    }
    if (outcome.error == 0)
        outcome.error = m_fs.trash(dir, name, outcome.place);
    if (outcome.error != 0)
        outcome.result = FileOpOutcome::Result::Failed;
    return outcome;
}

// Done means the person agreed (or was not to be asked).
FileOpOutcome::Result TFileOperation::confirm(const std::string& path)
{
    if (m_cancelled)
        return FileOpOutcome::Result::Cancelled;
    if (Options.contains(TFileOpFlag::fofNoConfirmation) || m_yesToAll)
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
