#include "output_buffer.h"

#include <cerrno>

namespace telbase {

OutputBuffer::OutputBuffer(std::FILE *file, std::size_t capacity)
    : m_file(file), m_capacity(capacity)
{
    m_text.reserve(capacity + capacity / 4);
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
