#include "platform/posix/PosixErrors.h"

#include <cerrno>

namespace nuvero::platform::posix {

int codeFromErrno(int err)
{
    switch (err) {
    case 0:
        return 0;
    case ENOENT:
        return IoCode::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return IoCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return IoCode::AccessDenied;
    case EMFILE:
    case ENFILE:
        return IoCode::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return IoCode::DiskFull;
    case EEXIST:
        return IoCode::AlreadyExists;
    case ENOTEMPTY:
        return IoCode::DirNotEmpty;
    case EROFS:
        return IoCode::WriteProtect;
    case EBUSY:
    case ETXTBSY:
        return IoCode::SharingViolation;
    case EXDEV:
        return 17; // not the same device
    case ELOOP:
        return IoCode::CantResolveFilename;
    case ENOMEM:
        return IoCode::NotEnoughMemory;
    case EBADF:
        return IoCode::InvalidHandle;
    case EINVAL:
        return IoCode::InvalidParameter;
    case EIO:
        return 1117; // device I/O error
    default:
        return 31; // a device attached to the system is not functioning
    }
}

IoStatus fromErrno(int err)
{
    return IoStatus(codeFromErrno(err));
}

} // namespace nuvero::platform::posix
