#pragma once

// torvel-cli started as a process of its own, its settings and journals in
// a scratch folder, what it prints in that folder's "out" and "err".

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/ScratchDir.h"

namespace torvel::test {

// Starts program (torvel-cli, else a tool the tests need) with args;
// settings and journals under home. Its input is the terminal named input,
// or nothing.
inline pid_t startProgram(const char* program, const ScratchDir& home,
                          const std::vector<std::string>& args,
                          const std::string& input = "/dev/null")
{
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string out = home / "out";
    const std::string err = home / "err";
    const std::string config = home / "config";
    const std::string state = home / "state";
    const pid_t child = ::fork();
    if (child == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open(input.c_str(), O_RDWR);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        if (::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 || ::dup2(in, 0) < 0)
            ::_exit(125);
        ::execv(argv.front(), argv.data());
        ::_exit(126);
    }
    return child;
}

inline pid_t startCli(const ScratchDir& home, const std::vector<std::string>& args,
                      const std::string& input = "/dev/null")
{
    return startProgram(TORVEL_CLI_EXECUTABLE, home, args, input);
}

// The exit status of a child; -1 when a signal ended it.
inline int exitStatusOf(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int runCli(const ScratchDir& home, const std::vector<std::string>& args)
{
    return exitStatusOf(startCli(home, args));
}

} // namespace torvel::test
