// The roots text as typed into "Search in:", with the mask from "Search for:": split into
// roots, completed and walked over a small real tree. Whatever is typed, the walk stays
// inside the drive it names, never follows the link in the tree, and ends.
#include "fuzz/FuzzInput.h"
#include "platform/Platform.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "search/WalkRules.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_tree;

using nuvero::fuzz::check;

void removeTree()
{
    ::nftw(
        g_tree.c_str(), [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

bool setUp()
{
    char templ[] = "/tmp/nuvero-fuzz-roots-XXXXXX";
    if (!::mkdtemp(templ))
        std::abort();
    g_tree = templ;
    const std::string config = g_tree + "/config";
    ::mkdir(config.c_str(), 0700);
    ::mkdir((config + "/nuvero").c_str(), 0700);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string c = g_tree + "/c";
    for (const char* dir : { "", "/data", "/data/Папка", "/data/Папка/deep", "/d" })
        ::mkdir((c + dir).c_str(), 0755);
    for (const char* file : { "/a.txt", "/data/b.TXT", "/data/Папка/Отчёт.doc", "/data/Папка/deep/x", "/d/in-d" })
        std::ofstream(c + file) << "x";
    if (::symlink("/", (c + "/data/to-root").c_str()) != 0)
        std::abort();
    std::ofstream(config + "/nuvero/lamer.Ini") << "[drives]\nc=" << c << "\nd=" << c << "/d\n";
    nuvero::platform::reloadConfiguration();
    std::atexit(removeTree);
    return true;
}

// Checks every row as it comes: its folder and full path map into the tree.
class CheckingSink : public nuvero::RowSink {
public:
    void addRow(nuvero::ResultRow&& row) override
    {
        check(row.path != nullptr);
        const auto host = nuvero::platform::nativePath(row.fullPath());
        check(host.has_value());
        const std::string drive = g_tree + "/c";
        check(*host == drive || host->compare(0, drive.size() + 1, drive + "/") == 0);
        check(host->find("to-root/") == std::string::npos);
        ++rows;
    }
    void setStatus(const nuvero::SharedText& folder) override
    {
        check(folder != nullptr && !folder->empty());
        ++folders;
    }
    void finish(bool completed) override
    {
        check(completed);
        ++finishCalls;
    }

    int rows = 0, folders = 0, finishCalls = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nuvero;
    static const bool ready = setUp();
    (void)ready;
    const auto [rootsView, maskView] = fuzz::splitTwo(data, size);
    const std::string roots(rootsView);

    // Splitting: one root more than there are ";", none holding one, joined back they give
    // the text.
    const std::vector<std::string> pieces = WalkRules::splitRoots(roots);
    check(pieces.size() == static_cast<std::size_t>(std::count(roots.begin(), roots.end(), ';')) + 1);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        check(pieces[i].find(';') == std::string::npos);
        if (i > 0)
            joined.push_back(';');
        joined += pieces[i];
    }
    check(joined == roots);

    // Completing a root only ever adds the one separator of a bare drive name, and a
    // joined path never doubles the separator its folder ends with.
    for (const std::string& root : pieces) {
        const std::string folder = WalkRules::rootFolder(root);
        check(folder == root || folder == root + "\\");
        const std::string child = WalkRules::joinPath(folder, "n");
        check(child.size() == folder.size() + (folder.empty() || folder.back() != '\\' ? 2 : 1));
    }

    // The walk itself, over the real tree; a few roots only, to keep every run short.
    if (pieces.size() > 8)
        return 0;
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    CheckingSink sink;
    std::atomic<bool> stop { false };
    check(SearchJob(criteria, sink, stop).run(roots, std::string(maskView)));
    check(sink.finishCalls == 1);
    check(sink.rows <= 16 * static_cast<int>(pieces.size()));
    return 0;
}
