#pragma once

#include "search/FolderLister.h"

#include <string_view>

namespace nuvero {

// Reads each folder when it is asked for, on the caller's thread.
class DirectFolderLister : public FolderLister {
public:
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override;

    // Enters the folder at a program path and reads all its entries into out (emptied
    // first). False when the folder cannot be entered.
    static bool read(std::string_view path, std::vector<platform::DirEntry>& out);
};

} // namespace nuvero
