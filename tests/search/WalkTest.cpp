// The walk over one small real tree, case by case, on whichever system runs the tests
// (Linux with drive C: mapped onto the tree, Windows or Wine with the tree's own drive:
// "c:" in the cases stands for it). Every case runs twice, with the walk reading alone and
// with folders read ahead on other threads, and both must give the same rows in the same
// order. A recorder between walk and lister checks that listings are asked for in the
// order queued and that excluded folders are never queued at all.

#include "RecordingSink.h"

#include "search/DirectFolderLister.h"
#include "search/ReadAheadFolderLister.h"
#include "search/RowBuilder.h"
#include "search/SearchJob.h"
#include "search/WalkRules.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace nuvero {
namespace {

using Keys = std::vector<std::string>;
using Kind = test::TreeEntry::Kind;

constexpr std::time_t Old = 1000000000; // 09.09.2001
constexpr std::time_t Written = 1500000000; // 14.07.2017
constexpr std::uint64_t GiB = 1ULL << 30;

const test::TreeEntry commonTree[] = {
    { "top.txt", Kind::File, 2048, Written, Old },
    { "new.txt", Kind::File, 0, Old, Written },
    { "a/fa.TXT", Kind::File, 0, Old, Old },
    { "a/a1/deep.txt", Kind::File, 0, Old, Old },
    { "a/a1/in/x.txt", Kind::File, 0, Old, Old },
    { "b/fb.doc", Kind::File, 0, Old, Old },
    { "notes.txt", Kind::Dir, 0, Old, Old },
    { "Ж/файл.txt", Kind::File, 0, Old, Old },
    { "skip/s.txt", Kind::File, 0, Old, Old },
    { "skipped/t.txt", Kind::File, 0, Old, Old },
    { ".hidden/h.txt" },
    { ".dot.txt" },
    { "a/a1/in", Kind::Dir, 0, Old, Old },
    { "a/a1", Kind::Dir, 0, Old, Old },
    { "a", Kind::Dir, 0, Old, Old },
};

// What only Linux can hold: links (never rows, never entered), a name with "\" (no program
// path can name it), a read-only folder (no "DIR") and a sparse file over 4 GiB.
const test::TreeEntry posixTree[] = {
    { "lnk.txt", Kind::Link, 0, 0, 0, "a" },
    { "gone.txt", Kind::Link, 0, 0, 0, "nowhere/at/all" },
    { "a/a1/up.txt", Kind::Link, 0, 0, 0, ".." },
    { "loop.txt", Kind::Link, 0, 0, 0, "loop.txt" },
    { "root.txt", Kind::Link, 0, 0, 0, "/" },
    { "back\\slash.txt" },
    { "big.bin", Kind::File, 5 * GiB + 1 },
    { "rob", Kind::Dir },
};

const Keys allRows = { "c:\\|top.txt", "c:\\|new.txt", "c:\\|a", "c:\\|b", "c:\\|notes.txt", "c:\\|Ж", "c:\\|skip",
    "c:\\|skipped", "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in", "c:\\a\\a1\\in|x.txt",
    "c:\\b|fb.doc", "c:\\Ж|файл.txt", "c:\\skip|s.txt", "c:\\skipped|t.txt" };
const Keys allFolders
    = { "c:\\", "c:\\a", "c:\\b", "c:\\notes.txt", "c:\\Ж", "c:\\skip", "c:\\skipped", "c:\\a\\a1", "c:\\a\\a1\\in" };

struct Case {
    const char* name;
    const char* roots;
    const char* mask = "*.*";
    int kind = -2; // the time kind, with "After date:"; -2: no time test
    std::int64_t thresholdSeconds = 0; // after the write time of top.txt
    bool rus = false;
    SizeUnit unit = SizeUnit::KBytes;
    SearchCriteria::Exclusions exclusions = {};
    Keys rows = {}; // "path|name", or with sizeAndDir "path|name|size|dir"; any order
    Keys folders = {}; // the statuses; in this order when inOrder, else any order
    bool posix = false; // needs posixTree
    Keys notQueued = {};
    std::function<void(const test::TempTree&, const test::TempTree& outside)> change = {}; // after changeAfter is read
    const char* changeAfter = "";
    bool sizeAndDir = false;
    bool inOrder = false;
    std::pair<const char*, const char*> lateExclusion = {}; // once this folder is queued, exclude that
};

Keys plus(Keys keys, const Keys& more)
{
    keys.insert(keys.end(), more.begin(), more.end());
    return keys;
}

const Keys a1Rows = { "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in" };
const auto removeA = [](const test::TempTree& t, const test::TempTree&) { t.remove("a"); };
const auto a1ToLinkOut = [](const test::TempTree& t, const test::TempTree& outside) {
    t.remove("a/a1");
    t.makeSymlink("a/a1", outside.root());
};

const Case cases[] = {
    { "every entry, level by level", "c:", "*.*", -2, 0, false, SizeUnit::KBytes, {}, allRows, allFolders },
    { "links and odd names are neither rows nor entered", "c:", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        plus(allRows, { "c:\\|big.bin", "c:\\|rob" }), plus(allFolders, { "c:\\rob" }), true },
    { "mask, trailing separator", "c:\\a\\", "*.txt", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\a\\|fa.TXT", "c:\\a\\a1|deep.txt", "c:\\a\\a1\\in|x.txt" },
        { "c:\\a\\", "c:\\a\\a1", "c:\\a\\a1\\in" } },
    { "empty mask walks everything", "c:\\a", "", -2, 0, false, SizeUnit::KBytes, {}, {},
        { "c:\\a", "c:\\a\\a1", "c:\\a\\a1\\in" } },
    { "roots in the order written; those that cannot be entered add nothing",
        "c:\\b;;c:\\missing;c:\\top.txt;c:\\a\\a1\\in;c:\\b", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\b|fb.doc", "c:\\a\\a1\\in|x.txt", "c:\\b|fb.doc" }, { "c:\\b", "c:\\a\\a1\\in", "c:\\b" }, false, {}, {},
        "", false, true },
    { "links typed as roots", "c:\\lnk.txt;c:\\gone.txt;c:\\a\\a1\\up.txt;c:\\root.txt", "*.*", -2, 0, false,
        SizeUnit::KBytes, {}, {}, {}, true },
    { "write time after the threshold", "c:", "*.txt", 1, -1, false, SizeUnit::KBytes, {}, { "c:\\|top.txt" },
        allFolders },
    { "write time equal to the second", "c:", "*.txt", 1, 0, false, SizeUnit::KBytes, {}, {}, allFolders },
    { "access time", "c:", "*.txt", 2, -1, false, SizeUnit::KBytes, {}, { "c:\\|new.txt" }, allFolders },
    // Wine gives no creation time of its own: these two run on Linux only.
    { "creation time, for kind 0 and any unknown kind", "c:\\a", "*.*", 0, 0, false, SizeUnit::KBytes, {},
        { "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in", "c:\\a\\a1\\in|x.txt" },
        { "c:\\a", "c:\\a\\a1", "c:\\a\\a1\\in" }, true },
    { "unknown kind", "c:\\a\\a1\\in", "*.*", 7, 0, false, SizeUnit::KBytes, {}, { "c:\\a\\a1\\in|x.txt" },
        { "c:\\a\\a1\\in" }, true },
    { "Rus names: rows only, every folder walked", "c:", "*.*", -2, 0, true, SizeUnit::KBytes, {},
        { "c:\\|Ж", "c:\\Ж|файл.txt" }, allFolders },
    { "sizes and dir cells", "c:", "t*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\|top.txt|2 KBytes| ", "c:\\skipped|t.txt|0 KBytes| " }, allFolders, false, {}, {}, "", true },
    { "sizes over 4 GiB; a read-only folder reads no DIR", "c:", "*b*", -2, 0, false, SizeUnit::GBytes, {},
        { "c:\\|big.bin|5 GBytes| ", "c:\\|b|0 GBytes|DIR", "c:\\|rob|0 GBytes| ", "c:\\b|fb.doc|0 GBytes| " },
        plus(allFolders, { "c:\\rob" }), true, {}, {}, "", true },
    { "full size in bytes", "c:", "big.bin", -2, 0, false, SizeUnit::Bytes, {}, { "c:\\|big.bin|5368709121 bytes| " },
        plus(allFolders, { "c:\\rob" }), true, {}, {}, "", true },
    { "exclusions: a prefix with A-Z folded; a trailing separator spares the folder", "c:", "*.*", -2, 0, false,
        SizeUnit::KBytes, { "C:\\SKIP", "c:\\a\\a1\\", "c:\\nothing" },
        { "c:\\|top.txt", "c:\\|new.txt", "c:\\|a", "c:\\|b", "c:\\|notes.txt", "c:\\|Ж", "c:\\|skip", "c:\\|skipped",
            "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in", "c:\\b|fb.doc", "c:\\Ж|файл.txt" },
        { "c:\\", "c:\\a", "c:\\b", "c:\\notes.txt", "c:\\Ж", "c:\\a\\a1" }, false,
        { "c:\\skip", "c:\\skipped", "c:\\a\\a1\\in" } },
    { "an empty item excludes everything", "c:;c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, { "c:\\zzz", "" }, {}, {},
        false, { "c:\\", "c:\\a" } },
    { "excluded once queued: passed over", "c:", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\|top.txt", "c:\\|new.txt", "c:\\|a", "c:\\|b", "c:\\|notes.txt", "c:\\|Ж", "c:\\|skip", "c:\\|skipped",
            "c:\\a|fa.TXT", "c:\\a|a1", "c:\\a\\a1|deep.txt", "c:\\a\\a1|in", "c:\\a\\a1\\in|x.txt", "c:\\Ж|файл.txt",
            "c:\\skip|s.txt", "c:\\skipped|t.txt" },
        { "c:\\", "c:\\a", "c:\\notes.txt", "c:\\Ж", "c:\\skip", "c:\\skipped", "c:\\a\\a1", "c:\\a\\a1\\in" }, false,
        {}, {}, "", false, false, { "c:\\b", "c:\\b" } },
    // The tree changes right after a folder was read: the walk lists only what was there
    // and never leaves the tree.
    { "root removed after it was read", "c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\a|fa.TXT", "c:\\a|a1" }, { "c:\\a" }, true, {}, removeA, "c:\\a" },
    { "subfolder turned into a file", "c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\a|fa.TXT", "c:\\a|a1" }, { "c:\\a" }, true, {},
        [](const test::TempTree& t, const test::TempTree&) {
            t.remove("a/a1");
            t.makeFile("a/a1", "now a file");
        },
        "c:\\a" },
    { "subfolder turned into a link to the system root", "c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        { "c:\\a|fa.TXT", "c:\\a|a1" }, { "c:\\a" }, true, {},
        [](const test::TempTree& t, const test::TempTree&) {
            t.remove("a/a1");
            t.makeSymlink("a/a1", "/");
        },
        "c:\\a" },
    { "folder on the way turned into a link out of the drive", "c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, {},
        a1Rows, { "c:\\a", "c:\\a\\a1" }, true, {}, a1ToLinkOut, "c:\\a\\a1" },
    { "whole folder removed while it is searched", "c:\\a", "*.*", -2, 0, false, SizeUnit::KBytes, {}, a1Rows,
        { "c:\\a", "c:\\a\\a1" }, true, {}, removeA, "c:\\a\\a1" },
};

