#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace nuvero {
class TbsSelDirDlgForm;
}

namespace nuvero::test {

// Acts on the folder picker's window from inside Execute's modal loop: polls for the
// active modal window until it is a picker window that is shown, then runs the action
// once (the action presses a button or a key). Should the window still be open long
// after that, or never open, the driver closes it with Cancel and says so, so a broken
// test fails instead of hanging.
class PickerWindowDriver : public QObject {
public:
    using Action = std::function<void(TbsSelDirDlgForm& window)>;

    explicit PickerWindowDriver(Action action, int timeoutMs = 20000);

    bool ran() const { return m_ran; }
    bool timedOut() const { return m_timedOut; }

private:
    void poll();

    Action m_action;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_timeoutMs;
    bool m_ran = false;
    bool m_timedOut = false;
};

} // namespace nuvero::test
