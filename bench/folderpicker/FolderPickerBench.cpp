// What the folder picker costs on real folders: the first expansion of a folder (listing,
// one look into each subfolder for its expand button, sorting), opening a deep path,
// and the name order alone. Run offscreen:
//   build/normal/bench/folderpicker/folderpicker_bench

#include "folderpicker/FolderNameOrder.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

using nuvero::TbsSkinDirTreeView;
using nuvero::test::TempTree;
using nuvero::test::TestDrives;

namespace {

QTreeWidgetItem* driveE(const TbsSkinDirTreeView& tree)
{
    return tree.computerNode()->child(0);
}

// E: holds `folders` subfolders, each with `files` files and, when `inner` is 1, one
// subfolder. The tree is shown, so the time includes laying out and painting the new level.
void BM_ExpandDrive(benchmark::State& state)
{
    const int folders = static_cast<int>(state.range(0));
    const int files = static_cast<int>(state.range(1));
    const bool inner = state.range(2) != 0;
    TempTree tree;
    for (int i = 0; i < folders; ++i) {
        const std::string folder = "folder" + std::to_string(i * 7919 % folders);
        tree.makeDir(inner ? folder + "/inner" : folder);
        for (int f = 0; f < files; ++f)
            tree.makeFile(folder + "/file" + std::to_string(f) + ".txt");
    }
    TestDrives drives;
    drives.map({ { 'E', tree.root() } });
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<TbsSkinDirTreeView>();
        view->resize(300, 400);
        view->show();
        QApplication::processEvents();
        state.ResumeTiming();
        driveE(*view)->setExpanded(true);
        QApplication::processEvents(); // the shown tree lays out and paints the new level
        benchmark::DoNotOptimize(driveE(*view)->childCount());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["folders"] = folders;
    state.counters["entries_read"] = folders + double(folders) * (files + (inner ? 1 : 0));
}

// OpenPath of a folder 32 levels down, each level with 20 sibling folders.
void BM_OpenDeepPath(benchmark::State& state)
{
    TempTree tree;
    std::string path;
    std::string programPath = "E:";
    for (int level = 0; level < 32; ++level) {
        for (int sibling = 0; sibling < 20; ++sibling)
            tree.makeDir(path + "s" + std::to_string(sibling));
        path += "s7/";
        programPath += "\\s7";
    }
    TestDrives drives;
    drives.map({ { 'E', tree.root() } });
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<TbsSkinDirTreeView>();
        state.ResumeTiming();
        view->OpenPath(programPath);
        benchmark::DoNotOptimize(view->CurrentPath);
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

void BM_SortNames(benchmark::State& state)
{
    QStringList names;
    QRandomGenerator random(42);
    for (int i = 0; i < state.range(0); ++i) {
        QString name;
        for (int c = 0; c < 12; ++c) {
            const char letter = static_cast<char>('a' + random.bounded(26));
            name += random.bounded(4) == 0 ? QChar(letter).toUpper() : QChar(letter);
        }
        names << name;
    }
    for (auto _ : state) {
        QStringList sorted = names;
        const nuvero::FolderNameOrder order;
        std::stable_sort(sorted.begin(), sorted.end(), order);
        benchmark::DoNotOptimize(sorted.front());
    }
}

} // namespace

BENCHMARK(BM_ExpandDrive)
    ->Args({ 100, 0, 1 })
    ->Args({ 1000, 0, 1 })
    ->Args({ 10000, 0, 1 })
    ->Args({ 100, 1000, 1 })
    ->Args({ 10000, 3, 0 })
    ->Args({ 10000, 3, 1 })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDeepPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortNames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
