#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace nuvero::test {

// One entry of a tree described as data (see TempTree::build).
struct TreeEntry {
    enum class Kind { File, Dir, Link };
    std::string_view path;
    Kind kind = Kind::File;
    std::uint64_t size = 0; // files; sparse on Linux
    std::time_t write = 0; // with access: both set when write is not 0
    std::time_t access = 0;
    std::string_view target = {}; // links
};

// A real temporary folder tree, removed with everything in it when the object goes.
// Paths given to the helpers are relative to the tree's root and use "/".
//
// On Linux the tree is a new folder under $TMPDIR, which TestDrives::driveFor() maps as
// a drive. Windows cannot give an existing folder a drive letter that the file system
// calls see (Wine ignores DefineDosDevice), so there the tree is the whole of a test
// drive: one of the letters listed in NUVERO_TEST_DRIVES (made by scripts/test-wine.sh,
// or by "subst" on Windows; see docs/windows.md), claimed for the life of the tree
// through a named mutex, so that test programs running side by side never share one.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // Host path of the root ("/tmp/nuvero-test-ab12cd" or "T:\").
    const std::string& root() const { return m_root; }
    // Host path of an entry ("/" turned into "\" on Windows).
    std::string path(std::string_view relative) const;
    // The drive letter that is the tree on Windows; 0 on Linux.
    char driveLetter() const { return m_letter; }

    void makeDir(std::string_view relative) const; // parents made too
    void makeFile(std::string_view relative, std::string_view content = {}) const;
    void makeSymlink(std::string_view relative, std::string_view target) const;
    bool exists(std::string_view relative) const; // without following links
    bool isDir(std::string_view relative) const;
    std::string read(std::string_view relative) const;
    void remove(std::string_view relative) const; // file, link or whole folder
    // Makes the entries in order, then sets their times (making an entry changes its folder's).
    void build(std::span<const TreeEntry> entries) const;

private:
    // Sets last access and last write time (seconds since 1970, UTC).
    void setTimes(std::string_view relative, std::time_t access, std::time_t modify) const;
    std::filesystem::path systemPath(std::string_view relative) const;
    std::string m_root;
    char m_letter = 0;
    void* m_claim = nullptr; // Windows: the named mutex that holds the letter
};

} // namespace nuvero::test
