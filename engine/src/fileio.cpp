#include "fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "codepage.h"
#include "dbf_errors.h"

namespace dbe {

namespace {

// A bus error while copying from a mapping (the file was shortened under it) jumps back
// to the copy, which then reports the bytes missing. The handler is installed while any
// mapping lives and the previous one restored after the last, so a module unloaded later
// leaves no handler behind. SA_NODEFER keeps SIGBUS unblocked after the jump, so the jump
// buffer needs no saved signal mask (no call into the system per copy).
thread_local sigjmp_buf *t_copyJump = nullptr;

std::mutex g_busMutex;
size_t g_busUsers = 0;
struct sigaction g_previousBus;

void onBusError(int sig, siginfo_t *info, void *context)
{
    if (sigjmp_buf *jump = t_copyJump) {
        t_copyJump = nullptr;
        siglongjmp(*jump, 1);
    }
    // Not a copy of ours: as the previous handler would.
    if (g_previousBus.sa_flags & SA_SIGINFO) {
        if (g_previousBus.sa_sigaction) {
            g_previousBus.sa_sigaction(sig, info, context);
            return;
        }
    } else if (g_previousBus.sa_handler != SIG_DFL && g_previousBus.sa_handler != SIG_IGN) {
        g_previousBus.sa_handler(sig);
        return;
    }
    // Default: the faulting access repeats and ends the process as it would have.
    signal(SIGBUS, SIG_DFL);
}

void holdBusHandler()
{
    std::lock_guard<std::mutex> lock(g_busMutex);
    if (g_busUsers++ > 0)
        return;
    struct sigaction sa = {};
    sa.sa_sigaction = onBusError;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGBUS, &sa, &g_previousBus);
}

void releaseBusHandler()
{
    std::lock_guard<std::mutex> lock(g_busMutex);
    if (--g_busUsers == 0)
        sigaction(SIGBUS, &g_previousBus, nullptr);
}

// Kept out of line so the jump buffer's frame is live for the whole copy.
[[gnu::noinline]] bool guardedCopy(void *dst, const void *src, size_t n)
{
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0)
        return false;
    t_copyJump = &jump;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(dst, src, n);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_copyJump = nullptr;
    return true;
}

class PosixFile : public File
{
public:
    PosixFile(int fd, std::string path, bool writable)
        : m_fd(fd), m_path(std::move(path)), m_writable(writable)
    {
    }
    ~PosixFile() override { ::close(m_fd); }

    Status readAt(uint64_t offset, void *buf, size_t n, size_t &got) override
    {
        got = 0;
        auto *p = static_cast<uint8_t *>(buf);
        while (got < n) {
            ssize_t r = ::pread(m_fd, p + got, n - got, off_t(offset + got));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return dbferr::io("Read", m_path, errno);
            }
            if (r == 0)
                break;
            got += size_t(r);
        }
        return Status::ok();
    }

    Status writeAt(uint64_t offset, const void *buf, size_t n) override
    {
        const auto *p = static_cast<const uint8_t *>(buf);
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(m_fd, p + done, n - done, off_t(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return dbferr::io("Write", m_path, errno);
            }
            if (r == 0)
                return dbferr::ioShort(m_path);
            done += size_t(r);
        }
        return Status::ok();
    }

    Status truncate(uint64_t size) override
    {
        if (::ftruncate(m_fd, off_t(size)) != 0)
            return dbferr::io("Truncate", m_path, errno);
        return Status::ok();
    }

    Status sync() override
    {
        if (::fsync(m_fd) != 0)
            return dbferr::io("Flush", m_path, errno);
        return Status::ok();
    }

    Status stat(FileStat &out) override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            return dbferr::io("Stat", m_path, errno);
        out.size = uint64_t(st.st_size);
        out.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        out.inode = uint64_t(st.st_ino);
        out.device = uint64_t(st.st_dev);
        return Status::ok();
    }

    LockResult tryLock(uint64_t offset, uint64_t length, bool exclusive) override
    {
        struct flock fl = {};
        fl.l_type = short(exclusive ? F_WRLCK : F_RDLCK);
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(offset);
        fl.l_len = off_t(length);
        if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0)
            return LockResult::Acquired;
        if (errno == EAGAIN || errno == EACCES)
            return LockResult::Busy;
        return LockResult::Failed;
    }

    void unlock(uint64_t offset, uint64_t length) override
    {
        struct flock fl = {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(offset);
        fl.l_len = off_t(length);
        ::fcntl(m_fd, F_OFD_SETLK, &fl);
    }

    bool lockedByOther(uint64_t offset, uint64_t length) override
    {
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(offset);
        fl.l_len = off_t(length);
        if (::fcntl(m_fd, F_OFD_GETLK, &fl) != 0)
            return false;
        return fl.l_type != F_UNLCK;
    }

    bool writable() const override { return m_writable; }

    std::unique_ptr<FileMapping> map(size_t length) override
    {
        if (length == 0)
            return nullptr;
        void *data = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, m_fd, 0);
        if (data == MAP_FAILED)
            return nullptr;
        return std::make_unique<FileMapping>(data, length);
    }

