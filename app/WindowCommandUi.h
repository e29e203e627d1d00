#pragma once

#include "results/CommandUi.h"

#include <functional>

class QWidget;

namespace nuvero {

// The file commands' questions and reports as the window's real message boxes.
class WindowCommandUi : public CommandUi {
public:
    WindowCommandUi(QWidget* window, std::function<void(const std::string&)> setStatus);

    bool confirm(const std::string& text) override;
    void ioError() override;
    void generalError(const std::string& text) override;
    void setStatus(const std::string& text) override;

private:
    QWidget* m_window;
    std::function<void(const std::string&)> m_setStatus;
};

} // namespace nuvero
