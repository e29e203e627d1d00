// The list file's output on the POSIX back end; buffering is shared (OutputFile.cpp).

#include "platform/OutputFile.h"
#include "platform/posix/HostPath.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace nuvero::platform {

using namespace posix;

namespace {

// Opened without waiting: a pipe in the file's place with nobody reading would hold the
// window's thread for ever ("I/O error 31" instead). Writing then waits as usual.
IoStatus openForOutput(const std::string& host, std::intptr_t& handle)
{
    const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return fromErrno(errno == ENOENT ? ENOTDIR : errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle = fd;
    return IoStatus::success();
}

} // namespace

OutputFile::~OutputFile()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

IoStatus OutputFile::create(std::string_view path)
{
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
    m_buffer.clear();
    IoStatus status;
    const auto config = configuration();
    const auto mapped = mapPath(*config, path, &status);
    if (!mapped)
        return status;
    if (mapped->components.empty())
        return IoStatus(IoCode::AccessDenied);
    status = openForOutput(mapped->host, m_handle);
    if (status.ok())
        m_buffer.reserve(BufferSize);
    return status;
}

IoStatus OutputFile::createHost(std::string_view hostPath)
{
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
    m_buffer.clear();
    if (hostPath.empty() || hostPath.find('\0') != std::string_view::npos)
        return IoStatus(IoCode::PathNotFound);
    const IoStatus status = openForOutput(std::string(hostPath), m_handle);
    if (status.ok())
        m_buffer.reserve(BufferSize);
    return status;
}

IoStatus OutputFile::flush()
{
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(static_cast<int>(m_handle), m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            m_buffer.erase(0, done);
            return fromErrno(err);
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return IoStatus::success();
}

IoStatus OutputFile::close()
{
    if (m_handle < 0)
        return IoStatus(IoCode::InvalidHandle);
    IoStatus status = flush();
    if (::close(static_cast<int>(m_handle)) != 0 && status.ok())
        status = fromErrno(errno);
    m_handle = -1;
    m_buffer.clear();
    return status;
}

} // namespace nuvero::platform
