#pragma once

#include <map>
#include <string>

namespace nuvero::test {

// Points the program's settings folder at a private temporary folder for the life of the
// object (through XDG_CONFIG_HOME), so that tests map drive letters onto temporary trees
// exactly as a user's "lamer.Ini" would, and restores the previous environment after.
class TestDrives {
public:
    TestDrives();
    ~TestDrives();
    TestDrives(const TestDrives&) = delete;
    TestDrives& operator=(const TestDrives&) = delete;

    // Writes "lamer.Ini" with a [drives] section (letter -> host folder) followed by the
    // extra text as it stands, and makes the platform layer read it.
    void map(const std::map<char, std::string>& drives, const std::string& extraIni = {});
    // Writes "lamer.Ini" with exactly this content (no drive section added).
    void writeSettings(const std::string& content);
    // Removes "lamer.Ini".
    void removeSettings();

    const std::string& configHome() const { return m_configHome; }

private:
    std::string m_configHome;
    std::string m_savedValue;
    bool m_hadValue = false;
};

} // namespace nuvero::test