// Stands between the walk and a lister: checks that every folder is asked for or passed
// over once, in the order queued, records what was queued and listed, and lets a test
// change the tree right after a listing.
class Recorder : public FolderLister {
public:
    explicit Recorder(FolderLister& inner)
        : m_inner(inner)
    {
    }
    void queued(const SharedText& path) override
    {
        pending.push_back(*path);
        queuedPaths.push_back(*path);
        onQueued(*path);
        m_inner.queued(path);
    }
    bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
    {
        take(*path);
        listed.push_back(*path);
        const bool entered = m_inner.list(path, out);
        if (afterList)
            afterList(*path);
        return entered;
    }
    void skip(const SharedText& path) override
    {
        take(*path);
        m_inner.skip(path);
    }
    void clear() override
    {
        pending.clear();
        m_inner.clear();
    }

    std::deque<std::string> pending;
    Keys queuedPaths;
    Keys listed;
    std::function<void(const std::string&)> afterList;
    std::function<void(const std::string&)> onQueued;

private:
    void take(const std::string& path)
    {
        ASSERT_FALSE(pending.empty()) << path << " was never queued";
        EXPECT_EQ(pending.front(), path);
        pending.pop_front();
    }
    FolderLister& m_inner;
};

Keys sorted(Keys keys)
{
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Drive "from:" named "to:" instead, either case (the cases name the tree's drive "c:").
std::string swap(std::string text, char from, char to)
{
    for (std::size_t pos = 0; (pos = text.find(':', pos)) != std::string::npos; ++pos) {
        if (pos > 0 && (text[pos - 1] | 0x20) == (from | 0x20))
            text[pos - 1] = static_cast<char>(text[pos - 1] == (from | 0x20) ? (to | 0x20) : (to & ~0x20));
    }
    return text;
}

std::string at(const std::string& text, char letter)
{
    return swap(text, 'c', letter);
}

Keys swap(const Keys& keys, char from, char to)
{
    Keys out;
    for (const auto& k : keys)
        out.push_back(swap(k, from, to));
    return out;
}

struct Outcome {
    test::RecordingSink sink;
    Keys listed;
    Keys queued;
    char letter = 0;
};

// One search of a fresh tree; aheadReaders 0: the walk reads alone.
void search(const Case& c, int aheadReaders, Outcome& run, std::atomic<bool>& stop,
    const std::function<void(test::RecordingSink&, SearchCriteria&)>& hook = {})
{
    test::TempTree tree;
    test::TempTree outside;
    outside.makeFile("in/secret.txt");
    tree.build(commonTree);
#ifndef _WIN32
    if (c.posix) {
        tree.build(posixTree);
        ASSERT_EQ(::chmod(tree.path("rob").c_str(), 0555), 0);
    }
#endif
    test::TestDrives drives;
    run.letter = drives.driveFor(tree);
    SearchCriteria criteria;
    criteria.setAfterDate(c.kind != -2);
    criteria.setTimeKind(c.kind);
    criteria.setThreshold(platform::LocalTimeConverter()
                              .toDateTime(platform::FileTime { (11644473600LL + Written) * 10000000LL })
                              .addMsecs(c.thresholdSeconds * 1000));
    criteria.setRusNames(c.rus);
    criteria.setSizeUnit(c.unit);
    criteria.setExclusions(swap(c.exclusions, 'c', run.letter));
    DirectFolderLister direct;
    ReadAheadFolderLister ahead(&stop, aheadReaders, { 2, 8 });
    Recorder recorder(aheadReaders ? static_cast<FolderLister&>(ahead) : direct);
    recorder.afterList = [&](const std::string& path) {
        if (c.change && path == at(c.changeAfter, run.letter))
            c.change(tree, outside);
    };
    recorder.onQueued = [&](const std::string& path) {
        if (c.lateExclusion.first && path == at(c.lateExclusion.first, run.letter))
            criteria.setExclusions({ at(c.lateExclusion.second, run.letter) });
    };
    if (hook)
        hook(run.sink, criteria);
    SearchJob(criteria, run.sink, stop, &recorder).run(at(c.roots, run.letter), c.mask);
    EXPECT_TRUE(recorder.pending.empty());
    run.listed = recorder.listed;
    run.queued = recorder.queuedPaths;
}

Keys texts(const test::RecordingSink& sink, bool sizeAndDir)
{
    Keys out;
    for (const ResultRow& r : sink.rows)
        out.push_back(std::string(r.pathText()) + "|" + r.name
            + (sizeAndDir ? "|" + r.size + "|" + std::string(r.dirText()) : ""));
    return out;
}

TEST(WalkTest, EachCaseGivesItsRowsAndFoldersWithEitherLister)
{
#ifdef _WIN32
    const bool posix = false;
#else
    const bool posix = true;
#endif
    const std::string written = platform::LocalTimeConverter()
                                    .toDateTime(platform::FileTime { (11644473600LL + Written) * 10000000LL })
                                    .rowText();
    for (const Case& c : cases) {
        if (c.posix && !posix)
            continue;
        SCOPED_TRACE(c.name);
        std::atomic<bool> stop { false };
        Outcome alone;
        search(c, 0, alone, stop);
        const char letter = alone.letter;
        const Keys statuses = swap(alone.sink.statuses, letter, 'c');
        EXPECT_EQ(sorted(swap(texts(alone.sink, c.sizeAndDir), letter, 'c')), sorted(c.rows));
        EXPECT_EQ(alone.sink.finished, std::optional<bool>(true));
        EXPECT_EQ(c.inOrder ? statuses : sorted(statuses), c.inOrder ? c.folders : sorted(c.folders));
        for (const ResultRow& row : alone.sink.rows) {
            if (c.kind == 1 || c.kind == 2) {
                EXPECT_EQ(row.timeText(), written) << row.name;
            }
        }
        const auto count = [&](const Keys& paths, const char* path) {
            return std::count(paths.begin(), paths.end(), at(path, letter));
        };
        for (const std::string& path : c.notQueued) {
            EXPECT_EQ(count(alone.queued, path.c_str()), 0) << path;
            EXPECT_EQ(count(alone.listed, path.c_str()), 0) << path;
        }
        if (c.lateExclusion.first) {
            EXPECT_EQ(count(alone.queued, c.lateExclusion.second), 1);
            EXPECT_EQ(count(alone.listed, c.lateExclusion.second), 0);
        }
        // Rows come folder by folder, each after its folder's status, level by level.
        std::string current;
        for (const auto& e : alone.sink.events) {
            if (!e.isRow) {
                current = e.text;
                continue;
            }
            EXPECT_EQ(e.text.substr(0, e.text.rfind('|')), current);
        }
        if (std::string(c.roots).find(';') == std::string::npos) {
            const auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '\\'); };
            for (std::size_t i = 1; i < statuses.size(); ++i)
                EXPECT_LE(depth(statuses[i - 1]), depth(statuses[i])) << statuses[i];
        }
        if (c.change)
            continue; // what a read-ahead took before the change may differ
        Outcome ahead;
        search(c, 2, ahead, stop);
        EXPECT_EQ(swap(texts(ahead.sink, true), ahead.letter, 'c'), swap(texts(alone.sink, true), letter, 'c'));
        EXPECT_EQ(swap(ahead.sink.statuses, ahead.letter, 'c'), statuses);
        EXPECT_EQ(ahead.sink.finished, std::optional<bool>(true));
        for (const std::string& path : c.notQueued)
            EXPECT_EQ(std::count(ahead.queued.begin(), ahead.queued.end(), at(path, ahead.letter)), 0) << path;
        if (c.lateExclusion.first) {
            EXPECT_EQ(
                std::count(ahead.listed.begin(), ahead.listed.end(), at(c.lateExclusion.second, ahead.letter)), 0);
        }
    }
}

