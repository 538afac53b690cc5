// Runs a piece of a test in a child process (POSIX): under limits, as another user, or to be killed.
#pragma once

#include <functional>
#include <string>

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

}  // namespace merge_test
