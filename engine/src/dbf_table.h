#pragma once

// A table open for browsing and editing (the editor's table): record navigation that skips
// deleted records, field text, and the locked edits of the sharing protocol.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf.h"

namespace dbe {

class Table
{
public:
    // Opens shared; writable when the file can be written, else read-only.
    static Status open(FileSystem &fs, const std::string &path, std::unique_ptr<Table> &out);

    DbfFile &file() { return *m_file; }
    bool readOnly() const { return !m_file->writable(); }

    // Re-reads the header; count = physical records held whole.
    Status refresh(uint32_t &count);
    Status liveCount(uint32_t &count);
    // Next live record after (direction > 0) or before `from`; DBE_NOTFOUND when none.
    Status seek(uint32_t from, int direction, uint32_t &recno);
    Status nth(uint32_t n, uint32_t &recno);
    // 1 deleted, 0 live; Status on failure.
    Status isDeleted(uint32_t recno, bool &deleted);
    // The display text (1251) of a field of a record, read now.
    Status text(uint32_t recno, int field, std::string &out);

    Status lock(uint32_t recno);
    void unlock(uint32_t recno);
    // values: one per field, nullptr keeps the stored value.
    Status update(uint32_t recno, const char *const *values);
    Status append(const char *const *values, size_t count, uint32_t &firstRecno);
    Status remove(uint32_t recno);

private:
    Table() = default;
    // Makes the live index match the file as it is now.
    Status ensureIndex();
    // Reads a record, refreshing the header first when it lies past the known count.
    Status readFresh(uint32_t recno, std::vector<uint8_t> &record);
    // Encodes the given values over `record`; nothing changed on failure.
    Status encodeRow(const char *const *values, bool keepNull, std::vector<uint8_t> &record);
    // Takes the record lock for one write unless already held; released by the guard.
    class WriteLock;
    Status checkNotReplaced();
    // Checks that the file was not replaced, takes the guard's lock, re-reads the header and
    // the record into rec; DBE_DELETED when the record is marked deleted.
    Status lockAndReadLive(WriteLock &guard, uint32_t recno, bool &indexCurrent,
                           std::vector<uint8_t> &rec);
    Status verify(uint32_t recno, bool &live);

    std::unique_ptr<DbfFile> m_file;
    std::vector<uint32_t> m_live; // live record numbers, ascending
    bool m_indexValid = false;
    FileIdentity m_indexedAs;
    std::vector<uint8_t> m_buf;
};

} // namespace dbe
