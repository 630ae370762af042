#include "dbf.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "dbf_errors.h"
#include "dbf_format.h"

namespace dbe {

namespace {

bool knownVersion(uint8_t v)
{
    switch (v) {
    case dbf::kVersionDbase3:
    case dbf::kVersionDbase3Memo:
    case dbf::kVersionDbase4:
    case dbf::kVersionDbase4Memo:
    case dbf::kVersionDbase4SqlTable:
    case dbf::kVersionDbase4SqlSystem:
    case dbf::kVersionDbase4SqlMemo:
    case dbf::kVersionFoxBase:
    case dbf::kVersionFoxPro:
    case dbf::kVersionFoxProAutoinc:
    case dbf::kVersionFoxProVarchar:
    case dbf::kVersionFoxPro2Memo:
    case dbf::kVersionFoxBaseMemo: return true;
    default: return false;
    }
}

bool isFoxPro(uint8_t v)
{
    return v == dbf::kVersionFoxPro || v == dbf::kVersionFoxProAutoinc ||
           v == dbf::kVersionFoxProVarchar;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

void todayYmd(uint8_t *ymd)
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    ymd[0] = uint8_t(std::clamp(tm.tm_year, 0, 255));
    ymd[1] = uint8_t(tm.tm_mon + 1);
    ymd[2] = uint8_t(tm.tm_mday);
}

std::string cpgPathOf(const std::string &path)
{
    std::string name = nameOf(path);
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos ? path : folderOf(path) + name.substr(0, dot);
    return stem + ".cpg";
}

} // namespace

Status parseHeader(const uint8_t *bytes, size_t available, uint64_t fileSize, DbfLayout &out)
{
    const std::string noPath; // the caller adds the table's path
    auto bad = [](const std::string &what) { return Status::error(DBE_CORRUPT, what); };
    if (available < size_t(dbf::kHeaderSize) || fileSize < uint64_t(dbf::kHeaderSize))
        return bad(dbferr::damage::tooShort());
    out = DbfLayout();
    out.version = bytes[dbf::kOffVersion];
    if (!knownVersion(out.version))
        return bad(dbferr::damage::notDbase(out.version));
    out.headerCount = dbf::readLe32(bytes + dbf::kOffRecordCount);
    out.headerLength = dbf::readLe16(bytes + dbf::kOffHeaderLength);
    out.recordLength = dbf::readLe16(bytes + dbf::kOffRecordLength);
    out.languageDriver = bytes[dbf::kOffLanguageDriver];
    if (out.headerLength < uint32_t(dbf::kHeaderSize + 1))
        return bad(dbferr::damage::headerLengthTooSmall(out.headerLength));
    if (out.headerLength > fileSize || out.headerLength > available)
        return bad(dbferr::damage::headerTruncated(out.headerLength, fileSize));
    if (out.recordLength < 2)
        return bad(dbferr::damage::recordLengthTooSmall(out.recordLength));

    // Descriptors run up to the terminator, which must lie inside the header.
    uint32_t pos = dbf::kHeaderSize;
    bool terminated = false;
    std::vector<int> charHigh; // Clipper's high length byte of C fields, in decimals
    while (pos < out.headerLength) {
        if (bytes[pos] == dbf::kHeaderTerminator) {
            terminated = true;
            break;
        }
        if (pos + dbf::kDescriptorSize > out.headerLength)
            break;
        const uint8_t *d = bytes + pos;
        FieldInfo f;
        int nameLen = -1;
        for (int i = 0; i < dbf::kFieldNameSize; ++i) {
            if (d[i] == 0) {
                nameLen = i;
                break;
            }
        }
        const size_t number = out.fields.size() + 1;
        if (nameLen < 0)
            return bad(dbferr::damage::nameNotTerminated(number));
        if (nameLen == 0)
            return bad(dbferr::damage::nameEmpty(number));
        f.name.assign(reinterpret_cast<const char *>(d), size_t(nameLen));
        f.type = char(d[dbf::kOffFieldType]);
        f.length = d[dbf::kOffFieldLength];
        f.decimals = d[dbf::kOffFieldDecimals];
        if (f.type < '!' || f.type > '~')
            return bad(dbferr::damage::badType(f.name, uint8_t(f.type)));
        if (f.length == 0)
            return bad(dbferr::damage::zeroLength(f.name));
        charHigh.push_back(f.type == 'C' ? f.decimals : 0);
        if (f.type != 'N' && f.type != 'F')
            f.decimals = 0;
        out.fields.push_back(std::move(f));
        pos += dbf::kDescriptorSize;
    }
    if (!terminated)
        return bad(dbferr::damage::noTerminator());
    if (out.fields.empty())
        return bad(dbferr::damage::noFields());
    if (isFoxPro(out.version) && pos + 1 + dbf::kBacklinkSize > out.headerLength)
        return bad(dbferr::damage::noBacklink());

    uint32_t sum = 1;
    for (const FieldInfo &f : out.fields)
        sum += uint32_t(f.length);
    out.fieldSum = sum;
    if (sum != out.recordLength) {
        // Clipper stores C fields wider than 255 with the high byte in the decimals.
        uint32_t wide = sum;
        for (size_t i = 0; i < out.fields.size(); ++i)
            wide += uint32_t(charHigh[i]) * 256;
        if (wide != out.recordLength)
            return bad(dbferr::damage::lengthsDisagree(sum - 1, out.recordLength));
        for (size_t i = 0; i < out.fields.size(); ++i)
            out.fields[i].length += charHigh[i] * 256;
    }
    int offset = 1;
    for (FieldInfo &f : out.fields) {
        f.offset = offset;
        offset += f.length;
    }
    out.recordsInFile = uint32_t(
        std::min<uint64_t>((fileSize - out.headerLength) / out.recordLength, UINT32_MAX));
    return Status::ok();
}

DbfFile::~DbfFile()
{
    // The open file's locks go with it (open-file-description locks).
}

Status DbfFile::open(const std::string &path, bool wantWrite, std::unique_ptr<DbfFile> &out)
{
    return open(FileSystem::posix(), path, wantWrite, out);
}

Status DbfFile::open(FileSystem &fs, const std::string &path, bool wantWrite,
                     std::unique_ptr<DbfFile> &out)
{
    std::unique_ptr<DbfFile> table(new DbfFile());
    table->m_fs = &fs;
    table->m_path = resolvePath(fs, path);
    Status s;
    if (wantWrite && fs.canWrite(table->m_path)) {
        s = fs.open(table->m_path, OpenMode::ReadWrite, table->m_file);
        if (!s && s.code() != DBE_NOTFOUND)
            s = fs.open(table->m_path, OpenMode::ReadOnly, table->m_file);
    } else {
        s = fs.open(table->m_path, OpenMode::ReadOnly, table->m_file);
    }
    if (!s)
        return s;
    s = table->load(true);
    if (!s)
        return s;

    int cp = codePageOfLanguageDriver(table->m_languageDriver);
    if (cp == 0) {
        std::unique_ptr<File> cpg;
        if (fs.open(resolvePath(fs, cpgPathOf(path)), OpenMode::ReadOnly, cpg)) {
            char text[64];
            size_t got = 0;
            if (cpg->readAt(0, text, sizeof text, got))
                cp = codePageOfCpgText(std::string_view(text, got));
        }
    }
    table->m_codePage = cp ? cp : kCodePage1251;
    out = std::move(table);
    return Status::ok();
}

Status DbfFile::load(bool initial)
{
    FileStat st;
    Status s = m_file->stat(st);
    if (!s)
        return s;
    // The fixed part tells the header length (16 bits); then the whole header is read.
    std::vector<uint8_t> head(dbf::kHeaderSize);
    size_t got = 0;
    s = m_file->readAt(0, head.data(), head.size(), got);
    if (!s)
        return s;
    if (got == head.size()) {
        head.resize(std::max<size_t>(dbf::readLe16(&head[dbf::kOffHeaderLength]), got));
        size_t rest = 0;
        s = m_file->readAt(got, head.data() + got, head.size() - got, rest);
        if (!s)
            return s;
        got += rest;
    }
    DbfLayout layout;
    s = parseHeader(head.data(), got, st.size, layout);
    if (!s)
        return dbferr::corrupt(m_path, s.lines().front());
    if (!initial) {
        bool same = layout.headerLength == m_headerLength &&
                    layout.recordLength == m_recordLength &&
                    layout.fields.size() == m_fields.size();
        for (size_t i = 0; same && i < m_fields.size(); ++i) {
            same = layout.fields[i].name == m_fields[i].name &&
                   layout.fields[i].type == m_fields[i].type &&
                   layout.fields[i].length == m_fields[i].length &&
                   layout.fields[i].decimals == m_fields[i].decimals;
        }
        if (!same)
            return dbferr::corrupt(m_path, dbferr::damage::layoutChanged());
    }
    m_version = layout.version;
    m_languageDriver = layout.languageDriver;
    m_headerCount = layout.headerCount;
    m_recordCount = std::min(layout.headerCount, layout.recordsInFile);
    m_headerLength = layout.headerLength;
    m_recordLength = layout.recordLength;
    if (initial)
        m_fields = std::move(layout.fields);
    m_identity.size = st.size;
    m_identity.mtimeNs = st.mtimeNs;
    m_identity.headerCount = m_headerCount;
    m_identity.inode = st.inode;
    m_identity.device = st.device;
    return Status::ok();
}

bool DbfFile::writable() const { return m_file->writable(); }

int DbfFile::fieldIndex(std::string_view name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const std::string &n = m_fields[i].name;
        if (n.size() != name.size())
            continue;
        bool same = true;
        for (size_t k = 0; same && k < n.size(); ++k)
            same = upper(n[k]) == upper(name[k]);
        if (same)
            return int(i);
    }
    return -1;
}

