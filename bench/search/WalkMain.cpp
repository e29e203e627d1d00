// nuvero-walk: runs the search engine over roots given on the command line and writes one
// line per row to standard output (Path, Name, Time, Size, dir cell, separated by tabs),
// exactly as the rows hold them. A summary goes to standard error.

#include "WalkOptions.h"

#include "platform/Platform.h"
#include "search/RowSink.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

using nuvero::ResultRow;
using nuvero::SharedText;

// Writes rows straight to standard output through one large buffer.
class StdoutSink : public nuvero::RowSink {
public:
    StdoutSink() { m_buffer.reserve(Capacity + 4096); }
    ~StdoutSink() override { flush(); }

    void addRow(ResultRow&& row) override
    {
        m_buffer.append(row.pathText());
        m_buffer.push_back('\t');
        m_buffer.append(row.name);
        m_buffer.push_back('\t');
        m_buffer.append(row.timeText());
        m_buffer.push_back('\t');
        m_buffer.append(row.size);
        m_buffer.push_back('\t');
        m_buffer.append(row.dirText());
        m_buffer.push_back('\n');
        ++m_rows;
        if (m_buffer.size() >= Capacity)
            flush();
    }

    void setStatus(const SharedText&) override { }

    void finish(bool completed) override
    {
        m_completed = completed;
        flush();
    }

    bool flush()
    {
        const char* data = m_buffer.data();
        std::size_t left = m_buffer.size();
        while (left > 0) {
            const ssize_t n = ::write(STDOUT_FILENO, data, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                m_writeFailed = true;
                break;
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        m_buffer.clear();
        return !m_writeFailed;
    }

    std::uint64_t rows() const { return m_rows; }
    bool completed() const { return m_completed; }
    bool writeFailed() const { return m_writeFailed; }

private:
    static constexpr std::size_t Capacity = 1 << 20;
    std::string m_buffer;
    std::uint64_t m_rows = 0;
    bool m_completed = false;
    bool m_writeFailed = false;
};

// A private settings folder holding only the drive table of --drive, removed at exit.
class PrivateDriveTable {
public:
    bool install(const std::map<char, std::string>& drives, std::string& error)
    {
        std::string templ = (std::filesystem::temp_directory_path() / "nuvero-walk-XXXXXX").string();
        if (!::mkdtemp(templ.data())) {
            error = "cannot make a temporary settings folder";
            return false;
        }
        m_folder = templ;
        std::filesystem::create_directories(m_folder / "nuvero");
        std::ofstream out(m_folder / "nuvero" / "lamer.Ini", std::ios::binary | std::ios::trunc);
        out << "[drives]\n";
        for (const auto& [letter, host] : drives) {
            std::error_code ec;
            const auto absolute = std::filesystem::absolute(host, ec);
            out << letter << '=' << (ec ? host : absolute.string()) << '\n';
        }
        out.close();
        if (!out) {
            error = "cannot write the temporary settings file";
            return false;
        }
        ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        nuvero::platform::reloadConfiguration();
        return true;
    }

    ~PrivateDriveTable()
    {
        if (!m_folder.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_folder, ec);
        }
    }

private:
    std::filesystem::path m_folder;
};

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto options = nuvero::bench::WalkOptions::parse(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "nuvero-walk: %s\n", error.c_str());
        return 2;
    }

    PrivateDriveTable driveTable;
    if (!options->drives.empty() && !driveTable.install(options->drives, error)) {
        std::fprintf(stderr, "nuvero-walk: %s\n", error.c_str());
        return 1;
    }

    nuvero::SearchCriteria criteria;
    criteria.setAfterDate(options->afterDate);
    criteria.setTimeKind(options->timeKind);
    criteria.setThreshold(options->threshold ? *options->threshold : nuvero::platform::localNow().addMsecs(-86400000));
    criteria.setRusNames(options->rusNames);
    criteria.setSizeUnit(static_cast<nuvero::SizeUnit>(options->unit));
    criteria.setExclusions(options->exclusions);

    StdoutSink sink;
    // The body of the window's search job, run on this thread.
    const std::atomic<bool> stop { false };
    nuvero::SearchJob job(criteria, sink, stop);
    job.setThreads(options->threads);
    job.setRemoteReaders(options->remoteReaders);
    job.setAllRemote(options->allRemote);

    const auto start = std::chrono::steady_clock::now();
    job.run(options->roots, options->mask);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const auto& stats = job.stats();
    std::fprintf(stderr, "nuvero-walk: %llu rows, %llu folders entered, %llu entries, %.3f s, %d threads\n",
        static_cast<unsigned long long>(sink.rows()), static_cast<unsigned long long>(stats.foldersEntered),
        static_cast<unsigned long long>(stats.entriesRead), seconds, job.threads());
    const auto& parallel = job.parallelStats();
    if (parallel.folders > 0) {
        std::fprintf(stderr,
            "nuvero-walk: %d remote readers: folders %llu, detail parts %llu, foreseen %llu, thrown away %llu; the "
            "walk waited %llu times\n",
            job.remoteReaders(), static_cast<unsigned long long>(parallel.folders),
            static_cast<unsigned long long>(parallel.detailParts), static_cast<unsigned long long>(parallel.foreseen),
            static_cast<unsigned long long>(parallel.discarded), static_cast<unsigned long long>(parallel.waits));
    }
    if (job.threads() > 1 && job.readAheadStats().readAhead + job.readAheadStats().readByWorker > 0) {
        const auto& ahead = job.readAheadStats();
        std::fprintf(stderr,
            "nuvero-walk: folders read ahead %llu, by the walk %llu, thrown away %llu; the walk waited %llu times\n",
            static_cast<unsigned long long>(ahead.readAhead), static_cast<unsigned long long>(ahead.readByWorker),
            static_cast<unsigned long long>(ahead.discarded), static_cast<unsigned long long>(ahead.waits));
    }
    if (sink.writeFailed()) {
        std::fprintf(stderr, "nuvero-walk: writing to standard output failed\n");
        return 1;
    }
    return sink.completed() ? 0 : 1;
}
