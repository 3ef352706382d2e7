#pragma once
// Checks that need the file system's refusals (a folder that takes no new
// files, a colleague's file in a shared folder) run as a user without root's
// rights over files, so that they run where the tests run as root too.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <grp.h>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

// The user the checks become when the tests run as root ("nobody").
constexpr uid_t kOrdinaryUser = 65534;
constexpr gid_t kOrdinaryGroup = 65534;

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Runs `check` as an ordinary user: as it is where the tests are not run by
// root; else in a child process that has become kOrdinaryUser, whose failed
// expectations (reported there) fail the test here. What the check makes is
// its own; what it uses from outside must be open to that user
// (GiveToOrdinaryUser).
inline void AsOrdinaryUser(const std::function<void()> &check)
{
    if (!RunningAsRoot()) {
        check();
        return;
    }
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        int code = 0;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryGroup) != 0 || ::setuid(kOrdinaryUser) != 0) {
            code = 2;
        } else {
            try {
                check();
                code = ::testing::Test::HasFailure() ? 1 : 0;
            } catch (const std::exception &e) {
                std::cerr << "thrown as an ordinary user: " << e.what() << '\n';
                code = 3;
            } catch (...) {
                code = 3;
            }
        }
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        ::_exit(code);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the check as an ordinary user failed (wait status " << status << ")";
}

// Gives a file or folder made as root to the user AsOrdinaryUser becomes; as
// anyone else it is theirs already.
inline void GiveToOrdinaryUser(const std::string &path)
{
    if (RunningAsRoot()) {
        ASSERT_EQ(::chown(path.c_str(), kOrdinaryUser, kOrdinaryGroup), 0) << path;
    }
}

} // namespace testing_support
