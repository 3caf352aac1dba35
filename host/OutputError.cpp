#include "host/OutputError.h"

#include "platform/Utf8.h"

#include <cerrno>
#include <cstring>

namespace orvessa {

OutputError outputSystemError(int errnoValue, const char* action, const std::string& path)
{
    // What the user cannot mend by choosing another target: the system ran out of room or failed.
    OutputError::Cause cause = OutputError::Cause::BadTarget;
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
        cause = OutputError::Cause::Failure;
        break;
    default:
        break;
    }
    return OutputError(cause, std::string("cannot ") + action + " " + printablePrefix(path, 200) + ": " + std::strerror(errnoValue));
}

}
