// Runs a test as the user "nobody" when the suite runs as root, in a child process of the test program.
#include "ordinary_user.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_support {

namespace {

// The child reports why it could not run the test through this exit status, so that the parent
// skips instead of failing.
constexpr int cannotRun = 125;

std::string CurrentTestFilter()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
}

}  // namespace

bool PassesPermissionChecks()
{
    return geteuid() == 0;
}

void BecomeOrdinaryUser()
{
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        throw std::runtime_error("there is no user \"nobody\"");
    if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
        throw std::runtime_error("cannot become the user \"nobody\"");
}

bool RerunAsOrdinaryUser()
{
    if (!PassesPermissionChecks())
        return false;
    if (getpwnam("nobody") == nullptr) {
        // GTEST_SKIP returns from the function it stands in, so it gets one of its own.
        [] { GTEST_SKIP() << "this machine has no user \"nobody\" to run the test as"; }();
        return true;
    }
    const std::string filter = CurrentTestFilter();

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        try {
            BecomeOrdinaryUser();
        } catch (const std::runtime_error&) {
            _exit(cannotRun);
        }
        std::vector<char*> arguments{const_cast<char*>("test"), const_cast<char*>(filter.c_str()), nullptr};
        execv("/proc/self/exe", arguments.data());
        std::fprintf(stderr, "cannot run the test as \"nobody\": %s\n", std::strerror(errno));
        _exit(cannotRun);
    }
    if (child < 0) {
        ADD_FAILURE() << "cannot start a child process: " << std::strerror(errno);
        return true;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (WIFEXITED(status) && WEXITSTATUS(status) == cannotRun) {
        [] { GTEST_SKIP() << "the test can't run as the user \"nobody\" here (is the program out of its reach?)"; }();
        return true;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        ADD_FAILURE() << "the test failed when run as the user \"nobody\" (its output is above)";
    return true;
}

}  // namespace test_support
