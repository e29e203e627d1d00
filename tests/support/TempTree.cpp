#include "support/TempTree.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <filesystem>
#else
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace nuvero::test {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

#ifndef _WIN32
int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}
#endif

} // namespace

TempTree::TempTree()
{
#ifdef _WIN32
    auto dir = std::filesystem::temp_directory_path() / ("nuvero-test-" + std::to_string(std::rand()));
    std::filesystem::create_directories(dir);
    m_root = dir.string();
#else
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/nuvero-test-XXXXXX";
    if (!::mkdtemp(templ.data()))
        fail("mkdtemp");
    m_root = templ;
#endif
}

TempTree::~TempTree()
{
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
#else
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
#endif
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
#ifdef _WIN32
            std::filesystem::create_directory(part);
#else
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                fail("mkdir " + part);
#endif
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
#ifdef _WIN32
    std::filesystem::create_symlink(std::string(target), path(relative));
#else
    if (::symlink(std::string(target).c_str(), path(relative).c_str()) != 0)
        fail("symlink");
#endif
}

bool TempTree::exists(std::string_view relative) const
{
#ifdef _WIN32
    return std::filesystem::exists(std::filesystem::symlink_status(path(relative)));
#else
    struct stat st;
    return ::lstat(path(relative).c_str(), &st) == 0;
#endif
}

bool TempTree::isDir(std::string_view relative) const
{
#ifdef _WIN32
    return std::filesystem::is_directory(std::filesystem::symlink_status(path(relative)));
#else
    struct stat st;
    return ::lstat(path(relative).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
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
#ifdef _WIN32
    (void)relative;
    (void)access;
    (void)modify;
    throw std::runtime_error("setTimes is not available on Windows");
#else
    struct timespec times[2] = { { access, 0 }, { modify, 0 } };
    if (::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail("utimensat");
#endif
}

void TempTree::remove(std::string_view relative) const
{
#ifdef _WIN32
    std::filesystem::remove_all(path(relative));
#else
    ::nftw(path(relative).c_str(), removeEntry, 64, FTW_DEPTH | FTW_PHYS);
#endif
}

} // namespace nuvero::test