private:
    int m_fd;
    std::string m_path;
    bool m_writable;
};

class PosixFileSystem : public FileSystem
{
public:
    Status open(const std::string &path, OpenMode mode, std::unique_ptr<File> &out) override
    {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadOnly: flags |= O_RDONLY; break;
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
        case OpenMode::Replace: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            const bool creating = mode == OpenMode::CreateNew || mode == OpenMode::Replace;
            if ((errno == ENOENT || errno == ENOTDIR) && !creating)
                return dbferr::notFound(path);
            if (errno == EEXIST)
                return dbferr::exists(path);
            return dbferr::io(creating ? "Create" : "Open", path, errno);
        }
        struct stat st;
        if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
            ::close(fd);
            return dbferr::notRegularFile(path);
        }
        out = std::make_unique<PosixFile>(fd, path, mode != OpenMode::ReadOnly);
        return Status::ok();
    }

    Status stat(const std::string &path, FileStat &out) override
    {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return dbferr::notFound(path);
            return dbferr::io("Stat", path, errno);
        }
        out.size = uint64_t(st.st_size);
        out.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        out.inode = uint64_t(st.st_ino);
        out.device = uint64_t(st.st_dev);
        return Status::ok();
    }

    Status rename(const std::string &from, const std::string &to) override
    {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return dbferr::io("Rename", to, errno);
        return Status::ok();
    }

    Status remove(const std::string &path) override
    {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return dbferr::io("Remove", path, errno);
        return Status::ok();
    }

    Status list(const std::string &folder, std::vector<std::string> &names) override
    {
        names.clear();
        DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!dir)
            return dbferr::io("List", folder, errno);
        while (struct dirent *e = ::readdir(dir))
            names.emplace_back(e->d_name);
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        return Status::ok();
    }

    Status syncFolder(const std::string &folder) override
    {
        int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return dbferr::io("Open folder", folder, errno);
        int rc = ::fsync(fd);
        int err = errno;
        ::close(fd);
        if (rc != 0 && err != EINVAL)
            return dbferr::io("Flush folder", folder, err);
        return Status::ok();
    }

    bool canWrite(const std::string &path) override { return ::access(path.c_str(), W_OK) == 0; }
};

// A 1251 byte in capitals: Latin, Russian and the other Cyrillic letters 1251 holds.
uint8_t upper1251(uint8_t b)
{
    if (b >= 'a' && b <= 'z')
        return uint8_t(b - 'a' + 'A');
    if (b >= 0xE0)
        return uint8_t(b - 0x20); // а..я
    switch (b) {
    case 0xB8: return 0xA8; // ё
    case 0x90: return 0x80; // ђ
    case 0x83: return 0x81; // ѓ
    case 0x9A: return 0x8A; // љ
    case 0x9C: return 0x8C; // њ
    case 0x9D: return 0x8D; // ќ
    case 0x9E: return 0x8E; // ћ
    case 0x9F: return 0x8F; // џ
    case 0xA2: return 0xA1; // ў
    case 0xBC: return 0xA3; // ј
    case 0xB4: return 0xA5; // ґ
    case 0xBA: return 0xAA; // є
    case 0xBF: return 0xAF; // ї
    case 0xB3: return 0xB2; // і
    case 0xBE: return 0xBD; // ѕ
    default: return b;
    }
}

bool equalsNoCase1251(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper1251(uint8_t(a[i])) != upper1251(uint8_t(b[i])))
            return false;
    }
    return true;
}

// A file name as 1251 text: a UTF-8 name converted, any other bytes taken as 1251.
std::string nameAs1251(const std::string &name)
{
    std::string text;
    return cp1251FromUtf8(name, text) ? text : name;
}

