// A home of its own for every test program: the user's files are never read or written.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace FeedsmithTest {

// Points HOME and the XDG folders at a new temporary folder during static initialisation, before
// QTEST_MAIN's application object and any QStandardPaths call, and removes it at exit. Programs
// and servers a test starts inherit it; tests that want another home set it over this one.
inline struct TestHome
{
    const char *temp = std::getenv("TMPDIR");
    std::string path = std::string(temp && *temp ? temp : "/tmp") + "/feedsmith-home-XXXXXX";
    pid_t owner = ::getpid();
    std::error_code ignored;

    TestHome()
    {
        if (!::mkdtemp(path.data())) {
            std::perror("feedsmith tests: cannot make a temporary home");
            std::_Exit(1);
        }
        for (const auto &[variable, folder] : {std::pair{"HOME", ""},
                                               {"XDG_CONFIG_HOME", "/.config"},
                                               {"XDG_DATA_HOME", "/.local/share"},
                                               {"XDG_CACHE_HOME", "/.cache"},
                                               {"XDG_STATE_HOME", "/.local/state"},
                                               {"XDG_RUNTIME_DIR", "/runtime"}}) {
            std::filesystem::create_directories(path + folder, ignored);
            ::setenv(variable, (path + folder).c_str(), 1);
        }
        // Qt refuses a runtime folder that others may enter.
        std::filesystem::permissions(path + "/runtime", std::filesystem::perms::owner_all, ignored);
    }
    ~TestHome()
    {
        if (::getpid() == owner) // the process that made it, not a forked child
            std::filesystem::remove_all(path, ignored);
    }
} testHome;

} // namespace FeedsmithTest
