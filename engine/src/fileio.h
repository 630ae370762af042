#pragma once

// The engine's one seam to the disk. Table code reads, writes and locks files only through
// FileSystem and File, so tests can swap in MemFileSystem to hand it damaged bytes in
// memory or a disk that fails.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "status.h"

namespace dbe {

struct FileStat
{
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    uint64_t inode = 0;
    uint64_t device = 0;
};

enum class OpenMode {
    ReadOnly,  // existing file, reading only
    ReadWrite, // existing file, reading and writing
    CreateNew, // new file for reading and writing; fails with DBE_EXISTS when it exists
    Replace    // new or emptied file for reading and writing
};

enum class LockResult { Acquired, Busy, Failed };

// A read-only mapping of the start of a file: bytes are copied out of it without a call
// into the system. When another program shortens the file, the bytes that are gone are
// reported missing instead of faulting the process (a bus error while copying is caught).
class FileMapping
{
public:
    // Takes over a mapping made with mmap.
    FileMapping(const void *data, size_t size);
    ~FileMapping();
    FileMapping(const FileMapping &) = delete;
    FileMapping &operator=(const FileMapping &) = delete;

    size_t size() const { return m_size; }
    // Copies n bytes at offset into buf. False when they lie past the mapping or the file
    // no longer holds them; buf may then be partly written. Bytes of the last page past the
    // file's end read as zeros, so a caller that must know checks what it copied.
    bool copy(uint64_t offset, void *buf, size_t n) const;
    // Asks the processor to start loading n bytes at offset into its cache. Never faults,
    // whatever the file now holds, so no guard is needed; out-of-range bytes are skipped.
    void prefetch(uint64_t offset, size_t n) const;

private:
    const uint8_t *m_data;
    size_t m_size;
};

// One open file. Offsets are absolute. Every function is safe when the file has been
// shortened or replaced by another process meanwhile: reads then come back short.
class File
{
public:
    virtual ~File() = default;

    // Reads up to n bytes at offset; got is set to what was read (short at end of file).
    virtual Status readAt(uint64_t offset, void *buf, size_t n, size_t &got) = 0;
    // Writes all n bytes at offset, or fails with DBE_IOERR.
    virtual Status writeAt(uint64_t offset, const void *buf, size_t n) = 0;
    virtual Status truncate(uint64_t size) = 0;
    virtual Status sync() = 0;
    virtual Status stat(FileStat &out) = 0;

    // Byte-range locks held by this open file (open-file-description locks: they belong
    // to this File object, not to the process, and go away when it is destroyed). Never
    // waits: a range held by another open file gives Busy at once.
    virtual LockResult tryLock(uint64_t offset, uint64_t length, bool exclusive) = 0;
    virtual void unlock(uint64_t offset, uint64_t length) = 0;
    // True when another open file holds a lock that would keep an exclusive lock on any
    // byte of the range from being taken.
    virtual bool lockedByOther(uint64_t offset, uint64_t length) = 0;

    virtual bool writable() const = 0;

    // The file's first `length` bytes mapped for reading, or null when it cannot be mapped
    // (the caller reads with readAt instead).
    virtual std::unique_ptr<FileMapping> map(size_t length)
    {
        (void)length;
        return nullptr;
    }
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // The real disk (POSIX calls, OFD locks). Lives for the whole program.
    static FileSystem &posix();

    virtual Status open(const std::string &path, OpenMode mode, std::unique_ptr<File> &out) = 0;
    // DBE_NOTFOUND when the path does not exist.
    virtual Status stat(const std::string &path, FileStat &out) = 0;
    // Replaces `to` with `from` in one step.
    virtual Status rename(const std::string &from, const std::string &to) = 0;
    virtual Status remove(const std::string &path) = 0;
    // Names of the entries of a folder ("" is the current folder).
    virtual Status list(const std::string &folder, std::vector<std::string> &names) = 0;
    // Makes a rename in the folder durable.
    virtual Status syncFolder(const std::string &folder) = 0;
    // True when the file could be opened for writing by this process.
    virtual bool canWrite(const std::string &path) = 0;
};

// Files held in memory, for tests. Paths are plain keys (a folder is the text before the
// last '/'). Failures can be injected: after `failWritesAfter` more successful writes,
// every write fails with DBE_IOERR (negative = never).
class MemFileSystem : public FileSystem
{
public:
    struct Node
    {
        std::vector<uint8_t> bytes;
        bool readOnly = false;
        uint64_t inode = 0;
        int64_t mtimeNs = 0;
        // Lock ranges by owner (a File object) for the conflict checks.
        std::multimap<uint64_t, std::pair<uint64_t, const void *>> locks; // offset -> (len, owner)
    };

    Status open(const std::string &path, OpenMode mode, std::unique_ptr<File> &out) override;
    Status stat(const std::string &path, FileStat &out) override;
    Status rename(const std::string &from, const std::string &to) override;
    Status remove(const std::string &path) override;
    Status list(const std::string &folder, std::vector<std::string> &names) override;
    Status syncFolder(const std::string &) override { return Status::ok(); }
    bool canWrite(const std::string &path) override;

    // Test helpers: put bytes under a path (a new inode), read them back.
    void put(const std::string &path, std::vector<uint8_t> bytes, bool readOnly = false);
    std::vector<uint8_t> get(const std::string &path) const;
    bool has(const std::string &path) const { return m_files.count(path) != 0; }

    int failWritesAfter = -1;

private:
    friend class MemFile;
    bool consumeWrite();
    std::map<std::string, std::shared_ptr<Node>> m_files;
    uint64_t m_nextInode = 1;
    int64_t m_clock = 1;
};

// The folder part of a path ("" when there is none) and the name part.
std::string folderOf(const std::string &path);
std::string nameOf(const std::string &path);

// The path on disk of a path as callers of the engine give it, in 1251. File names on disk
// are UTF-8, so the UTF-8 form is tried first, then the bytes as given (a name written in
// 1251 by some other tool). When neither exists, an entry of the folder (in either form)
// whose name differs only in letter case, Latin or Cyrillic, is taken (the first in folder
// order). When nothing matches, the UTF-8 form: where a new file goes. A path that is
// UTF-8 already (a caller that encoded it for the disk) is tried as it is first.
std::string resolvePath(FileSystem &fs, const std::string &path);

// A path on disk as text for a message, which callers read as 1251: a UTF-8 name is
// converted back, bytes that are not UTF-8 (already 1251) stay as they are.
std::string shownPath(const std::string &diskPath);

} // namespace dbe