// Stopped at every row, or as a folder's status shows, or before it starts: nothing is
// added after the poll that sees it, beyond the entry in hand, with either lister.
TEST(WalkTest, AStopEndsTheWalkAtOnceWithEitherLister)
{
    const Case& everything = cases[0];
    for (std::size_t n = 0; n <= everything.rows.size(); ++n) {
        for (const bool atStatus : { false, true }) {
            if (atStatus && (n == 0 || n > everything.folders.size()))
                continue;
            Keys aloneRows;
            for (const int readers : { 0, 2 }) {
                SCOPED_TRACE(testing::Message() << n << (atStatus ? " statuses, " : " rows, ") << readers);
                std::atomic<bool> stop { n == 0 };
                Outcome run;
                search(everything, readers, run, stop, [&](test::RecordingSink& sink, SearchCriteria&) {
                    sink.onRow = [&](const ResultRow&, std::size_t count) { stop = stop || (!atStatus && count == n); };
                    sink.onStatus
                        = [&](const std::string&, std::size_t count) { stop = stop || (atStatus && count == n); };
                });
                const auto& events = run.sink.events;
                EXPECT_EQ(run.sink.finished, std::optional<bool>(false));
                EXPECT_EQ(run.sink.finishCalls, 1);
                if (atStatus) {
                    EXPECT_EQ(run.sink.statuses.size(), n);
                    const auto last
                        = std::find_if(events.rbegin(), events.rend(), [](const auto& e) { return !e.isRow; });
                    EXPECT_LE(std::distance(events.rbegin(), last), 1);
                } else {
                    EXPECT_EQ(run.sink.rows.size(), n);
                    EXPECT_TRUE(n == 0 ? events.empty() : events.back().isRow);
                }
                const Keys rows = swap(texts(run.sink, true), run.letter, 'c');
                if (readers == 0) {
                    aloneRows = rows;
                } else {
                    EXPECT_EQ(rows, aloneRows);
                }
            }
        }
    }
}

