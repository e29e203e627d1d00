#pragma once

#include "platform/DirEntry.h"
#include "platform/IoStatus.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nuvero::platform {

// An entered folder: opened as a directory without touching the process's working
// directory. Move-only; closes itself. Each back end implements it (PosixFolder.cpp,
// Win32Platform.cpp).
class Folder {
public:
    Folder() = default;
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // "Enters" the folder at a program path. Fails (isOpen() false, status set) when the
    // path does not exist, is no folder, cannot be accessed or the drive is not ready.
    static Folder open(std::string_view path, IoStatus* status = nullptr);

    bool isOpen() const { return m_handle != InvalidHandle; }

    // Appends every entry of the folder, in the order the system lists them, to out.
    // "." and ".." are left out, and so are names that cannot be part of a program path
    // (a name holding "\") and folders that belong to another drive. Returns false when
    // the listing failed part-way; the entries read until then stay in out.
    bool readAll(std::vector<DirEntry>& out);

    // True when readAll would list an entry whose isDirectory() holds (on Linux a link
    // never does). Reads only up to the first such entry, and on Linux asks for an
    // entry's details only when the listing gives no type or says "folder": the folder
    // picker asks this of every folder it shows.
    bool hasSubfolder();

    // A subfolder as the folder picker shows it.
    struct Subfolder {
        std::string name;
        bool hasSubfolder = false; // hasSubfolder() of that folder; false if it cannot be entered
    };

    // Appends every entry readAll would list as a folder, in the order the system lists
    // them, each with whether it holds a subfolder itself. Returns false when the listing
    // failed part-way. Cheaper than readAll and one open of each folder by path: on Linux
    // files and links are settled by the listing's entry type, and each subfolder is
    // entered from this folder (and not at all when its link count says it is empty).
    bool readSubfolders(std::vector<Subfolder>& out);

private:
    static constexpr std::intptr_t InvalidHandle = -1;
    std::intptr_t m_handle = InvalidHandle;
    std::string m_nativePath; // used by back ends that list by path
    bool m_readBefore = false;
};

} // namespace nuvero::platform
