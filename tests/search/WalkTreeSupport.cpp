#include "WalkTreeSupport.h"

#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace nuvero::test {

ExpectedWalk expectedWalk(const std::string& hostRoot, const std::string& programRoot)
{
    ExpectedWalk expected;
    std::deque<std::pair<std::string, std::string>> queue { { hostRoot, programRoot } };
    while (!queue.empty()) {
        auto [host, program] = std::move(queue.front());
        queue.pop_front();
        DIR* dir = ::opendir(host.c_str());
        if (!dir)
            continue;
        expected.folders.push_back(program);
        while (const dirent* d = ::readdir(dir)) {
            const std::string name = d->d_name;
            if (name == "." || name == "..")
                continue;
            struct stat st;
            if (::lstat((host + "/" + name).c_str(), &st) != 0)
                continue;
            if (name[0] == '.' || S_ISLNK(st.st_mode))
                continue;
            expected.rows.push_back(program + "|" + name);
            if (S_ISDIR(st.st_mode)) {
                const std::string child = program.back() == '\\' ? program + name : program + "\\" + name;
                queue.emplace_back(host + "/" + name, child);
            }
        }
        ::closedir(dir);
    }
    return expected;
}

void makeChain(const std::string& hostRoot, const std::string& component, int depth, const std::string& fileName)
{
    int fd = ::open(hostRoot.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        if (::mkdirat(fd, component.c_str(), 0755) != 0)
            throw std::runtime_error("mkdirat");
        const int next = ::openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        throw std::runtime_error("openat");
    const int file = ::openat(fd, fileName.c_str(), O_WRONLY | O_CREAT, 0644);
    if (file >= 0)
        ::close(file);
    ::close(fd);
}

namespace {

void removeBelow(int fd)
{
    DIR* dir = ::fdopendir(::dup(fd));
    if (!dir)
        return;
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name != "." && name != "..")
            entries.emplace_back(name, d->d_type == DT_DIR);
    }
    ::closedir(dir);
    for (const auto& [name, isDir] : entries) {
        if (isDir) {
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                removeBelow(child);
                ::close(child);
            }
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(fd, name.c_str(), 0);
        }
    }
}

} // namespace

void removeChain(const std::string& hostRoot, const std::string& component)
{
    const int fd = ::open(hostRoot.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    const int top = ::openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (top >= 0) {
        removeBelow(top);
        ::close(top);
        ::unlinkat(fd, component.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}

} // namespace nuvero::test