TEST(WalkTest, ExclusionItemsRusLettersAndSizeTexts)
{
    const struct {
        const char* path;
        std::vector<std::string> items;
        bool allowed;
    } exclusions[] = {
        { "c:\\temp", {}, true },
        { "c:\\te", { "c:\\temp" }, true },
        { "d:\\x", { "c:\\", "e:", "D:\\" }, false }, // every item is tested
        { "C:\\AZ\\x", { "c:\\az" }, false },
        { "c:\\az", { "C:\\AZ" }, false },
        { "c:\\@[`{", { "c:\\`{@[" }, true }, // the neighbours of A-Z and a-z do not fold
        { "c:\\папка", { "C:\\ПАПКА" }, true },
        { "c:\\\xD0\x90", { "c:\\\xD0" }, true }, // an item ending inside a character is no prefix
        { "c:\\\xD0\x90", { "c:\\\xD0\x90" }, false },
    };
    for (const auto& c : exclusions)
        EXPECT_EQ(WalkRules::PathAllowed(c.path, c.items), c.allowed) << c.path;
    const struct {
        const char* name;
        bool rus;
    } names[]
        = { { "Ё.txt", false }, { "ёЁ1", false }, { "А", true }, { "я", true }, { "Ёж", true }, { "\xD0\x8F", false },
              { "\xD1\x90", false }, { "\xC0\xE0", false }, { "\xD0", false }, { "\xFF\xD0\x90", true } };
    for (const auto& c : names)
        EXPECT_EQ(WalkRules::HasRusLetters(c.name), c.rus) << c.name;
    EXPECT_EQ(WalkRules::rootFolder("Ж:"), "Ж:\\");
    EXPECT_EQ(WalkRules::rootFolder(":"), ":");
    const struct {
        std::uint64_t bytes;
        SizeUnit unit;
        const char* text;
    } sizes[] = { { 1023, SizeUnit::KBytes, "0 KBytes" }, { 2047, SizeUnit::KBytes, "1 KBytes" },
        { 5000000, SizeUnit::MBytes, "4 MBytes" }, { UINT64_MAX, SizeUnit::GBytes, "17179869183 GBytes" },
        { 2048, static_cast<SizeUnit>(-1), "2048 bytes" }, { GiB, static_cast<SizeUnit>(9), "1 GBytes" } };
    for (const auto& c : sizes)
        EXPECT_EQ(sizeText(c.bytes, c.unit), c.text);
}

// A Windows junction (a folder that is a reparse point) is neither walked into nor a row:
// no tree of this host can hold one, so the listings are made up.
TEST(WalkTest, FolderLinksAreNeitherEnteredNorRows)
{
    struct Lister : FolderLister {
        Keys asked;
        bool list(const SharedText& path, std::vector<platform::DirEntry>& out) override
        {
            asked.push_back(*path);
            out.clear();
            for (const auto& [name, attributes] :
                { std::pair { "junction", platform::Attr::Directory | platform::Attr::ReparsePoint },
                    std::pair { "real", platform::Attr::Directory } }) {
                if (*path == "c:\\")
                    out.emplace_back().name = name, out.back().attributes = attributes;
            }
            return true;
        }
    } lister;
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    test::RecordingSink sink;
    std::atomic<bool> stop { false };
    ASSERT_TRUE(SearchJob(criteria, sink, stop, &lister).run("c:", "*.*"));
    EXPECT_EQ(lister.asked, (Keys { "c:\\", "c:\\real" }));
    EXPECT_EQ(sink.rowKeys(), (Keys { "c:\\|real" }));
}

} // namespace
} // namespace nuvero
