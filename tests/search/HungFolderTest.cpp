// A folder whose listing never answers (a hung network folder: a FUSE mirror of a tree told
// to hang it, every request delayed as over a network): while it hangs, the window has
// every row of every folder before it in the walk's order and status panel 1 names it.
// With the read-ahead walk (a reader beside the worker) and with the many readers a FUSE
// drive gets by default.

#include "RecordingSink.h"

#include "search/ReadAheadFolderLister.h"
#include "search/SearchJob.h"
#include "search/SearchSession.h"
#include "support/EventLoop.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#include "support/TestFsMount.h"

#include <gtest/gtest.h>

#include <optional>

namespace nuvero {
namespace {

using namespace std::chrono_literals;

TEST(HungFolderTest, EverythingBeforeAHungFolderShowsAndTheStatusNamesIt)
{
    if (const std::string why = test::TestFsMount::unavailableReason(); !why.empty())
        GTEST_SKIP() << why;
    test::coreApplication();
    test::TempTree tree;
    test::TempTree outside;
    for (const char* top : { "a", "b", "c", "d" }) {
        for (const char* file : { "/f1", "/f2", "/x/g1", "/x/g2", "/y/h1" })
            tree.makeFile(std::string(top) + file);
    }
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    test::RecordingSink whole; // the walk's events in order, read from the tree itself
    const std::atomic<bool> noStop { false };
    SearchJob(criteria, whole, noStop).run("c:", "*.*");

    for (const char* hung : { "", "b", "a/x", "c", "d/y" }) {
        for (const bool readAhead : { true, false }) {
            std::string hungPath = std::string("c:\\") + hung;
            std::replace(hungPath.begin(), hungPath.end(), '/', '\\');
            SCOPED_TRACE(hungPath + (readAhead ? ", read-ahead" : ", many readers"));
            std::vector<std::string> expected; // the rows of every folder before the hung one
            for (const std::string& e : whole.events) {
                if (e == hungPath)
                    break;
                if (e.find('|') != std::string::npos)
                    expected.push_back(e);
            }

            ReadAheadFolderLister lister(nullptr, 1); // the session's workers use it
            SearchSession session(criteria);
            if (readAhead)
                session.setFolderLister(&lister);
            std::vector<std::string> rows;
            std::string status;
            QObject::connect(&session, &SearchSession::rowsFound, [&](std::span<ResultRow> found) {
                for (const ResultRow& row : found)
                    rows.push_back(std::string(row.pathText()) + "|" + row.name);
            });
            QObject::connect(
                &session, &SearchSession::statusChanged, [&](const std::string& folder) { status = folder; });
            std::optional<test::TestFsMount> mount;
            mount.emplace(
                tree.root(), outside.path("mnt"), std::vector<std::string> { "--delay-us", "1000", "--hang", hung });
            ASSERT_TRUE(mount->mounted());
            drives.map({ { 'c', outside.path("mnt") } });

            session.start("c:", "*.*");
            EXPECT_TRUE(test::runUntil([&] { return rows == expected && status == hungPath; }, 10s))
                << "status " << status << ", " << rows.size() << " rows of " << expected.size();
            session.stop();
            // Many readers leave a request that hangs behind; the read-ahead walk waits for it.
            EXPECT_TRUE(readAhead || session.waitForIdle(5000)) << "the stop waited for the hung folder";
            mount.reset(); // the hung requests fail, so the worker and the readers end
            EXPECT_TRUE(session.waitForIdle(20000));
        }
    }
}

} // namespace
} // namespace nuvero
