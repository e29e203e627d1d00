#pragma once

#include "platform/DirEntry.h"
#include "platform/IoStatus.h"

#include <cstdint>
#include <span>
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

    // The attribute word of an entry whose details are not read yet (Windows' own
    // "invalid attributes", never a real word).
    static constexpr std::uint32_t NoDetails = 0xFFFFFFFF;

    // readAll in two steps, for a caller that spreads the second over threads (on a
    // network drive each entry's details are a round trip of their own). readNames
    // appends the entries readAll would list with their names only (attributes NoDetails;
    // where the listing itself holds the details, as on Windows, complete). readDetails
    // then fills in any part of them; parts of one listing may be read on several threads
    // at once while the folder stays open. An entry readAll would leave out (vanished
    // meanwhile, another drive's folder) keeps NoDetails and is to be dropped.
    bool readNames(std::vector<DirEntry>& out);
    void readDetails(std::span<DirEntry> entries) const;

    // Enters the subfolder `name` of this open folder, as open(path) enters its program
    // path `path`, without looking up the folders above it again (back ends that open by
    // path use `path`). Like open, never follows a link.
    Folder openSubfolder(std::string_view name, std::string_view path) const;

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
