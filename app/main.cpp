#include "app/TForm1.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

// How long the exit waits for stopped search workers before it leaves them to the system.
// A worker that is not held by a folder listing ends at its next poll, well within this.
constexpr int WorkerExitGraceMs = 250;

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nuvero"));
    QApplication::setDesktopFileName(QStringLiteral("nuvero"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("nuvero"), QIcon(QStringLiteral(":/nuvero.svg"))));
    nuvero::TForm1 Form1;
    Form1.show();
    const int status = app.exec();

    // Threads at exit: the window's thread runs this; the search's workers are owned by the
    // window's SearchSession, which the window's close has already stopped (and the close
    // has written the automatic list and closed its file). A worker ends at its next poll,
    // but one that sits in a folder listing that never returns (a dead NFS, SMB or FUSE
    // mount) would hold the session's destructor, which must wait for it because the worker
    // reads the window's criteria and writes the session's queue. Such a worker is left to
    // the system: the process ends here without running destructors, so nothing of ours
    // runs beside it any more, and the kernel ends the thread with the process (or, where
    // the listing cannot be interrupted, as soon as the listing returns).
    if (!Form1.waitForWorker(WorkerExitGraceMs)) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