// An entry of the folder whose name equals `name` but for letter case; "" when there is
// none. Both names are compared as 1251 text, so a caller that already gave the UTF-8
// form is served too.
std::string matchNoCase(FileSystem &fs, const std::string &folder, const std::string &name)
{
    std::vector<std::string> names;
    if (!fs.list(folder, names).isOk())
        return std::string();
    const std::string wanted = nameAs1251(name);
    for (const std::string &candidate : names) {
        if (equalsNoCase1251(nameAs1251(candidate), wanted))
            return folder + candidate;
    }
    return std::string();
}

// The first of the forms that exists; else a letter-case match in the folder of each form
// in turn; else the first form.
std::string resolveIn(FileSystem &fs, const std::vector<std::string> &forms, const std::string &path)
{
    FileStat st;
    for (const std::string &form : forms) {
        if (fs.stat(form, st).isOk())
            return form;
    }
    if (!nameOf(path).empty()) {
        for (const std::string &form : forms) {
            const std::string found = matchNoCase(fs, folderOf(form), nameOf(path));
            if (!found.empty())
                return found;
        }
    }
    return forms.front();
}

} // namespace

FileSystem &FileSystem::posix()
{
    static PosixFileSystem fs;
    return fs;
}

std::string folderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string resolvePath(FileSystem &fs, const std::string &path)
{
    // A path that is UTF-8 already came in the disk's own form (real 1251 text with
    // Cyrillic letters is next to never UTF-8); else its UTF-8 form comes first.
    const std::string converted = utf8FromCp1251(path);
    if (converted == path)
        return resolveIn(fs, {path}, path);
    if (isUtf8(path))
        return resolveIn(fs, {path, converted}, path);
    return resolveIn(fs, {converted, path}, path);
}

std::string shownPath(const std::string &diskPath) { return nameAs1251(diskPath); }

// ---- In-memory files ---------------------------------------------------------------

class MemFile : public File
{
public:
    MemFile(MemFileSystem &fs, std::shared_ptr<MemFileSystem::Node> node, bool writable)
        : m_fs(fs), m_node(std::move(node)), m_writable(writable)
    {
    }
    ~MemFile() override
    {
        auto &locks = m_node->locks;
        for (auto it = locks.begin(); it != locks.end();)
            it = it->second.second == this ? locks.erase(it) : std::next(it);
    }

    Status readAt(uint64_t offset, void *buf, size_t n, size_t &got) override
    {
        got = 0;
        const auto &b = m_node->bytes;
        if (offset >= b.size())
            return Status::ok();
        got = size_t(std::min<uint64_t>(n, b.size() - offset));
        std::memcpy(buf, b.data() + offset, got);
        return Status::ok();
    }

    Status writeAt(uint64_t offset, const void *buf, size_t n) override
    {
        if (!m_writable || !m_fs.consumeWrite())
            return dbferr::io("Write", "(memory)", EIO);
        auto &b = m_node->bytes;
        if (b.size() < offset + n)
            b.resize(size_t(offset + n), 0);
        std::memcpy(b.data() + offset, buf, n);
        m_node->mtimeNs = m_fs.m_clock++;
        return Status::ok();
    }

    Status truncate(uint64_t size) override
    {
        if (!m_writable || !m_fs.consumeWrite())
            return dbferr::io("Truncate", "(memory)", EIO);
        m_node->bytes.resize(size_t(size), 0);
        m_node->mtimeNs = m_fs.m_clock++;
        return Status::ok();
    }

    Status sync() override { return Status::ok(); }

    Status stat(FileStat &out) override
    {
        out.size = m_node->bytes.size();
        out.mtimeNs = m_node->mtimeNs;
        out.inode = m_node->inode;
        out.device = 1;
        return Status::ok();
    }

    LockResult tryLock(uint64_t offset, uint64_t length, bool) override
    {
        if (lockedByOther(offset, length))
            return LockResult::Busy;
        m_node->locks.emplace(offset, std::make_pair(length, static_cast<const void *>(this)));
        return LockResult::Acquired;
    }

    void unlock(uint64_t offset, uint64_t length) override
    {
        auto &locks = m_node->locks;
        for (auto it = locks.begin(); it != locks.end();) {
            bool mine = it->second.second == this && it->first >= offset &&
                        it->first + it->second.first <= offset + length;
            it = mine ? locks.erase(it) : std::next(it);
        }
    }

    bool lockedByOther(uint64_t offset, uint64_t length) override
    {
        for (const auto &[start, held] : m_node->locks) {
            if (held.second != this && start < offset + length && offset < start + held.first)
                return true;
        }
        return false;
    }

