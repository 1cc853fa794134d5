// A home of its own for every test program: the user's files are never read or written.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace FeedsmithTest {

// Points HOME and the XDG folders at a new temporary folder before main() runs, so before any
// QStandardPaths call, and removes the folder at exit. The program's settings, recovery copies,
// trusted certificates and the web engine's caches all land there, and the programs and servers
// a test starts inherit it. Tests that want another home set it over this one.
class TestHome
{
public:
    TestHome()
    {
        const char *temp = std::getenv("TMPDIR");
        std::string pattern = (temp && *temp ? std::string(temp) : std::string("/tmp")) + "/feedsmith-home-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("feedsmith tests: cannot make a temporary home");
            std::_Exit(1);
        }
        m_path = pattern;
        const struct
        {
            const char *variable, *folder;
        } folders[] = {{"HOME", ""},
                       {"XDG_CONFIG_HOME", "/.config"},
                       {"XDG_DATA_HOME", "/.local/share"},
                       {"XDG_CACHE_HOME", "/.cache"},
                       {"XDG_STATE_HOME", "/.local/state"},
                       {"XDG_RUNTIME_DIR", "/runtime"}};
        for (const auto &[variable, folder] : folders) {
            const std::string path = m_path + folder;
            std::error_code error;
            std::filesystem::create_directories(path, error);
            ::setenv(variable, path.c_str(), 1);
        }
        // Qt refuses a runtime folder that others may enter.
        ::chmod((m_path + "/runtime").c_str(), 0700);
    }
    ~TestHome()
    {
        // Only the process that made the folder removes it, not a child that ran its destructors.
        if (::getpid() != m_owner)
            return;
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    const std::string &path() const { return m_path; }

private:
    std::string m_path;
    pid_t m_owner = ::getpid();
};

// Made during static initialisation, before QTEST_MAIN's application object.
inline TestHome testHome;

} // namespace FeedsmithTest
