#include "RunSession.h"

#include <utility>

#include "Texts.h"

namespace torvel {

RunSession::RunSession(std::string journalFolder, std::chrono::milliseconds wait)
    : m_folder(std::move(journalFolder), wait)
    , m_journal(m_folder.folder())
{}

RunSession::~RunSession()
{
    if (m_folder.held())
        pruneJournals(m_folder.folder());
}

std::string RunSession::refusal() const
{
    return journalFolderRefusal(m_folder);
}

RunServices RunSession::services(RunFeedback& feedback)
{
    m_trash.emplace(m_fs, &feedback);
    return {m_fs, feedback, *m_trash, &m_journal};
}

} // namespace torvel
