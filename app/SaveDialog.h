#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace nuvero {

// The save-file dialog of "S&ave list to file": the platform's dialog with no filter, no
// default extension and no initial folder, offering the name chosen last in this run.
// It asks before an existing file is replaced.
class SaveDialog {
public:
    explicit SaveDialog(QWidget* parent)
        : m_parent(parent)
    {
    }

    // The chosen path (a host path), or nothing on Cancel.
    std::optional<QString> Execute();
    const QString& FileName() const { return m_fileName; }

private:
    QWidget* m_parent;
    QString m_fileName;
};

} // namespace nuvero
