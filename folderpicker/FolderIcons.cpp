#include "folderpicker/FolderIcons.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QStyle>

namespace nuvero {

namespace {

constexpr int SmallIcon = 16;

QIcon themed(const char* name, const QIcon& fallback)
{
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
    return icon.isNull() ? fallback : icon;
}

QIcon withFallback(const QIcon& primary, QStyle::StandardPixmap standard)
{
    return primary.isNull() ? QApplication::style()->standardIcon(standard) : primary;
}

// One icon whose normal picture is closed and whose selected picture is open.
QIcon closedAndOpen(const QIcon& closed, const QIcon& open)
{
    QIcon icon;
    const QPixmap closedPixmap = closed.pixmap(SmallIcon, SmallIcon);
    const QPixmap openPixmap = open.pixmap(SmallIcon, SmallIcon);
    if (closedPixmap.isNull())
        return open;
    icon.addPixmap(closedPixmap, QIcon::Normal);
    icon.addPixmap(closedPixmap, QIcon::Active);
    icon.addPixmap(openPixmap.isNull() ? closedPixmap : openPixmap, QIcon::Selected);
    return icon;
}

} // namespace

FolderIcons::FolderIcons()
{
    const QFileIconProvider provider;
    m_computer = themed("computer", withFallback(provider.icon(QFileIconProvider::Computer), QStyle::SP_ComputerIcon));
    const QIcon hardDisk
        = themed("drive-harddisk", withFallback(provider.icon(QFileIconProvider::Drive), QStyle::SP_DriveHDIcon));
    const QIcon removable
        = themed("drive-removable-media", QApplication::style()->standardIcon(QStyle::SP_DriveFDIcon));
    const QIcon optical = themed("media-optical", QApplication::style()->standardIcon(QStyle::SP_DriveCDIcon));
    const QIcon remote = themed("network-server", QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon));
    const QIcon closedFolder
        = themed("folder", withFallback(provider.icon(QFileIconProvider::Folder), QStyle::SP_DirClosedIcon));
    const QIcon openFolder = themed("folder-open", QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
    // The shell's "open" picture of a drive root is the drive itself.
    m_fixedDrive = hardDisk;
    m_removableDrive = removable;
    m_opticalDrive = optical;
    m_remoteDrive = remote;
    m_folder = closedAndOpen(closedFolder, openFolder);
}

const QIcon& FolderIcons::drive(platform::DriveType type) const
{
    switch (type) {
    case platform::DriveType::Removable:
        return m_removableDrive;
    case platform::DriveType::CdRom:
        return m_opticalDrive;
    case platform::DriveType::Remote:
        return m_remoteDrive;
    default:
        return m_fixedDrive;
    }
}

} // namespace nuvero