    bool writable() const override { return m_writable; }

private:
    MemFileSystem &m_fs;
    std::shared_ptr<MemFileSystem::Node> m_node;
    bool m_writable;
};

bool MemFileSystem::consumeWrite()
{
    if (failWritesAfter < 0)
        return true;
    if (failWritesAfter == 0)
        return false;
    --failWritesAfter;
    return true;
}

Status MemFileSystem::open(const std::string &path, OpenMode mode, std::unique_ptr<File> &out)
{
    auto it = m_files.find(path);
    if (mode == OpenMode::CreateNew || mode == OpenMode::Replace) {
        if (it != m_files.end() && mode == OpenMode::CreateNew)
            return dbferr::exists(path);
        if (it != m_files.end() && it->second->readOnly)
            return dbferr::io("Open", path, EACCES);
        if (it == m_files.end()) {
            put(path, {});
            it = m_files.find(path);
        }
        it->second->bytes.clear();
        out = std::make_unique<MemFile>(*this, it->second, true);
        return Status::ok();
    }
    if (it == m_files.end())
        return dbferr::notFound(path);
    if (mode == OpenMode::ReadWrite && it->second->readOnly)
        return dbferr::io("Open", path, EACCES);
    out = std::make_unique<MemFile>(*this, it->second, mode == OpenMode::ReadWrite);
    return Status::ok();
}

Status MemFileSystem::stat(const std::string &path, FileStat &out)
{
    auto it = m_files.find(path);
    if (it == m_files.end())
        return dbferr::notFound(path);
    out.size = it->second->bytes.size();
    out.mtimeNs = it->second->mtimeNs;
    out.inode = it->second->inode;
    out.device = 1;
    return Status::ok();
}

Status MemFileSystem::rename(const std::string &from, const std::string &to)
{
    auto it = m_files.find(from);
    if (it == m_files.end())
        return dbferr::notFound(from);
    auto node = it->second;
    m_files.erase(it);
    m_files[to] = std::move(node);
    return Status::ok();
}

Status MemFileSystem::remove(const std::string &path)
{
    m_files.erase(path);
    return Status::ok();
}

Status MemFileSystem::list(const std::string &folder, std::vector<std::string> &names)
{
    names.clear();
    for (const auto &[path, node] : m_files) {
        if (folderOf(path) == folder)
            names.push_back(nameOf(path));
    }
    return Status::ok();
}

bool MemFileSystem::canWrite(const std::string &path)
{
    auto it = m_files.find(path);
    return it != m_files.end() && !it->second->readOnly;
}

void MemFileSystem::put(const std::string &path, std::vector<uint8_t> bytes, bool readOnly)
{
    auto node = std::make_shared<Node>();
    node->bytes = std::move(bytes);
    node->readOnly = readOnly;
    node->inode = m_nextInode++;
    node->mtimeNs = m_clock++;
    m_files[path] = std::move(node);
}

std::vector<uint8_t> MemFileSystem::get(const std::string &path) const
{
    auto it = m_files.find(path);
    return it == m_files.end() ? std::vector<uint8_t>() : it->second->bytes;
}

FileMapping::FileMapping(const void *data, size_t size)
    : m_data(static_cast<const uint8_t *>(data)), m_size(size)
{
    holdBusHandler();
}

FileMapping::~FileMapping()
{
    ::munmap(const_cast<uint8_t *>(m_data), m_size);
    releaseBusHandler();
}

bool FileMapping::copy(uint64_t offset, void *buf, size_t n) const
{
    if (offset > m_size || n > m_size - offset)
        return false;
    return guardedCopy(buf, m_data + offset, n);
}

void FileMapping::prefetch(uint64_t offset, size_t n) const
{
    if (n == 0 || offset >= m_size)
        return;
    n = std::min<uint64_t>(n, m_size - offset);
    constexpr size_t kLine = 64;
    const uint8_t *p = m_data + offset;
    // Every line the range touches, the last one included.
    const uintptr_t last = (reinterpret_cast<uintptr_t>(p) + n - 1) & ~uintptr_t(kLine - 1);
    for (uintptr_t a = reinterpret_cast<uintptr_t>(p) & ~uintptr_t(kLine - 1); a <= last; a += kLine)
        __builtin_prefetch(reinterpret_cast<const void *>(a), 0, 0);
}

} // namespace dbe
