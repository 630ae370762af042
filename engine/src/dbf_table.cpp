#include "dbf_table.h"

#include <algorithm>
#include <cstring>

#include "dbf_errors.h"
#include "dbf_format.h"

namespace dbe {

namespace {
// Records per block when scanning deleted flags: a few MB per read.
constexpr size_t kScanBlockBytes = 4u << 20;
} // namespace

class Table::WriteLock
{
public:
    WriteLock(DbfFile &file, uint32_t recno) : m_file(file), m_recno(recno) {}
    ~WriteLock()
    {
        if (m_took)
            m_file.unlockRecord(m_recno);
    }
    Status acquire()
    {
        if (m_file.holdsRecordLock(m_recno))
            return Status::ok();
        Status s = m_file.lockRecord(m_recno);
        m_took = s.isOk();
        return s;
    }

private:
    DbfFile &m_file;
    uint32_t m_recno;
    bool m_took = false;
};

namespace {
class HeaderLock
{
public:
    explicit HeaderLock(DbfFile &file) : m_file(file) {}
    ~HeaderLock()
    {
        if (m_took)
            m_file.unlockHeader();
    }
    Status acquire()
    {
        Status s = m_file.lockHeader();
        m_took = s.isOk();
        return s;
    }

private:
    DbfFile &m_file;
    bool m_took = false;
};
} // namespace

Status Table::open(FileSystem &fs, const std::string &path, std::unique_ptr<Table> &out)
{
    std::unique_ptr<Table> t(new Table());
    Status s = DbfFile::open(fs, path, true, t->m_file);
    if (!s)
        return s;
    out = std::move(t);
    return Status::ok();
}

Status Table::refresh(uint32_t &count)
{
    Status s = m_file->refresh();
    if (!s)
        return s;
    count = m_file->recordCount();
    return Status::ok();
}

Status Table::ensureIndex()
{
    Status s = m_file->refresh();
    if (!s)
        return s;
    if (m_indexValid && m_file->identity() == m_indexedAs)
        return Status::ok();
    m_indexValid = false;
    m_live.clear();
    const uint32_t total = m_file->recordCount();
    const uint32_t rl = m_file->recordLength();
    const uint32_t block = uint32_t(std::max<size_t>(1, kScanBlockBytes / rl));
    try {
        m_live.reserve(total);
        for (uint32_t first = 0; first < total; first += block) {
            uint32_t got = 0;
            s = m_file->readRecords(first, std::min(block, total - first), m_buf, got);
            if (!s)
                return s;
            const uint8_t *p = m_buf.data();
            for (uint32_t i = 0; i < got; ++i, p += rl) {
                if (*p != dbf::kDeletedFlag)
                    m_live.push_back(first + i + 1);
            }
            if (got < std::min(block, total - first))
                break; // shortened meanwhile: what it holds now is all there is
        }
    } catch (const std::bad_alloc &) {
        m_live.clear();
        return dbferr::noMemory();
    }
    m_indexValid = true;
    m_indexedAs = m_file->identity();
    return Status::ok();
}

Status Table::verify(uint32_t recno, bool &live)
{
    std::vector<uint8_t> rec;
    Status s = m_file->readRecord(recno, rec);
    live = s.isOk() && rec[0] != dbf::kDeletedFlag;
    return s.code() == DBE_NOTFOUND ? Status::ok() : s;
}

Status Table::liveCount(uint32_t &count)
{
    Status s = ensureIndex();
    if (!s)
        return s;
    count = uint32_t(m_live.size());
    return Status::ok();
}

Status Table::seek(uint32_t from, int direction, uint32_t &recno)
{
    if (direction != 1 && direction != -1)
        return dbferr::misuse("Seek direction must be +1 or -1.");
    // A change that left the identity as it was (same size, within one clock tick) is
    // caught by reading the flag of the record found; then the index is built again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        Status s = ensureIndex();
        if (!s)
            return s;
        auto it = direction > 0 ? std::upper_bound(m_live.begin(), m_live.end(), from)
                                : std::lower_bound(m_live.begin(), m_live.end(), from);
        if (direction > 0 && it == m_live.end())
            return dbferr::noFurtherRecord();
        if (direction < 0) {
            if (it == m_live.begin())
                return dbferr::noFurtherRecord();
            --it;
        }
        bool live = false;
        s = verify(*it, live);
        if (!s)
            return s;
        if (live) {
            recno = *it;
            return Status::ok();
        }
        m_indexValid = false;
    }
    return dbferr::tooBusy();
}

