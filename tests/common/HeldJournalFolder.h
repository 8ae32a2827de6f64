#pragma once

// The journal folder held by another process, as a run of torvel-cli holds
// it while it goes, until release() or the end of the scope; the holder is
// then killed, as a crash would end it.

#include <gtest/gtest.h>

#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "JournalFolder.h"

namespace torvel::test {

class HeldJournalFolder
{
public:
    explicit HeldJournalFolder(const std::string& folder)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_holder = ::fork();
        if (m_holder == 0) {
            const JournalFolder held(folder, {});
            (void)!::write(ready[1], held.held() ? "y" : "n", 1);
            ::pause();
            ::_exit(0);
        }
        char answer = 0;
        m_held = m_holder > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(m_held) << "another process could not hold " << folder;
    }
    ~HeldJournalFolder() { release(); }
    HeldJournalFolder(const HeldJournalFolder&) = delete;
    HeldJournalFolder& operator=(const HeldJournalFolder&) = delete;

    bool held() const { return m_held; }

    void release()
    {
        if (m_holder > 0) {
            ::kill(m_holder, SIGKILL);
            ::waitpid(m_holder, nullptr, 0);
        }
        m_holder = -1;
    }

private:
    pid_t m_holder = -1;
    bool m_held = false;
};

} // namespace torvel::test
