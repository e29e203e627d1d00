#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

namespace nuvero::test {

// A tmpfs mounted on an existing host folder inside a mount namespace of this thread's own,
// so that a test can make a full disk or a read-only file system for real and nothing of
// it is seen outside the test. Needs CAP_SYS_ADMIN (CI runs as root); where the system
// refuses, mounted() is false and reason() says why, for the test's skip message.
class PrivateMount {
public:
    PrivateMount(const std::string& folder, const std::string& options);
    ~PrivateMount();
    PrivateMount(const PrivateMount&) = delete;
    PrivateMount& operator=(const PrivateMount&) = delete;

    bool mounted() const { return m_reason.empty(); }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_folder;
    std::string m_reason;
};

// Removes a host folder and everything in it, however deep, holding one descriptor at a
// time (a chain of thousands of folders is neither reachable by one path nor by one open
// descriptor per level).
void removeTree(const std::string& hostFolder);

} // namespace nuvero::test