Status Table::nth(uint32_t n, uint32_t &recno)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        Status s = ensureIndex();
        if (!s)
            return s;
        if (n >= m_live.size())
            return dbferr::noNthRecord(n, m_live.size());
        bool live = false;
        s = verify(m_live[n], live);
        if (!s)
            return s;
        if (live) {
            recno = m_live[n];
            return Status::ok();
        }
        m_indexValid = false;
    }
    return dbferr::tooBusy();
}

Status Table::readFresh(uint32_t recno, std::vector<uint8_t> &record)
{
    if (recno == 0)
        return dbferr::noRecord(recno);
    if (recno > m_file->recordCount()) {
        Status s = m_file->refresh();
        if (!s)
            return s;
    }
    return m_file->readRecord(recno, record);
}

Status Table::isDeleted(uint32_t recno, bool &deleted)
{
    std::vector<uint8_t> rec;
    Status s = readFresh(recno, rec);
    if (!s)
        return s;
    deleted = rec[0] == dbf::kDeletedFlag;
    return Status::ok();
}

Status Table::text(uint32_t recno, int field, std::string &out)
{
    if (field < 0 || size_t(field) >= m_file->fields().size())
        return dbferr::misuse("Field number " + std::to_string(field) + " is out of range.");
    Status s = readFresh(recno, m_buf);
    if (!s)
        return s;
    const FieldInfo &f = m_file->fields()[size_t(field)];
    displayText(f, m_buf.data() + f.offset, m_file->toCp1251(), out);
    return Status::ok();
}

Status Table::lock(uint32_t recno)
{
    if (readOnly())
        return dbferr::readOnly(m_file->path());
    std::vector<uint8_t> rec;
    Status s = readFresh(recno, rec);
    if (!s)
        return s;
    const bool held = m_file->holdsRecordLock(recno);
    s = m_file->lockRecord(recno);
    if (!s)
        return s;
    // Someone may have deleted it between our read and the lock.
    s = m_file->readRecord(recno, rec);
    if (s && rec[0] == dbf::kDeletedFlag)
        s = dbferr::deleted(recno);
    if (!s && !held)
        m_file->unlockRecord(recno);
    return s;
}

void Table::unlock(uint32_t recno) { m_file->unlockRecord(recno); }

Status Table::encodeRow(const char *const *values, bool keepNull, std::vector<uint8_t> &record)
{
    std::vector<uint8_t> out = record;
    const auto &fields = m_file->fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const char *v = values[i];
        if (!v && keepNull)
            continue;
        Status s = encodeValue(fields[i], v ? v : "", m_file->codePage(),
                               out.data() + fields[i].offset);
        if (!s)
            return s;
    }
    record = std::move(out);
    return Status::ok();
}

Status Table::checkNotReplaced()
{
    if (m_file->replacedOnDisk())
        return dbferr::replaced(m_file->path());
    return Status::ok();
}

