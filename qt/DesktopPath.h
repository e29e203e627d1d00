#pragma once

#include <QString>
#include <QUrl>

#include <optional>
#include <string>
#include <string_view>

class QMimeData;

namespace nuvero {

// A program path ("c:\home\ann\Отчёт.doc") in the form the desktop understands: the host
// path on Linux, where the drive table maps the letter ("/home/ann/Отчёт.doc"), the
// Windows path on Windows; and the file URL of it. The URL keeps the name's exact bytes,
// so a name that is not valid UTF-8 still reaches the real file. Any thread.
class DesktopPath {
public:
    // Nothing when no drive maps the path (or it is no program path).
    static std::optional<DesktopPath> of(std::string_view programPath);

    // The path as a file manager or shell spells it; bytes that are not UTF-8 show as
    // replacement characters.
    QString text() const;
    QUrl url() const;
    // The folder that holds the entry (a drive's root: the root itself).
    QUrl folderUrl() const;
    // What a copy or a drag hands over: the URL (text/uri-list, and GNOME's own format
    // for a copied file on Linux) and the path as text. The caller owns it.
    QMimeData* mimeData() const;

private:
    explicit DesktopPath(std::string native);
    std::string m_native;
};

} // namespace nuvero
