// Buffering, the same on both back ends; create, flush and close are each back end's own.
#include "platform/Platform.h"

namespace nuvero::platform {

IoStatus OutputFile::write(std::string_view bytes)
{
    if (m_handle == -1)
        return IoStatus(IoCode::InvalidHandle);
    m_buffer.append(bytes);
    if (m_buffer.size() >= BufferSize)
        return flush();
    return IoStatus::success();
}

} // namespace nuvero::platform
