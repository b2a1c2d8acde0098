// Runs part of a test without root's power to ignore file permissions.
#ifndef KILNBOOK_TESTS_SUPPORT_UNPRIVILEGED_H_
#define KILNBOOK_TESTS_SUPPORT_UNPRIVILEGED_H_

#include <functional>
#include <string>

namespace kilnbook {

// When the tests run as root (as in CI), hands `directory` (recursively) to
// the user and group nobody and runs `body` in a child process as that user;
// a failed expectation in the child fails the calling test. Otherwise runs
// `body` here. Programs that `body` starts inherit the user.
void AsUnprivileged(const std::string& directory,
                    const std::function<void()>& body);

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_UNPRIVILEGED_H_
