#include "app/SaveDialog.h"

#include <QFileDialog>

namespace nuvero {

std::optional<QString> SaveDialog::Execute()
{
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!m_fileName.isEmpty())
        dialog.selectFile(m_fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    m_fileName = dialog.selectedFiles().constFirst();
    return m_fileName;
}

} // namespace nuvero
