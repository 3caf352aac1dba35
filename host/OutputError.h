#pragma once

#include <stdexcept>
#include <string>

namespace orvessa {

// Why an output was not written. The cause decides the command's exit status: a refused place or a
// bad target is the user's to mend; a failure (a full disk, an I/O error) is not.
class OutputError : public std::runtime_error {
public:
    enum class Cause {
        Refused, // The target lies in, or links into, a place that is never written.
        BadTarget, // No such folder, no permission, a folder where a file should go.
        Failure, // The system could not complete the write.
    };

    OutputError(Cause cause, const std::string& message)
        : std::runtime_error(message)
        , m_cause(cause)
    {
    }

    Cause cause() const { return m_cause; }
    bool isUsersToMend() const { return m_cause != Cause::Failure; }

private:
    Cause m_cause;
};

// The error for a failed system call on `path`, worded "cannot ACTION PATH: REASON" with the
// system's reason, its cause judged from errno.
OutputError outputSystemError(int errnoValue, const char* action, const std::string& path);

}
