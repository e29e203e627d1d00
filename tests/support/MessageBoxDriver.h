#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <vector>

namespace nuvero::test {

// Answers the program's real modal message boxes from a test. Queue answers with
// answer(); while a modal QMessageBox is open, the driver records its title, text and
// icon and presses the next queued button. A box that opens with no answer queued is
// recorded and closed with Escape-equivalent (its escape button), so a test never hangs.
class MessageBoxDriver : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool answered = false; // false: no answer was queued for it
    };

    MessageBoxDriver();

    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    const std::vector<Seen>& seen() const { return m_seen; }
    std::size_t pending() const { return m_answers.size(); }
    void clear()
    {
        m_seen.clear();
        m_answers.clear();
    }

private:
    void poll();

    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<Seen> m_seen;
};

} // namespace nuvero::test
