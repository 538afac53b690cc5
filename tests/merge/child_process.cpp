// Runs a piece of a test in a child process (POSIX).
#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace merge_test {

std::string InChild(const std::function<void()>& prepare, const std::function<std::string()>& work)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe to a child process";
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string message;
        try {
            prepare();
            message = work();
        } catch (const std::exception& error) {
            message = std::string("the child process failed: ") + error.what();
        }
        const ssize_t written = write(pipeEnds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string message;
    char piece[512];
    for (ssize_t got; (got = read(pipeEnds[0], piece, sizeof piece)) > 0;)
        message.append(piece, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return message + " (the child process was killed by signal " + std::to_string(WTERMSIG(status)) + ")";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return message + " (the child process failed)";
    return message;
}

void LimitMemoryGrowth(unsigned long long bytes)
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long long pages = 0;
    const bool read = statm && std::fscanf(statm, "%llu", &pages) == 1;
    if (statm)
        std::fclose(statm);
    if (!read)
        throw std::runtime_error("cannot read the child's size");
    const auto limit = static_cast<rlim_t>(pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + bytes);
    const rlimit addressSpace{limit, limit};
    if (setrlimit(RLIMIT_AS, &addressSpace) != 0)
        throw std::runtime_error("cannot limit the child's memory");
}

void LeaveLittleMemory()
{
    LimitMemoryGrowth(256 << 10);
    // Every free piece of the heap taken in small blocks, each pointing to the one before, until
    // nothing is left; then a few given back.
    constexpr std::size_t kBlock = 4096;
    void* last = nullptr;
    while (void* block = std::malloc(kBlock)) {
        *static_cast<void**>(block) = last;
        last = block;
    }
    for (int i = 0; i < 32 && last; ++i) {
        void* before = *static_cast<void**>(last);
        std::free(last);
        last = before;
    }
}

namespace {

void WaitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
}

std::string ReadToEnd(int fd)
{
    std::string text;
    char piece[512];
    for (ssize_t got; (got = read(fd, piece, sizeof piece)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        text.append(piece, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace

HoldingChild::HoldingChild(const std::function<std::string()>& hold)
{
    int held[2];
    int release[2];
    if (pipe(held) != 0) {
        failure_ = "no pipe to a child process";
        return;
    }
    if (pipe(release) != 0) {
        close(held[0]);
        close(held[1]);
        failure_ = "no pipe to a child process";
        return;
    }
    std::fflush(nullptr);
    child_ = fork();
    if (child_ == 0) {
        close(held[0]);
        close(release[1]);
        std::string failure;
        try {
            failure = hold();
        } catch (const std::exception& error) {
            failure = std::string("the child process failed: ") + error.what();
        }
        if (write(held[1], failure.data(), failure.size()) != static_cast<ssize_t>(failure.size()))
            _exit(1);
        close(held[1]);
        // Until the parent closes its end, or is gone.
        char byte;
        while (read(release[0], &byte, 1) < 0 && errno == EINTR) {}
        _exit(0);
    }
    close(held[1]);
    close(release[0]);
    if (child_ < 0) {
        close(held[0]);
        close(release[1]);
        failure_ = "cannot start a child process";
        return;
    }
    release_ = release[1];
    // The child closes its end once `hold` has returned.
    failure_ = ReadToEnd(held[0]);
    close(held[0]);
}

HoldingChild::~HoldingChild()
{
    Release();
}

void HoldingChild::Release()
{
    if (child_ <= 0)
        return;
    close(release_);
    WaitFor(child_);
    child_ = -1;
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    // Closed by a successful exec; an exec that fails sends its error number through it instead.
    int started[2];
    if (pipe2(started, O_CLOEXEC) != 0) {
        failure_ = "no pipe to a child process";
        return;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    child_ = fork();
    if (child_ == 0) {
        close(started[0]);
        execv(program.c_str(), argv.data());
        const int error = errno;
        (void)!write(started[1], &error, sizeof error);
        _exit(127);
    }
    close(started[1]);
    if (child_ < 0) {
        close(started[0]);
        failure_ = "cannot start a child process";
        return;
    }
    int error = 0;
    ssize_t got = 0;
    while ((got = read(started[0], &error, sizeof error)) < 0 && errno == EINTR) {}
    close(started[0]);
    if (got != 0) {
        failure_ = "cannot run " + program + ": " + std::generic_category().message(error);
        WaitFor(child_);
        child_ = -1;
    }
}

RunningProgram::~RunningProgram()
{
    if (child_ <= 0)
        return;
    kill(child_, SIGKILL);
    WaitFor(child_);
}

bool UnderAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

}  // namespace merge_test
