#pragma once

// Reading and writing one dBASE table file. This is the interface the statement layer and
// the table API read tables through.
//
// Thread use: one DbfFile is used by one thread at a time (as its engine handle is).
// Sharing between processes: any number of DbfFile objects, in this or other processes,
// may have the same file open; writers follow the record/header lock protocol below and
// readers never see a record that is not whole.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "dbf_field.h"
#include "fileio.h"
#include "status.h"

namespace dbe {

// What identifies a state of a table file, for caches built over it: any write through
// this engine changes the header count, size or modification time; replacing the file
// changes the inode.
struct FileIdentity
{
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    uint32_t headerCount = 0;
    uint64_t inode = 0;
    uint64_t device = 0;

    bool operator==(const FileIdentity &) const = default;
};

class DbfFile
{
public:
    ~DbfFile();
    DbfFile(const DbfFile &) = delete;
    DbfFile &operator=(const DbfFile &) = delete;

    // Opens a table file. The path is 1251 text, found on disk as resolvePath() tells (its
    // UTF-8 form, the bytes as given, or a name differing only in letter case); a path
    // without a folder is relative to the current folder. With wantWrite the file opens for writing when it can be written, else
    // read-only without an error (see writable()). Failures: DBE_NOTFOUND (no such file),
    // DBE_IOERR, DBE_CORRUPT (not a dBASE table, or a damaged header; the message says
    // what is wrong). On success `out` owns the new object. `fs` must outlive it.
    static Status open(const std::string &path, bool wantWrite, std::unique_ptr<DbfFile> &out);
    static Status open(FileSystem &fs, const std::string &path, bool wantWrite,
                       std::unique_ptr<DbfFile> &out);

    // The path on disk as opened (UTF-8, after the letter-case match).
    const std::string &path() const { return m_path; }
    bool writable() const;

    uint8_t version() const { return m_version; }
    const std::vector<FieldInfo> &fields() const { return m_fields; }
    // Index of the field with this name, matched without regard to ASCII case; -1 if none.
    int fieldIndex(std::string_view name) const;
    // Physical records that the file holds whole: min(header count, what the size holds).
    // Deleted records included. As of the last open/refresh.
    uint32_t recordCount() const { return m_recordCount; }
    // The record count as the header says it.
    uint32_t headerCount() const { return m_headerCount; }
    uint32_t recordLength() const { return m_recordLength; }
    uint32_t headerLength() const { return m_headerLength; }
    int codePage() const { return m_codePage; }
    uint8_t languageDriver() const { return m_languageDriver; }
    // Tables for converting the file's text to and from 1251 (static storage).
    const uint8_t *toCp1251() const { return toCp1251Table(m_codePage); }
    FileIdentity identity() const { return m_identity; }

    // Re-reads the header (record count) and the identity from the open file. The field
    // layout is kept; a header whose layout changed fails with DBE_CORRUPT.
    Status refresh();
    // True when the path now names another file than the one open (replaced, e.g. by a
    // pack in another process), or no file at all.
    bool replacedOnDisk() const;

    // Reads records [first, first + count) (0-based) into buf, reusing its capacity:
    // `got` whole records of recordLength() bytes each, byte 0 of each the deleted flag
    // ('*' deleted). Records past the end of what the file now holds are not returned
    // (got < count); a file shortened meanwhile is not an error. Reads in one call, so a
    // caller scanning a large table should ask for blocks of a few MB. It only reads (the
    // file at an offset, and this object's layout), so several threads may call it at
    // once with their own buffers while no one refreshes or writes through this object.
    Status readRecords(uint32_t first, uint32_t count, std::vector<uint8_t> &buf,
                       uint32_t &got);
    // Reads one record by number (from 1). DBE_NOTFOUND when the file does not hold it.
    Status readRecord(uint32_t recno, std::vector<uint8_t> &record);
    // The header and the first `count` records mapped for reading (see copyRecord), or
    // null when the file cannot be mapped.
    std::unique_ptr<FileMapping> mapRecords(uint32_t count);
    // Copies record `recno` (from 1) out of a mapping of this file. False when the mapping
    // does not hold it or may have lost it (the file was shortened meanwhile):
    // the caller then reads it with readRecord, which tells what the file holds now.
    bool copyRecord(const FileMapping &mapping, uint32_t recno, std::vector<uint8_t> &record) const;
    // Starts loading record `recno` of a mapping into the cache, for a copyRecord soon after:
    // rows in sorted order lie all over the file, and each would otherwise wait for memory.
    void prefetchRecord(const FileMapping &mapping, uint32_t recno) const;

    // ---- Writing (the table API). All need writable(); else DBE_READONLY. ----

    // Record and header locks: open-file-description locks at the Clipper offsets. Taking a
    // lock this object holds succeeds. DBE_LOCKED when another open file holds it.
    Status lockRecord(uint32_t recno);
    void unlockRecord(uint32_t recno);
    bool holdsRecordLock(uint32_t recno) const;
    Status lockHeader();
    void unlockHeader();
    // Locks the header and every record lock byte of the table at once, so no one else
    // can lock any (packing). DBE_LOCKED when anyone holds one.
    Status lockAll();
    void unlockAll();

    // Writes a whole record (recordLength() bytes, deleted flag included) over record
    // `recno` (from 1, at most recordCount()). The caller holds its lock.
    Status writeRecord(uint32_t recno, const uint8_t *record);
    // Appends `count` whole records, then the end-of-file mark, then counts them in the
    // header with today's date. The caller holds the header lock and has refreshed.
    // firstRecno gets the number of the first new record.
    Status appendRecords(const uint8_t *records, uint32_t count, uint32_t &firstRecno);
    // Stamps today's date into the header (after a record write).
    Status touchHeader();

    // The header's bytes as stored (headerLength() bytes, descriptors included).
    Status readHeaderBytes(std::vector<uint8_t> &out);

private:
    DbfFile() = default;
    Status load(bool initial);

    FileSystem *m_fs = nullptr;
    std::unique_ptr<File> m_file;
    std::string m_path;
    uint8_t m_version = 0;
    uint8_t m_languageDriver = 0;
    int m_codePage = kCodePage1251;
    uint32_t m_headerCount = 0;
    uint32_t m_recordCount = 0;
    uint32_t m_headerLength = 0;
    uint32_t m_recordLength = 0;
    std::vector<FieldInfo> m_fields;
    FileIdentity m_identity;
    std::vector<uint32_t> m_recordLocks; // sorted record numbers this object holds
    bool m_headerLocked = false;
    uint64_t m_allLockedLength = 0;
};

// Parses a table header and its field descriptors from the first bytes of a file
// (`bytes` may hold more than the header). fileSize is the file's whole size. Fills the
// layout of `out` (no file attached). DBE_CORRUPT naming what is wrong. Exposed for the
// header fuzz target and the check.
struct DbfLayout
{
    uint8_t version = 0;
    uint8_t languageDriver = 0;
    uint32_t headerCount = 0;
    uint32_t headerLength = 0;
    uint32_t recordLength = 0;
    uint32_t recordsInFile = 0; // whole records the size holds
    uint32_t fieldSum = 0;      // 1 + the field lengths, set once the descriptors parsed
    std::vector<FieldInfo> fields;
};
Status parseHeader(const uint8_t *bytes, size_t available, uint64_t fileSize, DbfLayout &out);

} // namespace dbe
