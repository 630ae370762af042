#include "csv_rows.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

#include "cp1251.h"
#include "csv.h"

namespace telbase {

CsvRowWriter::CsvRowWriter(OutputBuffer &out, Threading threading) : m_out(out)
{
    if (threading == Threading::CallingThreadOnly)
        return;
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error &) {
        // No thread to be had: the rows are written on the calling thread instead.
    }
}

CsvRowWriter::~CsvRowWriter()
{
    finish();
}

void CsvRowWriter::submit()
{
    if (!m_thread.joinable()) {
        write(m_chunk);
        m_chunk.clear();
        if (m_out.failed())
            m_failed = true;
        return;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queued.size() < kMaxQueued; });
    m_queued.push_back(std::move(m_chunk));
    if (!m_spare.empty()) {
        m_chunk = std::move(m_spare.back());
        m_spare.pop_back();
    } else {
        m_chunk = Chunk();
    }
    m_chunk.clear();
    lock.unlock();
    m_changed.notify_all();
}

bool CsvRowWriter::finish()
{
    if (m_finished)
        return m_result;
    m_finished = true;
    if (!m_chunk.rowEnds.empty())
        submit();
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_result = m_out.flush(); // sets errno when it fails
    if (m_result && m_outOfMemory) {
        m_result = false;
        errno = ENOMEM;
    }
    return m_result;
}

void CsvRowWriter::run()
{
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_closed || !m_queued.empty(); });
            if (m_queued.empty())
                return;
            chunk = std::move(m_queued.front());
            m_queued.pop_front();
        }
        m_changed.notify_all();
        // After a failure the chunks are still taken, so the caller never waits for room,
        // but no longer written: the output is incomplete anyway.
        try {
            if (!m_outOfMemory && !m_out.failed())
                write(chunk);
        } catch (const std::bad_alloc &) {
            m_outOfMemory = true;
        }
        if (m_outOfMemory || m_out.failed())
            m_failed = true;
        {
            std::lock_guard lock(m_mutex);
            chunk.clear();
            if (m_spare.size() < kMaxQueued)
                m_spare.push_back(std::move(chunk));
        }
    }
}

void CsvRowWriter::write(const Chunk &chunk)
{
    const char *bytes = chunk.bytes.data();
    std::size_t cell = 0;
    std::uint32_t start = 0;
    std::string &text = m_out.text();
    for (const std::uint32_t rowEnd : chunk.rowEnds) {
        // Room for the whole row at once, then each cell written straight into it.
        const std::size_t cells = rowEnd - cell;
        const std::uint32_t rowBytes = cells ? chunk.ends[rowEnd - 1] - start : 0;
        const std::size_t at = text.size();
        text.resize(at + csvCellRoom(rowBytes) + cells * (csvCellRoom(0) + 1) +
                    kCsvRecordEnd.size());
        char *dst = text.data() + at;
        for (const std::size_t first = cell; cell < rowEnd; ++cell) {
            if (cell > first)
                *dst++ = ',';
            const std::uint32_t end = chunk.ends[cell];
            dst = writeCsvCell(dst, std::string_view(bytes + start, end - start));
            start = end;
        }
        dst = std::copy(kCsvRecordEnd.begin(), kCsvRecordEnd.end(), dst);
        text.resize(std::size_t(dst - text.data()));
        m_out.written();
    }
}

} // namespace telbase
