#include "PickerWindowDriver.h"

#include "folderpicker/TbsSelDirDlgForm.h"

#include <QApplication>

namespace nuvero::test {

PickerWindowDriver::PickerWindowDriver(Action action, int timeoutMs)
    : m_action(std::move(action))
    , m_timeoutMs(timeoutMs)
{
    // A modal window runs its own event loop, in which this timer keeps firing.
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &PickerWindowDriver::poll);
    m_timer.start();
    m_clock.start();
}

void PickerWindowDriver::poll()
{
    auto* window = qobject_cast<TbsSelDirDlgForm*>(QApplication::activeModalWidget());
    if (window && window->isVisible() && !m_ran) {
        m_ran = true;
        m_action(*window);
        return;
    }
    if (window && m_clock.hasExpired(m_timeoutMs)) {
        m_timedOut = true;
        window->reject();
    }
}

} // namespace nuvero::test
