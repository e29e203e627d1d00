#pragma once

#include "search/RowQueue.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace nuvero::test {

// Stands in for the window's thread in tests of the worker and its queue: woken by the
// queue's notify callback (on the worker's thread), it takes batches and applies them in
// order, as TForm1 drains them. Everything but the wake-up belongs to the test's thread.
class QueueWindow {
public:
    explicit QueueWindow(RowQueue& queue);
    // The worker's last notify happens under m_mutex. Taking it once more before the
    // condition variable goes orders that notify before the destruction also for
    // ThreadSanitizer, which cannot see the join inside Qt's (uninstrumented) QThread::wait.
    ~QueueWindow();
    QueueWindow(const QueueWindow&) = delete;
    QueueWindow& operator=(const QueueWindow&) = delete;

    // Waits for a notification and applies what the queue holds; false after the timeout.
    bool pump(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Applies what the queue holds now.
    void take();
    int notifications();

    std::vector<std::string> rows; // "path|name", in the order taken
    std::string status; // the last status text taken
    bool finished = false;
    bool afterFinished = false; // something came after "finished": never allowed

private:
    RowQueue& m_queue;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_notified = false;
    int m_notifications = 0;
};

} // namespace nuvero::test