Status DbfFile::refresh() { return load(false); }

bool DbfFile::replacedOnDisk() const
{
    FileStat st;
    if (!m_fs->stat(m_path, st))
        return true;
    return st.inode != m_identity.inode || st.device != m_identity.device;
}

Status DbfFile::readRecords(uint32_t first, uint32_t count, std::vector<uint8_t> &buf,
                            uint32_t &got)
{
    got = 0;
    if (first >= m_recordCount) {
        buf.clear();
        return Status::ok();
    }
    uint32_t n = std::min(count, m_recordCount - first);
    size_t bytes = size_t(n) * m_recordLength;
    buf.resize(bytes);
    size_t read = 0;
    Status s = m_file->readAt(uint64_t(m_headerLength) + uint64_t(first) * m_recordLength,
                              buf.data(), bytes, read);
    if (!s)
        return s;
    got = uint32_t(read / m_recordLength);
    buf.resize(size_t(got) * m_recordLength);
    return Status::ok();
}

Status DbfFile::readRecord(uint32_t recno, std::vector<uint8_t> &record)
{
    if (recno == 0 || recno > m_recordCount)
        return dbferr::noRecord(recno);
    uint32_t got = 0;
    Status s = readRecords(recno - 1, 1, record, got);
    if (!s)
        return s;
    if (got != 1)
        return dbferr::noRecord(recno);
    return Status::ok();
}

