#pragma once

#include <QCoreApplication>
#include <QTimer>

namespace nuvero::test {

// The application object Qt's event loop needs in a GoogleTest program; made once.
inline void coreApplication()
{
    static int argc = 1;
    static char name[] = "nuvero-test";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs this thread's event loop until done() holds; false when the timeout passes first.
// It sleeps in the loop until an event comes, so done() must turn true through events.
template <typename Done> bool runUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    QTimer deadline; // also ends the wait for events
    deadline.setSingleShot(true);
    deadline.start(timeout);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace nuvero::test
