#pragma once

#include <map>
#include <string>

namespace nuvero::test {

class TempTree;

// Gives tests drive letters on temporary trees and a settings file of their own, and
// puts everything back when it goes.
//
// Linux: points the program's settings folder at a private temporary folder (through
// XDG_CONFIG_HOME), so that drive letters are mapped onto temporary trees exactly as a
// user's "lamer.Ini" would map them. Windows: the settings file is the one in the
// Windows folder; a test that writes or removes it gets back what it held before. Drive letters there
// are the trees' own (TempTree), and cannot be mapped onto other folders.
class TestDrives {
public:
    TestDrives();
    ~TestDrives();
    TestDrives(const TestDrives&) = delete;
    TestDrives& operator=(const TestDrives&) = delete;

    // The drive letter whose root is the tree's root, for tests that run on both back
    // ends. Linux: maps `preferred` onto the tree (keeping what driveFor() and map()
    // mapped before) and returns it. Windows: the tree's own letter.
    char driveFor(const TempTree& tree, char preferred = 'c');

    // A letter no drive has now (the highest free one).
    static char unusedLetter();

    // Linux only. Writes "lamer.Ini" with a [drives] section (letter -> host folder)
    // followed by the extra text as it stands, and makes the platform layer read it.
    void map(const std::map<char, std::string>& drives, const std::string& extraIni = {});
    // Writes "lamer.Ini" with exactly this content (no drive section added).
    void writeSettings(const std::string& content);
    // Removes "lamer.Ini".
    void removeSettings();

    const std::string& configHome() const { return m_configHome; }
    const std::string& settingsPath() const { return m_settingsPath; }

private:
    void keepSettings();

    std::string m_configHome;
    std::string m_settingsPath;
    std::string m_savedValue;
    bool m_hadValue = false;
    std::map<char, std::string> m_drives;
    std::string m_extraIni;
    std::string m_savedSettings; // Windows: the settings file as it was
    bool m_hadSettings = false;
    bool m_touchedSettings = false;
};

} // namespace nuvero::test
