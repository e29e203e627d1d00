#pragma once

#include <QMessageBox>
#include <QTimer>

#include <deque>
#include <vector>

namespace nuvero::test {

// Answers the program's real modal message boxes: while one is open, records its text and
// presses the next queued button, or its escape button when none is queued, so that a test
// never hangs.
class MessageBoxDriver : public QObject {
public:
    MessageBoxDriver();

    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    std::vector<QString> seen; // the texts of the boxes answered, in turn

private:
    void poll();

    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
};

} // namespace nuvero::test
