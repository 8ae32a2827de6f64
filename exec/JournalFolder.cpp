#include "JournalFolder.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "IoError.h"
#include "NameText.h"

namespace torvel {

namespace {

constexpr const char* lockName = "lock";

// The folders from the top of path down, each ending in "/".
std::vector<std::string> foldersOf(const std::string& path)
{
    std::vector<std::string> folders;
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        folders.push_back(path.substr(0, at + 1));
    return folders;
}

// Makes the missing folders of path for the person alone; the folders it
// made are checked as the last one is, since someone else could have made
// one of them first.
int makeOwnFolders(const std::string& path, std::string& bad)
{
    for (const std::string& folder : foldersOf(path)) {
        if (::mkdir(folder.c_str(), 0700) == 0)
            continue;
        if (errno != EEXIST)
            return errno;
        if (folder == path) // already there: checked below like any other
            break;
    }
    bad = path;
    return checkOwnFolder(path);
}

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
    std::string bad;
    if (int rc = makeOwnFolders(m_folder, bad)) {
        m_state = rc == EPERM ? State::NotOwn : State::Failed;
        m_error = rc;
        m_badFolder = bad;
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

std::string JournalFolder::refusal() const
{
    switch (m_state) {
    case State::Held:
        return {};
    case State::NotOwn:
        return "フォルダ " + displayPath(m_badFolder)
               + " は、ほかのユーザーのものか、ほかのユーザーも書き込めるため、使いません。"
                 "このフォルダを自分だけのもの（chmod 700）にしてから、もう一度実行してください。";
    case State::Busy:
        return "ほかの実行（元に戻す・続行を含む）が進行中です。終わってから、もう一度実行して"
               "ください。";
    case State::Failed:
        break;
    }
    return "実行の記録のフォルダ " + displayPath(m_folder) + " を使えません。（"
           + ioErrorText(m_error) + "）";
}

} // namespace torvel
