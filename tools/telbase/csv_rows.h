#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "output_buffer.h"

namespace telbase {

// Writes rows of 1251 cells as CSV lines in UTF-8. The calling thread hands over each
// row's cells as it reads them; a second thread converts and writes the rows handed over
// before, so reading a large result and writing it overlap. The cells' source (a cursor)
// is therefore only ever used from the calling thread. When no thread can be started, or
// when asked, the rows are written on the calling thread as they are handed over.
class CsvRowWriter
{
public:
    enum class Threading { SecondThread, CallingThreadOnly };

    // `out` must outlive the writer; nothing else may use it until finish() returns.
    explicit CsvRowWriter(OutputBuffer &out, Threading threading = Threading::SecondThread);
    ~CsvRowWriter(); // finish(), result ignored
    CsvRowWriter(const CsvRowWriter &) = delete;
    CsvRowWriter &operator=(const CsvRowWriter &) = delete;

    // The next cell of the current row (copied).
    void cell(std::string_view text)
    {
        m_chunk.bytes.append(text);
        m_chunk.ends.push_back(std::uint32_t(m_chunk.bytes.size()));
    }
    // Ends the current row. Blocks while the writing thread is far behind.
    void endRow()
    {
        m_chunk.rowEnds.push_back(std::uint32_t(m_chunk.ends.size()));
        if (m_chunk.rowEnds.size() >= kChunkRows)
            submit();
    }
    // True once writing has failed: the caller may stop reading, finish() reports it.
    bool failed() const { return m_failed.load(std::memory_order_relaxed); }
    // Writes every row ended so far and flushes `out`. False when any write failed, or
    // memory ran out for converting the rows (errno tells why: ENOMEM for the latter).
    bool finish();

private:
    static constexpr std::size_t kChunkRows = 4096;
    static constexpr std::size_t kMaxQueued = 4;

    struct Chunk
    {
        std::string bytes;               // the cells' bytes, one after another
        std::vector<std::uint32_t> ends;    // where each cell ends in bytes
        std::vector<std::uint32_t> rowEnds; // where each row ends in ends
        void clear()
        {
            bytes.clear();
            ends.clear();
            rowEnds.clear();
        }
    };

    void submit();
    void run();
    void write(const Chunk &chunk);

    OutputBuffer &m_out;
    Chunk m_chunk;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_queued; // oldest first
    std::vector<Chunk> m_spare; // written chunks kept for their capacity
    bool m_closed = false;
    std::atomic<bool> m_failed{false};
    bool m_outOfMemory = false; // the writing thread's, read after it has ended
    bool m_finished = false;
    bool m_result = true;
    std::thread m_thread;
};

} // namespace telbase
