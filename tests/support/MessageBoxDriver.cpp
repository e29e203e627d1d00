#include "support/MessageBoxDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace nuvero::test {

MessageBoxDriver::MessageBoxDriver()
{
    // Modal boxes run their own event loop, in which this timer keeps firing.
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, this, &MessageBoxDriver::poll);
    m_timer.start();
}

void MessageBoxDriver::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("nuveroTestSeen").toBool())
        return;
    box->setProperty("nuveroTestSeen", true);
    Seen seen { box->windowTitle(), box->text(), box->icon(), !m_answers.empty() };
    m_seen.push_back(seen);
    QAbstractButton* button = nullptr;
    if (!m_answers.empty()) {
        button = box->button(m_answers.front());
        m_answers.pop_front();
    }
    if (!button)
        button = box->escapeButton() ? box->escapeButton() : static_cast<QAbstractButton*>(box->defaultButton());
    if (button)
        button->click();
    else
        box->reject();
}

} // namespace nuvero::test
