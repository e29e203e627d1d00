#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <chrono>

namespace nuvero::test {

// The application object Qt's event loop needs in a GoogleTest program; made once.
inline QCoreApplication& coreApplication()
{
    static int argc = 1;
    static char name[] = "nuvero-test";
    static char* argv[] = { name, nullptr };
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return app ? *app : *QCoreApplication::instance();
}

// Runs this thread's event loop until done() holds; false when the timeout passes first.
// It sleeps in the loop until an event comes, so done() must turn true through events.
template <typename Done> bool runUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const QDeadlineTimer deadline(timeout);
    QTimer wake; // ends the wait for events at the deadline
    wake.setSingleShot(true);
    wake.start(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace nuvero::test
