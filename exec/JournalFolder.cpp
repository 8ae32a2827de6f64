#include "JournalFolder.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixFileOps.h"

namespace torvel {

namespace {

constexpr const char* lockName = "lock";

} // namespace

int checkOwnFolder(const std::string& folder)
{
    struct stat st
    {};
    const std::string path =
        folder.size() > 1 && folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
    if (::lstat(path.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0)
        return EPERM;
    return 0;
}

JournalFolder::JournalFolder(std::string folder, std::chrono::milliseconds wait)
    : m_folder(std::move(folder))
{
    // Made for the person alone; one that was already there, or that
    // someone else made first, is checked.
    int rc = makeFolders(m_folder, 0700);
    if (rc == 0)
        rc = checkOwnFolder(m_folder);
    if (rc != 0) {
        m_state = rc == EPERM ? State::NotOwn : State::Failed;
        m_error = rc;
        return;
    }
    const std::string lock = m_folder + lockName;
    m_lock = UniqueFd(::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!m_lock.isOpen()) {
        m_error = errno;
        return;
    }
    const auto until = std::chrono::steady_clock::now() + wait;
    while (::flock(m_lock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = errno;
            return;
        }
        if (std::chrono::steady_clock::now() >= until) {
            m_state = State::Busy;
            m_error = EWOULDBLOCK;
            m_lock.reset();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_state = State::Held;
}

} // namespace torvel
