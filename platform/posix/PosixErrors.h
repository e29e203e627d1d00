#pragma once

#include "platform/IoStatus.h"

namespace nuvero::platform::posix {

// The Windows error number the program's messages use for an errno value.
int codeFromErrno(int err);
IoStatus fromErrno(int err);

} // namespace nuvero::platform::posix
