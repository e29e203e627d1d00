// The window's own Search/Stop at random while another thread keeps changing the tree.

#ifndef Q_MOC_RUN
#include "FaultSupport.h"

#include "app/TForm1.h"
#include "results/ResultsModel.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#endif

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QTest>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

using namespace nuvero;

namespace {

std::set<std::string> rowKeys(TForm1& w)
{
    std::set<std::string> keys;
    for (int i = 0; i < w.results().size(); ++i)
        keys.insert(std::string(w.results().row(i).pathText()) + "|" + w.results().row(i).name);
    return keys;
}

int soakSeconds()
{
    if (const char* text = std::getenv("NUVERO_SOAK_SECONDS"); text && *text)
        return std::max(1, std::atoi(text) / 2);
    return 5;
}

} // namespace

class WindowFaultTest : public QObject {
    Q_OBJECT

private slots:
    // The window's own Search/Stop at random moments while the tree changes: no crash, the
    // list only ever names entries that existed, and a new search never shows rows of an
    // earlier, stopped one beyond what that one had delivered by its Stop.
    void searchAndStopAtRandomWhileTheTreeChanges()
    {
        test::TempTree tree;
        const test::PrivateMount memory(tree.root(), "size=64m");
        std::set<std::string> universe;
        for (int f = 0; f < 6; ++f) {
            const std::string folder = "f" + std::to_string(f);
            universe.insert("c:\\|" + folder);
            for (int n = 0; n < 40; ++n) {
                const std::string name = (n % 4 ? "n" : "Имя") + std::to_string(n);
                universe.insert("c:\\" + folder + "|" + name);
                tree.makeFile(folder + "/" + name);
            }
        }
        test::TestDrives drives;
        drives.map({ { 'c', tree.root() } });

        std::atomic<bool> done { false };
        struct Changer {
            std::atomic<bool>& done;
            std::thread thread;
            ~Changer()
            {
                done = true;
                thread.join();
            }
        } changer { done, std::thread([&tree, &done] {
                       std::mt19937 random(99);
                       while (!done.load()) {
                           const std::string folder = "f" + std::to_string(random() % 6);
                           const int n = static_cast<int>(random() % 40);
                           const std::string path = folder + "/" + (n % 4 ? "n" : "Имя") + std::to_string(n);
                           if (random() % 2)
                               tree.remove(path);
                           else if (tree.isDir(folder))
                               ::close(::open(tree.path(path).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW, 0644));
                           if (random() % 50 == 0) {
                               tree.remove(folder);
                               ::symlink("/", tree.path(folder).c_str());
                           } else if (random() % 50 == 0 && !tree.isDir(folder)) {
                               tree.remove(folder);
                               tree.makeDir(folder);
                           }
                       }
                   }) };

        TForm1 w;
        w.show();
        w.CheckBox1->setChecked(false);
        w.ComboBox1->setEditText(QStringLiteral("c:;c:\\f1"));
        std::mt19937 random(7);
        const QDeadlineTimer deadline(soakSeconds() * 1000);
        int searches = 0;
        while (!deadline.hasExpired()) {
            ++searches;
            w.RusCheck->setChecked(random() % 3 == 0); // checked: the list starts empty
            w.BitBtn2Click();
            QVERIFY(w.searching());
            // Let the window take a random number of hand-overs, then stop (or let it finish).
            const int rounds = static_cast<int>(random() % 8);
            for (int i = 0; i < rounds && w.searching(); ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (w.searching())
                w.BitBtn2Click();
            QVERIFY(!w.searching());
            QVERIFY(w.waitForSearchEnd(30000));
            const std::set<std::string> keys = rowKeys(w);
            for (const std::string& key : keys)
                QVERIFY2(universe.count(key), key.c_str());
            if (w.results().size() > 20000)
                w.Clearlist1Click();
        }
        qInfo("window soak: %d searches", searches);
        QVERIFY(searches >= 20);
    }
};

QTEST_MAIN(WindowFaultTest)
#include "WindowFaultTest.moc"
