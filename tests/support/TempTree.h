#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace nuvero::test {

// A real temporary folder tree on the host, removed with everything in it when the object
// goes. Paths given to the helpers are relative to the tree's root and use "/".
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(std::string_view relative) const;

    void makeDir(std::string_view relative) const; // parents made too
    void makeFile(std::string_view relative, std::string_view content = {}) const;
    void makeSymlink(std::string_view relative, std::string_view target) const;
    bool exists(std::string_view relative) const; // without following links
    bool isDir(std::string_view relative) const;
    std::string read(std::string_view relative) const;
    // Sets last access and last write time (seconds since 1970, UTC).
    void setTimes(std::string_view relative, std::time_t access, std::time_t modify) const;
    void remove(std::string_view relative) const; // file, link or whole folder

private:
    std::string m_root;
};

} // namespace nuvero::test
