#include "app/WindowCommandUi.h"

#include "app/MessageBoxes.h"

#include <QString>

namespace nuvero {

WindowCommandUi::WindowCommandUi(QWidget* window, std::function<void(const std::string&)> setStatus)
    : m_window(window)
    , m_setStatus(std::move(setStatus))
{
}

bool WindowCommandUi::confirm(const std::string& text)
{
    return confirmBox(m_window, QString::fromStdString(text));
}

void WindowCommandUi::ioError()
{
    errorBox(m_window, QStringLiteral("File I/O error."));
}

void WindowCommandUi::generalError(const std::string& text)
{
    generalErrorReport(m_window, QString::fromStdString(text));
}

void WindowCommandUi::setStatus(const std::string& text)
{
    m_setStatus(text);
}

} // namespace nuvero
