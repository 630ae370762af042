#pragma once

#include <cstdio>
#include <string>

namespace telbase {

// One big buffer in front of a FILE: callers append to text() and call written(); the
// buffer goes out in large fwrite calls. The FILE is not owned.
class OutputBuffer
{
public:
    static constexpr std::size_t kDefaultCapacity = std::size_t(1) << 20;

    explicit OutputBuffer(std::FILE *file, std::size_t capacity = kDefaultCapacity);
    ~OutputBuffer(); // flushes what is left, ignoring errors: call flush() to see them
    OutputBuffer(const OutputBuffer &) = delete;
    OutputBuffer &operator=(const OutputBuffer &) = delete;

    std::string &text() { return m_text; }

    // Sends the buffer out when it is full. Cheap to call after every append.
    void written()
    {
        if (m_text.size() >= m_capacity)
            drain();
    }

    // Sends everything out, the FILE's own buffer included. Returns false when any write
    // failed (errno tells why), also an earlier one.
    bool flush();
    // True once a write has failed.
    bool failed() const { return m_failed; }

private:
    void drain();

    std::FILE *m_file;
    std::size_t m_capacity;
    std::string m_text;
    bool m_failed = false;
    int m_errno = 0;
};

} // namespace telbase
