#include "fileaccess.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kAnyRead = S_IRUSR | S_IRGRP | S_IROTH;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;

// Closes a descriptor on every path.
class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// access() for ordinary accounts; for root, which access() always lets through, the mode
// bits decide, as they would for an owner.
bool permitted(const QByteArray &path, const struct stat &st, int how)
{
    if (::geteuid() != 0)
        return ::faccessat(AT_FDCWD, path.constData(), how, AT_EACCESS) == 0;
    mode_t bits = 0;
    if (how & W_OK)
        bits |= kAnyWrite;
    if (how & R_OK)
        bits |= kAnyRead;
    return (st.st_mode & bits) != 0 || bits == 0;
}

bool folderPermitsCreate(const QByteArray &folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return permitted(folder, st, W_OK | X_OK);
}

// The file a path finally names, so that replacing it keeps a symbolic link intact.
QByteArray resolved(const QByteArray &path)
{
    char buffer[PATH_MAX];
    if (::realpath(path.constData(), buffer))
        return QByteArray(buffer);
    return path;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

bool makeFolders(const QByteArray &folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QByteArray parent = folderOf(folder);
    if (parent != folder && !makeFolders(parent))
        return false;
    return ::mkdir(folder.constData(), kNewFolderMode) == 0 || errno == EEXIST;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

namespace FileAccess {

ReadResult readWhole(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    const QByteArray name = native(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    // Folders, pipes and devices are not files to read (a pipe would block).
    if (!S_ISREG(st.st_mode) || !permitted(name, st, R_OK))
        return ReadResult::Failed;
    Fd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return ReadResult::Ok;
}

bool mayWrite(const QString &path, bool createFolders)
{
    const QByteArray name = resolved(native(path));
    struct stat st {};
    if (::stat(name.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || !permitted(name, st, W_OK))
            return false;
        return folderPermitsCreate(folderOf(name));
    }
    if (errno != ENOENT)
        return false;
    QByteArray folder = folderOf(name);
    if (!createFolders)
        return folderPermitsCreate(folder);
    while (::stat(folder.constData(), &st) != 0) {
        if (errno != ENOENT)
            return false;
        const QByteArray parent = folderOf(folder);
        if (parent == folder)
            return false;
        folder = parent;
    }
    return folderPermitsCreate(folder);
}

bool replaceWhole(const QString &path, const QByteArray &bytes, bool createFolders)
{
    if (!mayWrite(path, createFolders))
        return false;
    const QByteArray name = resolved(native(path));
    const QByteArray folder = folderOf(name);
    if (createFolders && !makeFolders(folder))
        return false;

    struct stat old {};
    const bool existed = ::stat(name.constData(), &old) == 0;

    QByteArray temp = folder + "/." + name.mid(name.lastIndexOf('/') + 1) + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0)
        return false;
    const mode_t mode = existed ? (old.st_mode & 07777) : (kNewFileMode & ~currentUmask());
    bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (ok && existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Only root may give the file back to its owner; others keep it as theirs.
        [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
    }
    ok = ::close(fd.release()) == 0 && ok;
    if (ok)
        ok = ::rename(temp.constData(), name.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

} // namespace FileAccess
