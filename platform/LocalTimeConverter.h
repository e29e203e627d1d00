#pragma once

#include "platform/DateTime.h"
#include "platform/DirEntry.h"

#include <cstdint>

namespace nuvero::platform {

// Converts file times to local calendar fields with the offset from universal time that
// is in force when the converter is made (not that of the file's own date). The
// conversion is shared; each back end's constructor finds the offset.
class LocalTimeConverter {
public:
    LocalTimeConverter();
    CalendarTime toLocal(FileTime time) const;
    DateTime toDateTime(FileTime time) const; // milliseconds dropped

private:
    std::int64_t m_offsetTicks = 0;
};

} // namespace nuvero::platform
