#pragma once

#include <chrono>
#include <string>

#include "UniqueFd.h"

namespace torvel {

// The folder where runs keep their journals, held by one run, undo or
// recovery at a time. It must be the person's own: a journal tells undo
// which files to rename, so a folder that another account can write to
// would let that account rename the person's files.
class JournalFolder
{
public:
    enum class State : std::uint8_t
    {
        Held,   // checked, and locked until this object goes
        NotOwn, // owned by another account, or writable by group or others
        Busy,   // another run, undo or recovery holds it
        Failed, // cannot be made or opened; error() tells why
    };

    // Makes the folder (and its missing parents, for the person alone) when
    // missing, checks it, and locks it, waiting up to wait for another
    // process's run to end.
    JournalFolder(std::string folder, std::chrono::milliseconds wait);

    State state() const { return m_state; }
    bool held() const { return m_state == State::Held; }
    const std::string& folder() const { return m_folder; }
    int error() const { return m_error; }

    // How long a run waits for another to end before it gives up.
    static constexpr std::chrono::milliseconds briefWait{2000};

private:
    std::string m_folder;
    State m_state = State::Failed;
    int m_error = 0;
    UniqueFd m_lock;
};

// Whether folder (a path ending in "/") is the person's own: a folder, not
// a link, owned by this user and writable by nobody else. 0, EPERM when it
// is not, or the errno of looking at it.
[[nodiscard]] int checkOwnFolder(const std::string& folder);

} // namespace torvel