Status Table::update(uint32_t recno, const char *const *values)
{
    if (readOnly())
        return dbferr::readOnly(m_file->path());
    if (!values)
        return dbferr::misuse("No values given.");
    // Everything is validated before anything is locked or written.
    const auto &fields = m_file->fields();
    std::vector<uint8_t> staged(m_file->recordLength(), ' ');
    Status s = encodeRow(values, true, staged);
    if (!s)
        return s;
    WriteLock guard(*m_file, recno);
    bool indexCurrent = false;
    std::vector<uint8_t> rec;
    s = lockAndReadLive(guard, recno, indexCurrent, rec);
    if (!s)
        return s;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (values[i])
            std::memcpy(rec.data() + fields[i].offset, staged.data() + fields[i].offset,
                        size_t(fields[i].length));
    }
    s = m_file->writeRecord(recno, rec.data());
    if (!s)
        return s;
    if (indexCurrent)
        m_indexedAs = m_file->identity();
    return Status::ok();
}

Status Table::append(const char *const *values, size_t count, uint32_t &firstRecno)
{
    if (readOnly())
        return dbferr::readOnly(m_file->path());
    if (count > 0 && !values)
        return dbferr::misuse("No values given.");
    const size_t rl = m_file->recordLength();
    const size_t nf = m_file->fields().size();
    if (count > UINT32_MAX / rl)
        return dbferr::tableFull();
    std::vector<uint8_t> rows;
    try {
        rows.assign(count * rl, ' ');
    } catch (const std::bad_alloc &) {
        return dbferr::noMemory();
    }
    std::vector<uint8_t> rec(rl, ' ');
    for (size_t r = 0; r < count; ++r) {
        std::fill(rec.begin(), rec.end(), ' ');
        Status s = encodeRow(values + r * nf, false, rec);
        if (!s)
            return s.addLine("Row " + std::to_string(r + 1) + " of the append.");
        std::memcpy(rows.data() + r * rl, rec.data(), rl);
    }
    Status s = checkNotReplaced();
    if (!s)
        return s;
    HeaderLock guard(*m_file);
    s = guard.acquire();
    if (!s)
        return s;
    s = m_file->refresh();
    if (!s)
        return s;
    if (count == 0) {
        firstRecno = m_file->recordCount() + 1;
        return Status::ok();
    }
    const bool indexCurrent = m_indexValid && m_file->identity() == m_indexedAs;
    s = m_file->appendRecords(rows.data(), uint32_t(count), firstRecno);
    if (!s) {
        m_indexValid = false;
        return s;
    }
    if (indexCurrent) {
        for (uint32_t i = 0; i < count; ++i)
            m_live.push_back(firstRecno + i);
        m_indexedAs = m_file->identity();
    } else {
        m_indexValid = false;
    }
    return Status::ok();
}

Status Table::lockAndReadLive(WriteLock &guard, uint32_t recno, bool &indexCurrent,
                              std::vector<uint8_t> &rec)
{
    // The record is re-read under its lock: another user may have changed or deleted it
    // since it was last shown.
    Status s = checkNotReplaced();
    if (!s)
        return s;
    s = guard.acquire();
    if (!s)
        return s;
    s = m_file->refresh();
    if (!s)
        return s;
    indexCurrent = m_indexValid && m_file->identity() == m_indexedAs;
    s = m_file->readRecord(recno, rec);
    if (!s)
        return s;
    if (rec[0] == dbf::kDeletedFlag)
        return dbferr::deleted(recno);
    return Status::ok();
}

Status Table::remove(uint32_t recno)
{
    if (readOnly())
        return dbferr::readOnly(m_file->path());
    Status s;
    WriteLock guard(*m_file, recno);
    bool indexCurrent = false;
    std::vector<uint8_t> rec;
    s = lockAndReadLive(guard, recno, indexCurrent, rec);
    if (!s)
        return s;
    rec[0] = dbf::kDeletedFlag;
    s = m_file->writeRecord(recno, rec.data());
    if (!s) {
        m_indexValid = false;
        return s;
    }
    if (indexCurrent) {
        auto it = std::lower_bound(m_live.begin(), m_live.end(), recno);
        if (it != m_live.end() && *it == recno)
            m_live.erase(it);
        m_indexedAs = m_file->identity();
    } else {
        m_indexValid = false;
    }
    return Status::ok();
}

} // namespace dbe
