#include "support/MessageBoxDriver.h"

#include <QAbstractButton>
#include <QApplication>

namespace nuvero::test {

MessageBoxDriver::MessageBoxDriver()
{
    // Modal boxes run their own event loop, in which this timer keeps firing.
    QObject::connect(&m_timer, &QTimer::timeout, this, &MessageBoxDriver::poll);
    m_timer.start(5);
}

void MessageBoxDriver::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("nuveroTestSeen").toBool())
        return;
    box->setProperty("nuveroTestSeen", true);
    seen.push_back(box->text());
    QAbstractButton* button = m_answers.empty() ? box->escapeButton() : box->button(m_answers.front());
    if (!m_answers.empty())
        m_answers.pop_front();
    button ? button->click() : box->reject();
}

} // namespace nuvero::test
