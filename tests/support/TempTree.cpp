#include "support/TempTree.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include "platform/win32/WindowsApi.h"
#else
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace nuvero::test {

#ifdef _WIN32

namespace {

using platform::win32::wide;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": system error " + std::to_string(::GetLastError()));
}

// "\\?\T:\a\b" for "T:\a/b": long paths and names such as "con" reach the file system.
std::wstring systemForm(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return wide("\\\\?\\" + path);
}

// The folder in its system form, with its trailing separator.
bool isEmptyFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    bool empty = true;
    do {
        const std::wstring name = data.cFileName;
        empty = empty && (name == L"." || name == L"..");
    } while (empty && ::FindNextFileW(find, &data));
    ::FindClose(find);
    return empty;
}

// Removes what a folder holds (and the folder itself when asked), read-only entries
// included. Links are removed, never followed.
void removeContents(const std::wstring& folder, bool removeSelf)
{
    std::wstring base = folder;
    if (base.back() != L'\\')
        base.push_back(L'\\');
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((base + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = base + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            const bool folderEntry = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (folderEntry && !link)
                removeContents(child, true);
            else if (folderEntry)
                ::RemoveDirectoryW(child.c_str());
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    if (removeSelf)
        ::RemoveDirectoryW(folder.c_str());
}

} // namespace

TempTree::TempTree()
{
    const char* letters = std::getenv("NUVERO_TEST_DRIVES");
    if (!letters || !*letters)
        throw std::runtime_error("NUVERO_TEST_DRIVES is not set: the Windows tests need drive letters of their own "
                                 "(scripts/test-wine.sh makes them; see docs/windows.md)");
    std::string refused;
    for (const char* p = letters; *p; ++p) {
        const char letter = *p;
        if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
            continue;
        const std::wstring name = L"Local\\nuvero-test-drive-" + std::wstring(1, static_cast<wchar_t>(letter & ~0x20));
        const HANDLE claim = ::CreateMutexW(nullptr, FALSE, name.c_str());
        if (!claim)
            continue;
        if (::GetLastError() == ERROR_ALREADY_EXISTS) { // another tree has it
            ::CloseHandle(claim);
            continue;
        }
        // Only an empty drive is taken, and only what the tree made is removed at the end:
        // a letter given by mistake (or the leftovers of a test that crashed, which the
        // Wine script clears before each run) is never emptied.
        const std::string root = std::string(1, letter) + ":\\";
        if (!isEmptyFolder(systemForm(root))) {
            ::CloseHandle(claim);
            refused += std::string(refused.empty() ? "" : ", ") + root;
            continue;
        }
        m_root = root;
        m_letter = letter;
        m_claim = claim;
        return;
    }
    throw std::runtime_error(std::string("no free empty test drive among NUVERO_TEST_DRIVES=") + letters
        + (refused.empty() ? "" : " (not empty: " + refused + ")"));
}

TempTree::~TempTree()
{
    removeContents(systemForm(m_root), false);
    ::CloseHandle(static_cast<HANDLE>(m_claim));
}

std::string TempTree::path(std::string_view relative) const
{
    std::string full = m_root + std::string(relative);
    for (char& c : full) {
        if (c == '/')
            c = '\\';
    }
    return full;
}

void TempTree::makeDir(std::string_view relative) const
{
    const std::string full = path(relative);
    for (std::size_t pos = m_root.size(); pos <= full.size(); ++pos) {
        if (pos == full.size() || full[pos] == '\\') {
            if (!::CreateDirectoryW(systemForm(full.substr(0, pos)).c_str(), nullptr)
                && ::GetLastError() != ERROR_ALREADY_EXISTS)
                fail("make folder " + full.substr(0, pos));
        }
    }
}

void TempTree::makeFile(std::string_view relative, std::string_view content) const
{
    const std::string full = path(relative);
    const auto slash = full.rfind('\\');
    if (slash >= m_root.size())
        makeDir(std::string_view(full).substr(m_root.size(), slash - m_root.size()));
    const HANDLE file = ::CreateFileW(
        systemForm(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("create " + full);
    DWORD written = 0;
    const bool ok = content.empty()
        || (::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr)
            && written == content.size());
    ::CloseHandle(file);
    if (!ok)
        fail("write " + full);
}

void TempTree::makeSymlink(std::string_view, std::string_view) const
{
    throw std::runtime_error("symbolic links are made by the Linux tests only");
}

bool TempTree::exists(std::string_view relative) const
{
    return ::GetFileAttributesW(systemForm(path(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TempTree::isDir(std::string_view relative) const
{
    const DWORD attributes = ::GetFileAttributesW(systemForm(path(relative)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string TempTree::read(std::string_view relative) const
{
    const std::string full = path(relative);
    const HANDLE file = ::CreateFileW(systemForm(full).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("open " + full);
    std::string content;
    char buffer[64 * 1024];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        content.append(buffer, n);
    ::CloseHandle(file);
    return content;
}

void TempTree::setTimes(std::string_view relative, std::time_t access, std::time_t modify) const
{
    const auto fileTime = [](std::time_t t) {
        const auto ticks = static_cast<std::uint64_t>((static_cast<std::int64_t>(t) + 11644473600LL) * 10000000LL);
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(ticks);
        ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
        return ft;
    };
    const std::string full = path(relative);
    const HANDLE file = ::CreateFileW(systemForm(full).c_str(), FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("open " + full);
    const FILETIME a = fileTime(access);
    const FILETIME m = fileTime(modify);
    const bool ok = ::SetFileTime(file, nullptr, &a, &m);
    ::CloseHandle(file);
    if (!ok)
        fail("set times of " + full);
}

void TempTree::remove(std::string_view relative) const
{
    const std::wstring target = systemForm(path(relative));
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        ::DeleteFileW(target.c_str());
    else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        ::RemoveDirectoryW(target.c_str());
    else
        removeContents(target, true);
}

#else // POSIX

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}

} // namespace

TempTree::TempTree()
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/nuvero-test-XXXXXX";
    if (!::mkdtemp(templ.data()))
        fail("mkdtemp");
    m_root = templ;
}

TempTree::~TempTree()
{
    // Make every folder writable again first, so that read-only test folders go too.
    ::nftw(
        m_root.c_str(),
        [](const char* p, const struct stat* st, int type, struct FTW*) {
            if (type == FTW_D)
                ::chmod(p, st->st_mode | S_IRWXU);
            return 0;
        },
        64, FTW_PHYS);
    ::nftw(m_root.c_str(), removeEntry, 64, FTW_DEPTH | FTW_PHYS);
}

std::string TempTree::path(std::string_view relative) const
{
    if (relative.empty())
        return m_root;
    return m_root + "/" + std::string(relative);
}

void TempTree::makeDir(std::string_view relative) const
{
    std::string full = path(relative);
    for (std::size_t pos = m_root.size() + 1; pos <= full.size(); ++pos) {
        if (pos == full.size() || full[pos] == '/') {
            std::string part = full.substr(0, pos);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                fail("mkdir " + part);
        }
    }
}

void TempTree::makeFile(std::string_view relative, std::string_view content) const
{
    const std::string full = path(relative);
    const auto slash = full.rfind('/');
    if (slash > m_root.size())
        makeDir(std::string_view(full).substr(m_root.size() + 1, slash - m_root.size() - 1));
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    if (!out)
        fail("create " + full);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void TempTree::makeSymlink(std::string_view relative, std::string_view target) const
{
    if (::symlink(std::string(target).c_str(), path(relative).c_str()) != 0)
        fail("symlink");
}

bool TempTree::exists(std::string_view relative) const
{
    struct stat st;
    return ::lstat(path(relative).c_str(), &st) == 0;
}

bool TempTree::isDir(std::string_view relative) const
{
    struct stat st;
    return ::lstat(path(relative).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TempTree::read(std::string_view relative) const
{
    std::ifstream in(path(relative), std::ios::binary);
    if (!in)
        fail("open " + path(relative));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TempTree::setTimes(std::string_view relative, std::time_t access, std::time_t modify) const
{
    struct timespec times[2] = { { access, 0 }, { modify, 0 } };
    if (::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail("utimensat");
}

void TempTree::remove(std::string_view relative) const
{
    ::nftw(path(relative).c_str(), removeEntry, 64, FTW_DEPTH | FTW_PHYS);
}

#endif

void TempTree::build(std::span<const TreeEntry> entries) const
{
    for (const TreeEntry& e : entries) {
        if (e.kind == TreeEntry::Kind::Dir) {
            makeDir(e.path);
        } else if (e.kind == TreeEntry::Kind::Link) {
            makeSymlink(e.path, e.target);
        } else {
#ifdef _WIN32
            makeFile(e.path, std::string(e.size, 'x'));
#else
            makeFile(e.path);
            if (::truncate(path(e.path).c_str(), static_cast<off_t>(e.size)) != 0)
                fail("truncate");
#endif
        }
    }
    for (const TreeEntry& e : entries) {
        if (e.write != 0)
            setTimes(e.path, e.access, e.write);
    }
}

} // namespace nuvero::test
