// Runs a piece of a test in a child process (POSIX).
#include "child_process.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

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
