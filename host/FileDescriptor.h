#pragma once

#include <unistd.h>

#include <utility>

namespace orvessa {

// An open file descriptor, owned: closed when dropped. Movable, not copyable; -1 when empty.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor() { reset(); }

    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Closes now and returns close()'s result, so a caller can see an error the close reports.
    int close() { return m_fd >= 0 ? ::close(std::exchange(m_fd, -1)) : 0; }

private:
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd { -1 };
};

}
