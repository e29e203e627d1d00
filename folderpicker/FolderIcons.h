#pragma once

#include "platform/Platform.h"

#include <QIcon>

namespace nuvero {

// Small icons of the tree, from the desktop's icon theme where it has them, else from
// the file icon provider or the style. A folder's icon carries a second picture for
// the selected state (the open folder), which the tree draws while the node
// is selected. Each tree keeps its own set (the theme lookups are cached by Qt), so no
// picture outlives the application object.
class FolderIcons {
public:
    FolderIcons();

    const QIcon& computer() const { return m_computer; }
    const QIcon& drive(platform::DriveType type) const;
    const QIcon& folder() const { return m_folder; }

private:
    QIcon m_computer;
    QIcon m_fixedDrive;
    QIcon m_removableDrive;
    QIcon m_opticalDrive;
    QIcon m_remoteDrive;
    QIcon m_folder;
};

} // namespace nuvero