std::unique_ptr<FileMapping> DbfFile::mapRecords(uint32_t count)
{
    return m_file->map(size_t(m_headerLength) + size_t(count) * m_recordLength);
}

bool DbfFile::copyRecord(const FileMapping &mapping, uint32_t recno,
                         std::vector<uint8_t> &record) const
{
    if (recno == 0)
        return false;
    record.resize(m_recordLength);
    if (!mapping.copy(uint64_t(m_headerLength) + uint64_t(recno - 1) * m_recordLength,
                      record.data(), m_recordLength))
        return false;
    // Past a shortened file's end its last page reads as zeros: a record whose last byte
    // lies there ends in a zero. A record that truly ends in one is merely read again.
    return record.back() != 0;
}

void DbfFile::prefetchRecord(const FileMapping &mapping, uint32_t recno) const
{
    if (recno != 0)
        mapping.prefetch(uint64_t(m_headerLength) + uint64_t(recno - 1) * m_recordLength,
                         m_recordLength);
}

Status DbfFile::lockRecord(uint32_t recno)
{
    if (!writable())
        return dbferr::readOnly(m_path);
    if (holdsRecordLock(recno))
        return Status::ok();
    switch (m_file->tryLock(dbf::recordLockOffset(recno), 1, true)) {
    case LockResult::Acquired: break;
    case LockResult::Busy: return dbferr::recordLocked();
    case LockResult::Failed: return dbferr::lockFailed(m_path, errno);
    }
    m_recordLocks.insert(std::lower_bound(m_recordLocks.begin(), m_recordLocks.end(), recno),
                         recno);
    return Status::ok();
}

void DbfFile::unlockRecord(uint32_t recno)
{
    auto it = std::lower_bound(m_recordLocks.begin(), m_recordLocks.end(), recno);
    if (it == m_recordLocks.end() || *it != recno)
        return;
    m_recordLocks.erase(it);
    m_file->unlock(dbf::recordLockOffset(recno), 1);
}

bool DbfFile::holdsRecordLock(uint32_t recno) const
{
    return std::binary_search(m_recordLocks.begin(), m_recordLocks.end(), recno);
}

