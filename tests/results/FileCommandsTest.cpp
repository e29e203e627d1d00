// Delete and rename on drive C: mapped onto a real tree, on rows whose entry changed since
// the search or changes while the question is up. Only the entry asked about is ever
// touched, nothing is ever replaced, and nothing outside the drive (where links lead)
// changes.
#include "results/FileCommands.h"
#include "results/ScriptedUi.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace nuvero {
namespace {

TEST(FileCommandsTest, OnlyTheEntryAskedAboutIsEverTouched)
{
    test::TempTree tree;
    test::TempTree outside;
    test::TestDrives drives;
    drives.map({ { 'c', tree.root() } });
    outside.makeFile("Ж", "outside");
    tree.makeFile("data/Ж2/in", "in"); // a folder where the file was
    tree.makeSymlink("data/Ж3", outside.path("Ж"));
    tree.makeSymlink("link", outside.root());
    test::RowVector rows;
    for (const char* folder : { "data", "data", "data", "link", "a", "b", "c", "d" }) {
        rows.add(std::string("c:\\") + folder, rows.rows.size() < 3 ? "Ж" + std::to_string(rows.rows.size() + 1) : "Ж");
        if (rows.rows.size() > 4)
            tree.makeFile(folder + std::string("/Ж"), folder);
    }
    test::ScriptedUi ui;
    ui.answers = { true, true, true, true };
    ui.whileAsking = [&](int question) { // the entry goes, becomes a folder or a link, or the new name comes
        const std::vector<std::function<void()>> changes = { [&] { tree.remove("a/Ж"); },
            [&] { tree.remove("b/Ж"), tree.makeDir("b/Ж"); },
            [&] { tree.remove("c"), tree.makeSymlink("c", outside.root()); }, [&] { tree.makeFile("d/ZH", "came"); } };
        changes[static_cast<std::size_t>(question)]();
    };
    FileCommands commands(rows, ui);
    for (int row = 0; row < 7; ++row)
        commands.deleteFile(row);
    commands.renameOne(7);

    std::erase_if(ui.events, [](const std::string& e) { return e.starts_with("status "); });
    const std::string io = "File I/O error.";
    EXPECT_EQ(ui.events,
        (test::Events { io, io, io, io, "confirm Erase c:\\a\\Ж?", io, "confirm Erase c:\\b\\Ж?", io,
            "confirm Erase c:\\c\\Ж?", io, "confirm Rename c:\\d\\Ж to ZH ?", io }));
    EXPECT_EQ(rows.names(), (test::Events { "Ж1", "Ж2", "Ж3", "Ж", "Ж", "Ж", "Ж", "Ж" }));
    std::set<std::string> after;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tree.root())) {
        const std::string name = e.path().lexically_relative(tree.root()).string();
        if (e.is_symlink())
            after.insert(name + "@" + std::filesystem::read_symlink(e).string().substr(outside.root().size()));
        else
            after.insert(e.is_directory() ? name + "/" : name + "=" + tree.read(name));
    }
    EXPECT_EQ(after,
        (std::set<std::string> { "a/", "b/", "b/Ж/", "c@", "d/", "d/Ж=d", "d/ZH=came", "data/", "data/Ж2/",
            "data/Ж2/in=in", "data/Ж3@/Ж", "link@" }));
    EXPECT_EQ(outside.read("Ж"), "outside");
}

} // namespace
} // namespace nuvero
