// nuvero-scale-bench: the program's own window driven through a search with a million hits,
// offscreen, timed beside the engine alone and GNU find on the same tree in the same run.
//
//   nuvero-scale-bench startup            time from main() to the first paint of the window
//   nuvero-scale-bench run TREE [ROUNDS]  the search and the list commands after it
//
// The window is the real TForm1 with its real worker, row queue, model and view; the driver
// only clicks and reads, as a user would, and watches the window's event loop with a 10 ms
// timer on its thread.

#include "app/SaveDialog.h"
#include "app/TForm1.h"
#include "results/ResultsModel.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace nuvero;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the calling thread, in ms.
double threadCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Processor time of the whole process (every thread, user and system), in ms.
double processCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// VmRSS or VmHWM of this process, in MB.
double memoryMB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            long kib = 0;
            status >> kib;
            return static_cast<double>(kib) / 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

// The longest wait of the window's event loop: a 10 ms timer on its thread notes the
// longest gap between two of its ticks, and calls `tick` on each.
class LoopWatch {
public:
    explicit LoopWatch(std::function<void()> tick = {})
        : m_tick(std::move(tick))
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, std::chrono::duration<double, std::milli>(now - m_last).count());
            m_last = now;
            if (m_tick)
                m_tick();
        });
    }

    void start()
    {
        m_longest = 0;
        m_last = Clock::now();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest; }

private:
    std::function<void()> m_tick;
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
};

// Runs the window's event loop until `done` holds (checked every 10 ms tick); returns the
// longest gap of the loop meanwhile.
double runLoopUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    LoopWatch watch([&] {
        if (done())
            loop.quit();
    });
    watch.start();
    if (!done())
        loop.exec();
    watch.stop();
    return watch.longestMs();
}

class CountingSink : public RowSink {
public:
    void addRow(ResultRow&& row) override
    {
        ++rows;
        bytes += row.name.size();
    }
    void setStatus(const SharedText&) override { }
    std::uint64_t rows = 0;
    std::uint64_t bytes = 0;
};

int startup(int argc, char** argv)
{
    const auto start = Clock::now();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TForm1 window;
    double shownMs = 0;
    timespec shownAt {};
    struct PaintFilter : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && onPaint) {
                onPaint();
                onPaint = {};
            }
            return false;
        }
    } filter;
    filter.onPaint = [&] {
        shownMs = msSince(start);
        clock_gettime(CLOCK_REALTIME, &shownAt);
        QTimer::singleShot(0, &app, &QApplication::quit);
    };
    window.installEventFilter(&filter);
    window.show();
    app.exec();
    // The wall-clock moment too, so that a script can measure from the process's launch.
    std::printf("startup: first paint of the window %.1f ms after main(), at %lld%09ld ns\n", shownMs,
        static_cast<long long>(shownAt.tv_sec), shownAt.tv_nsec);
    return 0;
}

struct RoundFigures {
    double engineMs = 0;
    double engineCpuMs = 0;
    double windowCpuMs = 0;
    double findMs = 0;
    double windowMs = 0;
    double windowThreadCpuMs = 0;
    double longestGapMs = 0;
};