Status DbfFile::lockHeader()
{
    if (!writable())
        return dbferr::readOnly(m_path);
    if (m_headerLocked)
        return Status::ok();
    switch (m_file->tryLock(dbf::headerLockOffset(), 1, true)) {
    case LockResult::Acquired: break;
    case LockResult::Busy: return dbferr::tableLocked();
    case LockResult::Failed: return dbferr::lockFailed(m_path, errno);
    }
    m_headerLocked = true;
    return Status::ok();
}

void DbfFile::unlockHeader()
{
    if (!m_headerLocked)
        return;
    m_headerLocked = false;
    m_file->unlock(dbf::headerLockOffset(), 1);
}

Status DbfFile::lockAll()
{
    if (!writable())
        return dbferr::readOnly(m_path);
    // Every record number a 32-bit count can reach, so records appended meanwhile are
    // covered too.
    const uint64_t length = uint64_t(UINT32_MAX) + 1;
    switch (m_file->tryLock(dbf::headerLockOffset(), length, true)) {
    case LockResult::Acquired: break;
    case LockResult::Busy: return dbferr::tableLocked();
    case LockResult::Failed: return dbferr::lockFailed(m_path, errno);
    }
    m_allLockedLength = length;
    return Status::ok();
}

void DbfFile::unlockAll()
{
    if (m_allLockedLength == 0)
        return;
    m_file->unlock(dbf::headerLockOffset(), m_allLockedLength);
    m_allLockedLength = 0;
    m_headerLocked = false;
    m_recordLocks.clear();
}

Status DbfFile::writeRecord(uint32_t recno, const uint8_t *record)
{
    if (!writable())
        return dbferr::readOnly(m_path);
    if (recno == 0 || recno > m_recordCount)
        return dbferr::noRecord(recno);
    Status s = m_file->writeAt(uint64_t(m_headerLength) + uint64_t(recno - 1) * m_recordLength,
                               record, m_recordLength);
    if (!s)
        return s;
    // The record is written; a date that could not be stamped does not undo that.
    (void)touchHeader();
    return Status::ok();
}

Status DbfFile::touchHeader()
{
    uint8_t ymd[3];
    todayYmd(ymd);
    Status s = m_file->writeAt(dbf::kOffYear, ymd, sizeof ymd);
    if (!s)
        return s;
    FileStat st;
    if (m_file->stat(st)) {
        m_identity.size = st.size;
        m_identity.mtimeNs = st.mtimeNs;
    }
    return Status::ok();
}

Status DbfFile::readHeaderBytes(std::vector<uint8_t> &out)
{
    out.resize(m_headerLength);
    size_t got = 0;
    Status s = m_file->readAt(0, out.data(), out.size(), got);
    if (!s)
        return s;
    if (got != out.size())
        return dbferr::corrupt(m_path, dbferr::damage::headerCut());
    return Status::ok();
}

Status DbfFile::appendRecords(const uint8_t *records, uint32_t count, uint32_t &firstRecno)
{
    if (!writable())
        return dbferr::readOnly(m_path);
    if (uint64_t(m_recordCount) + count > UINT32_MAX)
        return dbferr::tableFull();
    const uint64_t start = uint64_t(m_headerLength) + uint64_t(m_recordCount) * m_recordLength;
    const size_t bytes = size_t(count) * m_recordLength;
    // Records and the end-of-file mark go out first; only then does the header count them,
    // so a reader (or a crash) never sees a counted record that is not whole.
    std::vector<uint8_t> data;
    try {
        data.reserve(bytes + 1);
    } catch (const std::bad_alloc &) {
        return dbferr::noMemory();
    }
    data.assign(records, records + bytes);
    data.push_back(dbf::kEndOfFile);
    Status s = m_file->writeAt(start, data.data(), data.size());
    if (!s)
        return s;
    const uint32_t newCount = m_recordCount + count;
    uint8_t head[7];
    todayYmd(head);
    dbf::writeLe32(head + 3, newCount);
    s = m_file->writeAt(dbf::kOffYear, head, sizeof head);
    if (!s)
        return s;
    // The records are in the table now: what follows must not turn that into a failure.
    firstRecno = m_recordCount + 1;
    m_headerCount = newCount;
    m_recordCount = newCount;
    m_identity.headerCount = newCount;
    // Whatever lay past the new end was never counted (a writer stopped short); drop it so
    // that the size and the count agree again.
    FileStat st;
    if (m_file->stat(st) && st.size > start + data.size())
        (void)m_file->truncate(start + data.size());
    if (m_file->stat(st)) {
        m_identity.size = st.size;
        m_identity.mtimeNs = st.mtimeNs;
    }
    return Status::ok();
}

} // namespace dbe
