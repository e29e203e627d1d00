#pragma once

#include <string>
#include <vector>

namespace nuvero::test {

// What a breadth-first walk of a host folder must find with the mask "*.*" and no time
// test, worked out with plain readdir/lstat (the order the system lists entries in):
// rows as "program path|name", and the folders searched in order.
struct ExpectedWalk {
    std::vector<std::string> rows;
    std::vector<std::string> folders;
};

ExpectedWalk expectedWalk(const std::string& hostRoot, const std::string& programRoot);

// Creates a chain of `depth` folders, each named `component`, below hostRoot without ever
// handing the system a long path; removeChain takes it away again the same way.
void makeChain(const std::string& hostRoot, const std::string& component, int depth, const std::string& fileName);
void removeChain(const std::string& hostRoot, const std::string& component);

} // namespace nuvero::test
