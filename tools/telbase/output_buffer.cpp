#include "output_buffer.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace telbase {

OutputBuffer::OutputBuffer(std::FILE *file, std::size_t capacity)
    : m_file(file), m_capacity(capacity)
{
    m_text.reserve(capacity + capacity / 4);
    // A pipe holds 64 KiB by default, so every large write would wait for the reader
    // many times over; ask for room for a whole buffer (the system may give less).
    struct stat st;
    const int fd = file ? ::fileno(file) : -1;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode) &&
        ::fcntl(fd, F_GETPIPE_SZ) < int(capacity))
        ::fcntl(fd, F_SETPIPE_SZ, int(capacity));
}

OutputBuffer::~OutputBuffer()
{
    drain();
}

void OutputBuffer::drain()
{
    if (m_text.empty())
        return;
    if (!m_failed && std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size()) {
        m_failed = true;
        m_errno = errno;
    }
    m_text.clear();
}

bool OutputBuffer::flush()
{
    drain();
    if (!m_failed && std::fflush(m_file) != 0) {
        m_failed = true;
        m_errno = errno;
    }
    if (m_failed)
        errno = m_errno;
    return !m_failed;
}

} // namespace telbase
