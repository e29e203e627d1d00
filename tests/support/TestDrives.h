#pragma once

#include <map>
#include <string>

namespace nuvero::test {

class TempTree;

// Gives a test drive letters on temporary trees and a settings file of its own.
//
// Linux: points the program's settings folder (XDG_CONFIG_HOME) at a private temporary
// folder, whose "lamer.Ini" maps drive letters onto the trees as a user's would; the
// folder goes with the object. Windows: drive letters are the trees' own (TempTree) and
// the settings file is the system's, which tests never write; map() refuses there.
class TestDrives {
public:
    TestDrives();
    ~TestDrives();
    TestDrives(const TestDrives&) = delete;
    TestDrives& operator=(const TestDrives&) = delete;

    // The letter of a drive whose root is the tree's root, on both systems. Linux: maps
    // `preferred` onto the tree, keeping what was mapped before. Windows: the tree's own.
    char driveFor(const TempTree& tree, char preferred = 'c');

    // A letter no drive has now (the highest free one).
    static char unusedLetter();

    // Writes "lamer.Ini" with a [drives] section (letter -> host folder) followed by the
    // extra text as it stands, and makes the platform layer read it.
    void map(const std::map<char, std::string>& drives, const std::string& extraIni = {});

    // Linux: where the settings file goes ("lamer.Ini" in the private settings folder).
    const std::string& settingsPath() const { return m_settingsPath; }

private:
    std::string m_configHome;
    std::string m_settingsPath;
    std::map<char, std::string> m_drives;
    std::string m_extraIni;
};

} // namespace nuvero::test
