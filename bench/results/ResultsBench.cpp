// Figures for the results list: sorting, memory, clearing and writing a list file of a
// million rows shaped like the hits of a real search (ten or so rows per folder, the
// folder's Path shared by them, a fifth of the names Cyrillic, one row in ten a folder).

#include "export/ListFileWriter.h"
#include "platform/Platform.h"
#include "results/ResultsModel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace nuvero;

constexpr int RowCount = 1'000'000;

std::vector<ResultRow> typicalRows(int count)
{
    static const char* const top[] = { "Users\\ann\\AppData\\Local", "Program Files\\Common Files", "Windows\\System32",
        "Users\\ann\\Документы", "data\\projects", "Users\\ann\\Downloads" };
    static const char* const stems[] = { "report", "Отчёт", "image", "setup", "Документ", "notes", "lib", "Фото",
        "cache", "index", "Новая папка", "readme" };
    static const char* const exts[] = { ".txt", ".doc", ".dll", ".jpg", ".log", ".xml", "" };
    std::mt19937 random(2026);
    std::vector<ResultRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    SharedText path;
    int left = 0;
    int folder = 0;
    for (int i = 0; i < count; ++i) {
        if (left == 0) {
            path = makeSharedText(std::string("c:\\") + top[random() % 6] + "\\folder" + std::to_string(folder++)
                + "\\sub" + std::to_string(random() % 50));
            left = 1 + static_cast<int>(random() % 20);
        }
        --left;
        ResultRow row;
        row.path = path;
        row.name = std::string(stems[random() % 12]) + "_" + std::to_string(random() % 100000) + exts[random() % 7];
        char time[24];
        std::snprintf(time, sizeof time, "%02u.%02u.%04u  %02u:%02u:%02u", 1 + static_cast<unsigned>(random() % 28),
            1 + static_cast<unsigned>(random() % 12), 2015 + static_cast<unsigned>(random() % 12),
            static_cast<unsigned>(random() % 24), static_cast<unsigned>(random() % 60),
            static_cast<unsigned>(random() % 60));
        std::copy_n(time, 20, row.time.begin());
        row.dir = random() % 10 == 0;
        row.size = row.dir ? "0 KBytes" : std::to_string(random() % 50000) + " KBytes";
        rows.push_back(std::move(row));
    }
    return rows;
}

const std::vector<ResultRow>& sampleRows()
{
    static const std::vector<ResultRow> rows = typicalRows(RowCount);
    return rows;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

// Memory of a million rows in the model: resident size before and after building them.
void Memory(benchmark::State& state)
{
    for (auto _ : state) {
        const long before = residentKiB();
        ResultsModel model;
        model.appendRows(typicalRows(RowCount));
        const long after = residentKiB();
        state.counters["rss_before_MB"] = static_cast<double>(before) / 1024.0;
        state.counters["rss_after_MB"] = static_cast<double>(after) / 1024.0;
        state.counters["rows_MB"] = static_cast<double>(after - before) / 1024.0;
        state.counters["bytes_per_row"] = static_cast<double>(after - before) * 1024.0 / RowCount;
    }
}
BENCHMARK(Memory)->Iterations(1)->Unit(benchmark::kMillisecond);

// First header click on a column of a list in search order (descending, as after start),
// and a click on a list already sorted by that column the other way.
void Sort(benchmark::State& state)
{
    const int column = static_cast<int>(state.range(0));
    const bool presorted = state.range(1) != 0;
    ResultsModel model;
    for (auto _ : state) {
        state.PauseTiming();
        model.clear();
        model.appendRows(std::vector<ResultRow>(sampleRows()));
        if (presorted)
            model.sort(column, false);
        state.ResumeTiming();
        model.sort(column, true);
    }
    state.SetLabel(std::string(cellText(model.row(0), column)));
}
BENCHMARK(Sort)
    ->ArgsProduct({ { 0, 1, 2, 3, 4 }, { 0, 1 } })
    ->ArgNames({ "column", "presorted" })
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void Clear(benchmark::State& state)
{
    ResultsModel model;
    for (auto _ : state) {
        state.PauseTiming();
        model.appendRows(std::vector<ResultRow>(sampleRows()));
        state.ResumeTiming();
        model.clear();
    }
}
BENCHMARK(Clear)->Iterations(5)->Unit(benchmark::kMillisecond);

// Writes the list through a drive mapped onto a temporary folder.
void WriteList(benchmark::State& state)
{
    const auto root = std::filesystem::temp_directory_path() / ("nuvero-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "config" / "nuvero");
    std::filesystem::create_directories(root / "d");
    std::ofstream(root / "config" / "nuvero" / "lamer.Ini") << "[drives]\nd=" << (root / "d").string() << "\n";
    ::setenv("XDG_CONFIG_HOME", (root / "config").string().c_str(), 1);
    platform::reloadConfiguration();

    ResultsModel model;
    model.appendRows(std::vector<ResultRow>(sampleRows()));
    for (auto _ : state) {
        const platform::IoStatus status = ListFileWriter::write("d:\\list.txt", model);
        if (!status.ok())
            state.SkipWithError(status.text().c_str());
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(root / "d" / "list.txt")) / 1e6;
    std::filesystem::remove_all(root);
}
BENCHMARK(WriteList)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
