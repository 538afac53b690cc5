// Runs a piece of a test in a child process (POSIX): under limits, as another user, to be killed, or
// to hold something (a lock, a running program) while the test goes on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace merge_test {

// Runs `work` in a forked child after `prepare` (limits, or test_support::BecomeOrdinaryUser), and yields the text that
// `work` returned there. A child that dies, or whose preparation fails, yields a text that says so,
// which then fails the comparison of the caller.
std::string InChild(const std::function<void()>& prepare, const std::function<std::string()>& work);

// For `prepare`: the child gets at most `bytes` more address space than it has, so that a merge that
// holds more than that fails there instead of taking the machine's memory.
void LimitMemoryGrowth(unsigned long long bytes);

// For `prepare`: the child is left with no more than about 128 KiB of memory to take, whatever its
// heap held free before; enough for a sentence, too little for any buffer of the merge.
void LeaveLittleMemory();

// True when the sanitizers' shadow memory makes address-space limits meaningless.
bool UnderAddressSanitizer();

// A child process that holds something for the test until Release() or the end of this object: it
// runs `hold` and then waits, and the constructor returns once `hold` has returned there. `hold`
// yields an empty text when it holds, or why it can't, which Failure() then gives.
class HoldingChild {
public:
    explicit HoldingChild(const std::function<std::string()>& hold);
    ~HoldingChild();
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    const std::string& Failure() const { return failure_; }
    // Ends the child, and with it whatever it held, and waits until it is gone.
    void Release();

private:
    pid_t child_ = -1;
    int release_ = -1;
    std::string failure_;
};

// A program started from `program` with `arguments`, running until the end of this object, which
// kills it. The constructor returns once the program runs (its file is in use); where it can't be
// started, Failure() says why.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    const std::string& Failure() const { return failure_; }

private:
    pid_t child_ = -1;
    std::string failure_;
};

}  // namespace merge_test
