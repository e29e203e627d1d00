#pragma once

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace nuvero::test {

// The entries of a folder at a program path, by name; the folder must open and list.
inline std::map<std::string, platform::DirEntry> listByName(const std::string& path)
{
    platform::Folder folder = platform::Folder::open(path);
    EXPECT_TRUE(folder.isOpen()) << path;
    std::vector<platform::DirEntry> entries;
    EXPECT_TRUE(folder.readAll(entries)) << path;
    std::map<std::string, platform::DirEntry> byName;
    for (auto& e : entries)
        byName[e.name] = e;
    return byName;
}

} // namespace nuvero::test
