#pragma once

#include "search/FolderLister.h"

namespace nuvero {

// Reads each folder when it is asked for, on the caller's thread.
class DirectFolderLister : public FolderLister {
public:
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override;
};

} // namespace nuvero
