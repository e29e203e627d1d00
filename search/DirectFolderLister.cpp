#include "search/DirectFolderLister.h"

#include "platform/Platform.h"

namespace nuvero {

bool DirectFolderLister::list(const SharedText& path, std::vector<platform::DirEntry>& out)
{
    return read(*path, out);
}

bool DirectFolderLister::read(std::string_view path, std::vector<platform::DirEntry>& out)
{
    out.clear();
    platform::Folder folder = platform::Folder::open(path);
    if (!folder.isOpen())
        return false;
    folder.readAll(out);
    return true;
}

} // namespace nuvero
