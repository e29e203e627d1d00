#include "support/TempTree.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace nuvero::test {

#ifdef _WIN32

namespace {

using platform::win32::wide;

// "\\?\T:\a\b" for "T:\a\b": long paths and names such as "con" reach the file system.
std::wstring systemForm(std::string path)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return wide("\\\\?\\" + path);
}

// Calls f(child, attributes) for every entry of a folder given in its system form.
template <class F> void forEachChild(const std::wstring& folder, F&& f)
{
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L'\\';
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((base + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            f(base + name, data.dwFileAttributes);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

// Read-only entries and whole folders go too; links are removed, never followed.
void removeEntry(const std::wstring& entry, DWORD attributes)
{
    ::SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(entry.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        forEachChild(entry, removeEntry);
    ::RemoveDirectoryW(entry.c_str());
}

} // namespace

TempTree::TempTree()
{
    const char* letters = std::getenv("NUVERO_TEST_DRIVES");
    for (const char* p = letters; p && *p; ++p) {
        const char letter = *p;
        const std::wstring name = L"Local\\nuvero-test-drive-" + std::wstring(1, static_cast<wchar_t>(letter & ~0x20));
        const HANDLE claim = ::CreateMutexW(nullptr, FALSE, name.c_str());
        // Only an empty drive is taken, and only what the tree made is removed at the end:
        // a letter given by mistake (or the leftovers of a test that crashed, which the
        // Wine script clears before each run) is never emptied.
        bool free = claim && ::GetLastError() != ERROR_ALREADY_EXISTS;
        if (free)
            forEachChild(systemForm(std::string(1, letter) + ":\\"), [&](const std::wstring&, DWORD) { free = false; });
        if (free) {
            m_root = std::string(1, letter) + ":\\";
            m_letter = letter;
            m_claim = claim;
            return;
        }
        if (claim)
            ::CloseHandle(claim);
    }
    throw std::runtime_error(std::string("no free empty test drive among NUVERO_TEST_DRIVES=")
        + (letters ? letters : "") + " (scripts/test-wine.sh makes them; see docs/windows.md)");
}

TempTree::~TempTree()
{
    forEachChild(systemForm(m_root), removeEntry);
    ::CloseHandle(static_cast<HANDLE>(m_claim));
}

std::string TempTree::path(std::string_view relative) const
{
    std::string full = m_root + std::string(relative);
    std::replace(full.begin(), full.end(), '/', '\\');
    return full;
}

void TempTree::setTimes(std::string_view relative, std::time_t access, std::time_t modify) const
{
    const auto fileTime = [](std::time_t t) {
        const auto ticks = static_cast<std::uint64_t>((static_cast<std::int64_t>(t) + 11644473600LL) * 10000000LL);
        return FILETIME { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
    };
    const HANDLE file = ::CreateFileW(systemForm(path(relative)).c_str(), FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const FILETIME times[2] = { fileTime(access), fileTime(modify) };
    const bool ok = file != INVALID_HANDLE_VALUE && ::SetFileTime(file, nullptr, &times[0], &times[1]);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot set the times of " + path(relative));
}

void TempTree::remove(std::string_view relative) const
{
    const DWORD attributes = ::GetFileAttributesW(systemForm(path(relative)).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        removeEntry(systemForm(path(relative)), attributes);
}

#else // POSIX

namespace fs = std::filesystem;

TempTree::TempTree()
{
    const char* base = std::getenv("TMPDIR");
    m_root = std::string(base && *base ? base : "/tmp") + "/nuvero-test-XXXXXX";
    if (!::mkdtemp(m_root.data()))
        throw std::runtime_error("cannot make a temporary folder in " + m_root);
}

TempTree::~TempTree()
{
    // Read-only folders go too as long as they are empty.
    std::error_code error;
    fs::remove_all(m_root, error);
}

std::string TempTree::path(std::string_view relative) const
{
    return relative.empty() ? m_root : m_root + "/" + std::string(relative);
}

void TempTree::setTimes(std::string_view relative, std::time_t access, std::time_t modify) const
{
    const struct timespec times[2] = { { access, 0 }, { modify, 0 } };
    if (::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot set the times of " + path(relative));
}

void TempTree::remove(std::string_view relative) const
{
    std::error_code error;
    fs::remove_all(path(relative), error);
}

#endif

// The entry's path as the file system calls take it.
std::filesystem::path TempTree::systemPath(std::string_view relative) const
{
#ifdef _WIN32
    return systemForm(path(relative));
#else
    return path(relative);
#endif
}

void TempTree::makeDir(std::string_view relative) const
{
    // One level at a time: create_directories cannot climb a "\\?\" path to its drive.
    for (std::size_t pos = 0; pos != std::string_view::npos;) {
        pos = relative.find('/', pos + 1);
        std::filesystem::create_directory(systemPath(relative.substr(0, pos)));
    }
}

void TempTree::makeFile(std::string_view relative, std::string_view content) const
{
    if (const auto slash = relative.rfind('/'); slash != std::string_view::npos)
        makeDir(relative.substr(0, slash));
    std::ofstream out(systemPath(relative), std::ios::binary | std::ios::trunc);
    if (!out.write(content.data(), static_cast<std::streamsize>(content.size())))
        throw std::runtime_error("cannot write " + path(relative));
}

void TempTree::makeSymlink(std::string_view relative, std::string_view target) const
{
    std::filesystem::create_symlink(target, systemPath(relative));
}

bool TempTree::exists(std::string_view relative) const
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(systemPath(relative), error));
}

bool TempTree::isDir(std::string_view relative) const
{
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::symlink_status(systemPath(relative), error));
}

std::string TempTree::read(std::string_view relative) const
{
    std::ifstream in(systemPath(relative), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path(relative));
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void TempTree::build(std::span<const TreeEntry> entries) const
{
    for (const TreeEntry& e : entries) {
        if (e.kind == TreeEntry::Kind::Dir) {
            makeDir(e.path);
        } else if (e.kind == TreeEntry::Kind::Link) {
            makeSymlink(e.path, e.target);
        } else {
            makeFile(e.path, std::string(std::min<std::uint64_t>(e.size, 4096), 'x'));
            if (e.size > 4096)
                std::filesystem::resize_file(systemPath(e.path), e.size); // sparse on Linux
        }
    }
    for (const TreeEntry& e : entries) {
        if (e.write != 0)
            setTimes(e.path, e.access, e.write);
    }
}

} // namespace nuvero::test
