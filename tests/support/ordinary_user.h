// Runs a test as an ordinary user when the suite runs as root, who would pass every permission check.
#pragma once

namespace test_support {

// As root (on Linux): runs the current test again in a child process as the user "nobody", records
// a failure there as a failure here, and yields true: the caller returns at once, since the child has
// done the test's work. As any other user, and on Windows, yields false and the test goes on here.
// Where the child can't be started (no such user, the program out of that user's reach) the test is
// skipped with the reason.
//
//     TEST(Suite, ReadOnlyFolder) {
//         if (test_support::RerunAsOrdinaryUser()) return;
//         ...
//     }
bool RerunAsOrdinaryUser();

// True when the process can pass over file permissions (root on Linux).
bool PassesPermissionChecks();

#ifndef _WIN32
// Makes this process the user "nobody", as root can; throws std::runtime_error where it can't. For a
// child process that does part of a test as an ordinary user.
void BecomeOrdinaryUser();
#endif

}  // namespace test_support
