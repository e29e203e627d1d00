#include "app/DesktopActions.h"

#include "app/MessageBoxes.h"
#include "platform/Platform.h"
#include "qt/DesktopPath.h"
#include "qt/QtText.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>

#ifdef Q_OS_WIN
#include <QProcess>
#endif
#ifdef NUVERO_WITH_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#endif

namespace nuvero::desktop {

namespace {

// The entry's desktop path when it is still there; otherwise the error box.
std::optional<DesktopPath> existing(QWidget* parent, std::string_view programPath)
{
    auto path = DesktopPath::of(programPath);
    if (!path || !platform::fileAttributes(programPath)) {
        errorBox(parent, QStringLiteral("File not found."));
        return std::nullopt;
    }
    return path;
}

#ifdef NUVERO_WITH_DBUS
const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");

// Asks the file manager to show the entry; false when the session bus has no file manager
// to ask. A call that fails later opens the folder instead.
bool showThroughFileManager(QWidget* parent, const DesktopPath& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* busInterface = bus.isConnected() ? bus.interface() : nullptr;
    if (!busInterface)
        return false;
    if (!busInterface->isServiceRegistered(FileManagerService).value()
        && !busInterface->activatableServiceNames().value().contains(FileManagerService))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), FileManagerService, QStringLiteral("ShowItems"));
    call << QStringList { QString::fromLatin1(path.url().toEncoded()) } << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), parent);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, parent, [watcher, folder = path.folderUrl()] {
        if (watcher->isError())
            QDesktopServices::openUrl(folder);
        watcher->deleteLater();
    });
    return true;
}
#endif

} // namespace

void openEntry(QWidget* parent, std::string_view programPath)
{
    if (const auto path = existing(parent, programPath))
        QDesktopServices::openUrl(path->url());
}

void showInFolder(QWidget* parent, std::string_view programPath)
{
    const auto path = existing(parent, programPath);
    if (!path)
        return;
#ifdef Q_OS_WIN
    // Explorer reads its own command line: "/select," and the quoted path as one piece.
    QProcess explorer;
    explorer.setProgram(QStringLiteral("explorer.exe"));
    explorer.setNativeArguments(QStringLiteral("/select,\"%1\"").arg(path->text()));
    explorer.startDetached();
#else
#ifdef NUVERO_WITH_DBUS
    if (showThroughFileManager(parent, *path))
        return;
#endif
    QDesktopServices::openUrl(path->folderUrl());
#endif
}

void copyPath(std::string_view programPath)
{
    const auto path = DesktopPath::of(programPath);
    if (path) {
        QGuiApplication::clipboard()->setMimeData(path->mimeData());
    } else {
        // No drive maps it: the program path is all there is to copy.
        QGuiApplication::clipboard()->setText(toQString(programPath));
    }
}

} // namespace nuvero::desktop
