// Tests only: runs a built converter as its own process, in a folder, with
// its answers piped in and its standard output going into a pipe that nobody
// reads (the reader has already gone, as when the output is piped into a
// program that ended early).
#pragma once

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kvl::test {

/// The exit status of `program`, or minus the number of the signal that ended it.
inline int runWithClosedOutput(
    const std::string& program, const std::filesystem::path& folder, const std::string& answers)
{
    int in[2];
    int out[2];
    if (::pipe(in) != 0)
        return -1000;
    if (::pipe(out) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return -1000;
    }
    // The answers are small: they fit the pipe before the program starts, so
    // this process never writes to a pipe whose reader has ended.
    const bool written = ::write(in[1], answers.data(), answers.size()) == static_cast<ssize_t>(answers.size());
    ::close(in[1]);
    ::close(out[0]);
    if (!written) {
        ::close(in[0]);
        ::close(out[1]);
        return -1000;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(in[0]);
        ::close(out[1]);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    if (pid < 0)
        return -1000;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1000;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : -1000;
}

} // namespace kvl::test
