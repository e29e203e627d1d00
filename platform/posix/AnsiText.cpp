#include "platform/Platform.h"

namespace nuvero::platform {

// Linux names are bytes; the list file keeps them as they are.
std::string toListFileText(std::string_view text)
{
    return std::string(text);
}

} // namespace nuvero::platform