int run(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: nuvero-scale-bench run TREE [ROUNDS]\n");
        return 2;
    }
    const std::string tree = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    // NUVERO_SCALE_WINDOW_ONLY=1: only the window's searches, for profiling them alone.
    const bool windowOnly = qEnvironmentVariableIntValue("NUVERO_SCALE_WINDOW_ONLY") != 0;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    test::TempTree saveFolder;
    test::TestDrives drives;
    drives.map({ { 'c', tree }, { 'd', saveFolder.root() } });

    QApplication app(argc, argv);
    TForm1 w;
    w.resize(1000, 700);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::fprintf(stderr, "scale: the window was not exposed\n");
    w.CheckBox1->setChecked(false); // every entry is a hit
    w.ComboBox1->setEditText(QStringLiteral("c:"));

    std::printf("# nuvero-scale-bench: %s, %d rounds, %d cores, load %s\n", tree.c_str(), rounds,
        QThread::idealThreadCount(),
        [] {
            std::ifstream in("/proc/loadavg");
            std::string a, b, c;
            in >> a >> b >> c;
            return a + " " + b + " " + c;
        }()
            .c_str());

    // Warm the caches once.
    QProcess::execute(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("find \"$0\" -mindepth 1 >/dev/null"), QString::fromStdString(tree) });

    std::vector<RoundFigures> figures;
    std::uint64_t engineRows = 0;
    for (int round = 0; round < rounds; ++round) {
        RoundFigures f;
        if (!windowOnly) {
            SearchCriteria criteria;
            criteria.setAfterDate(false);
            CountingSink sink;
            const std::atomic<bool> stop { false };
            SearchJob job(criteria, sink, stop);
            const auto start = Clock::now();
            const double cpuStart = processCpuMs();
            job.run("c:", "*.*");
            f.engineMs = msSince(start);
            f.engineCpuMs = processCpuMs() - cpuStart;
            engineRows = sink.rows;
        }
        if (!windowOnly) {
            QProcess find;
            find.setStandardOutputFile(QProcess::nullDevice());
            const auto start = Clock::now();
            find.start(QStringLiteral("find"),
                { QString::fromStdString(tree), QStringLiteral("-mindepth"), QStringLiteral("1"),
                    QStringLiteral("-printf"), QStringLiteral("%h\t%f\n") });
            find.waitForFinished(-1);
            f.findMs = msSince(start);
        }
        {
            w.Clearlist1Click();
            QCoreApplication::processEvents();
            const auto start = Clock::now();
            const double cpuStart = threadCpuMs();
            const double processStart = processCpuMs();
            QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
            f.longestGapMs = runLoopUntil([&] { return !w.searching(); });
            f.windowMs = msSince(start);
            f.windowThreadCpuMs = threadCpuMs() - cpuStart;
            f.windowCpuMs = processCpuMs() - processStart;
            w.waitForSearchEnd(60000);
        }
        const int shown = w.results().rowCount();
        std::printf("round %d: engine %.0f ms (processor %.0f ms), find %.0f ms, window %.0f ms (processor %.0f ms, "
                    "%.0f ms of it on the window's thread; %d rows, status \"%s\", \"%s\"), longest event-loop "
                    "gap %.0f ms\n",
            round + 1, f.engineMs, f.engineCpuMs, f.findMs, f.windowMs, f.windowCpuMs, f.windowThreadCpuMs, shown,
            qPrintable(w.statusText(0)), qPrintable(w.statusText(1)), f.longestGapMs);
        if (static_cast<std::uint64_t>(shown) != engineRows || w.statusText(0) != QString::number(shown))
            std::printf("WARNING: the window shows %d rows, the engine found %llu\n", shown,
                static_cast<unsigned long long>(engineRows));
        figures.push_back(f);
        std::fflush(stdout);
    }
    std::vector<double> engine, find, window, gap;
    for (const auto& f : figures) {
        engine.push_back(f.engineMs);
        find.push_back(f.findMs);
        window.push_back(f.windowMs);
        gap.push_back(f.longestGapMs);
    }
    const double e = median(engine), fi = median(find), wi = median(window);
    std::printf("\n| what | median of %d | target |\n|---|---|---|\n", rounds);
    std::printf("| engine alone (SearchJob, default threads) | %.0f ms | |\n", e);
    std::printf("| GNU find -printf '%%h\\t%%f\\n' | %.0f ms | |\n", fi);
    std::printf("| window: Search clicked to caption \"Search\", %d rows shown and counted | %.0f ms | |\n",
        w.results().rowCount(), wi);
    std::printf("| window / engine | %.2f | <= 1.3 |\n", wi / e);
    std::printf("| window / find | %.2f | <= 1.5 |\n", wi / fi);
    std::printf("| longest event-loop gap during the search (largest of the rounds) | %.0f ms | <= 100 ms |\n",
        *std::max_element(gap.begin(), gap.end()));
    std::printf("| resident memory after the search (peak so far) | %.0f MB (%.0f MB) | <= 400 MB |\n",
        memoryMB("VmRSS:"), memoryMB("VmHWM:"));

    // Header clicks: the first sorts descending, each further click turns the direction.
    QHeaderView* header = w.ListView1->horizontalHeader();
    for (int column = 0; column < 5; ++column) {
        const QPoint at(
            header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        const auto start = Clock::now();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents(); // the repaint of the sorted list
        std::printf("| header click on \"%s\": sort of %d rows | %.0f ms | <= 1 s |\n",
            qPrintable(w.results().headerData(column, Qt::Horizontal).toString()), w.results().rowCount(),
            msSince(start));
    }

    // "S&ave list to file": the driver answers the save dialog as soon as it is up; timed
    // from its answer to the command's end.
    Clock::time_point answered;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        answer.stop();
        dialog->selectFile(QString::fromStdString(saveFolder.path("list.txt")));
        answered = Clock::now();
        static_cast<QDialog*>(dialog)->accept(); // the dialog's own check of the name runs
    });
    answer.start();
    w.Savelisttofile1->trigger();
    const double saveMs = msSince(answered);
    std::printf("| \"S&ave list to file\" of %d rows (%.0f MB written) | %.0f ms | <= 1 s |\n", w.results().rowCount(),
        static_cast<double>(std::ifstream(saveFolder.path("list.txt"), std::ios::ate | std::ios::binary).tellg()) / 1e6,
        saveMs);

    {
        const int rows = w.results().rowCount();
        const auto start = Clock::now();
        w.Clearlist1->trigger();
        QCoreApplication::processEvents();
        std::printf("| \"&Clear list\" of %d rows | %.0f ms | <= 0.2 s |\n", rows, msSince(start));
        std::printf("| resident memory after the clear | %.0f MB | |\n", memoryMB("VmRSS:"));
    }

    // Stop in the middle of the search: the caption at once, and no row after the click.
    {
        const int stopAt = static_cast<int>(engineRows / 3);
        QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        runLoopUntil([&] { return w.results().rowCount() >= stopAt || !w.searching(); });
        Clock::time_point clicked = Clock::now();
        double lastRowMs = -1;
        const auto connection = QObject::connect(&w.results(), &QAbstractItemModel::rowsInserted,
            [&] { lastRowMs = std::max(lastRowMs, msSince(clicked)); });
        const int rowsAtClick = w.results().rowCount();
        clicked = Clock::now();
        QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        const double captionMs = msSince(clicked);
        const QString caption = w.BitBtn2->text();
        const auto watchUntil = Clock::now() + std::chrono::milliseconds(500);
        runLoopUntil([&] { return Clock::now() >= watchUntil; });
        w.waitForSearchEnd(60000);
        const double workerEndMs = msSince(clicked);
        QObject::disconnect(connection);
        std::printf("| Stop at %d rows: caption \"%s\" when the click returned | %.1f ms | at once |\n", rowsAtClick,
            qPrintable(caption), captionMs);
        std::printf("| Stop: rows added after the click (in the 500 ms watched) | %d (last %.0f ms after) | none after "
                    "100 ms |\n",
            w.results().rowCount() - rowsAtClick, lastRowMs);
        std::printf("| Stop: the worker ended | %.0f ms after the click | |\n", workerEndMs);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup")
        return startup(argc, argv);
    if (mode == "run")
        return run(argc, argv);
    std::fprintf(stderr, "usage: nuvero-scale-bench startup | run TREE [ROUNDS]\n");
    return 2;
}
