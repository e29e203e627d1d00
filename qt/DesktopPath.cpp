#include "qt/DesktopPath.h"

#include "platform/Platform.h"
#include "qt/QtText.h"

#include <QMimeData>

namespace nuvero {

namespace {

QUrl fileUrl(const std::string& native)
{
#ifdef _WIN32
    // "c:\data\x" and "\\server\share\x": QUrl wants forward slashes.
    QString path = toQString(native);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QUrl::fromLocalFile(path);
#else
    // Percent-encoded byte by byte: a name that is not UTF-8 keeps its bytes, where
    // QUrl::fromLocalFile would have turned them into replacement characters.
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(native).toPercentEncoding("/"));
#endif
}

} // namespace

DesktopPath::DesktopPath(std::string native)
    : m_native(std::move(native))
{
}

std::optional<DesktopPath> DesktopPath::of(std::string_view programPath)
{
    auto native = platform::nativePath(programPath);
    if (!native)
        return std::nullopt;
    return DesktopPath(std::move(*native));
}

QString DesktopPath::text() const
{
    return toQString(m_native);
}

QUrl DesktopPath::url() const
{
    return fileUrl(m_native);
}

QUrl DesktopPath::folderUrl() const
{
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    const std::size_t last = m_native.find_last_of(separator);
    if (last == std::string::npos || last + 1 == m_native.size())
        return url();
    // Keep the separator of a root ("/", "c:\") but of no other folder.
    const bool root = last == 0 || (last == 2 && m_native[1] == ':');
    return fileUrl(m_native.substr(0, root ? last + 1 : last));
}

QMimeData* DesktopPath::mimeData() const
{
    auto* data = new QMimeData;
    data->setUrls({ url() });
    data->setText(text());
#ifndef _WIN32
    // GNOME's file manager pastes a copied file only from its own format.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url().toEncoded());
#endif
    return data;
}

} // namespace nuvero
