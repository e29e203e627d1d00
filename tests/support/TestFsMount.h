#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace nuvero::test {

// nuvero-testfs mounted for the life of the object: a read-only mirror of a host folder
// whose requests can be slowed (--delay-us N) or never answered (--hang REL), as a dead or
// distant network drive's are. Linux only.
class TestFsMount {
public:
    // Empty when FUSE can be used here, else why not (for a test's skip message).
    static std::string unavailableReason();

    // Starts the file system and waits (bounded) until it is mounted; mounted() tells.
    TestFsMount(const std::string& source, const std::string& mountPoint, const std::vector<std::string>& options = {});
    // Releases hung requests, unmounts and reaps the process.
    ~TestFsMount();
    TestFsMount(const TestFsMount&) = delete;
    TestFsMount& operator=(const TestFsMount&) = delete;

    bool mounted() const { return m_mounted; }

private:
    std::string m_mountPoint;
    pid_t m_pid = -1;
    bool m_mounted = false;
};

} // namespace nuvero::test
