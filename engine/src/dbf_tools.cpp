#include "dbf_tools.h"

#include <algorithm>
#include <ctime>
#include <set>

#include <unistd.h>

#include "codepage.h"
#include "dbf.h"
#include "dbf_errors.h"
#include "dbf_format.h"

namespace dbe {

namespace {

constexpr size_t kCopyBlock = 4u << 20;
// Findings of one kind beyond this many are summed up in one line.
constexpr int kMaxLinesPerKind = 50;

void today(uint8_t *ymd)
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    ymd[0] = uint8_t(std::clamp(tm.tm_year, 0, 255));
    ymd[1] = uint8_t(tm.tm_mon + 1);
    ymd[2] = uint8_t(tm.tm_mday);
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool knownLanguageDriver(int ldid)
{
    return ldid == dbf::kLdid1251 || ldid == dbf::kLdid866 || ldid == dbf::kLdid866Alt;
}

Status validateField(const FieldInfo &f)
{
    const std::string &n = f.name;
    if (n.empty() || n.size() > size_t(dbf::kFieldNameSize - 1))
        return dbferr::badFieldDef(n, "a name has 1 to 10 characters");
    for (size_t i = 0; i < n.size(); ++i) {
        char c = upper(n[i]);
        bool letter = c >= 'A' && c <= 'Z';
        bool ok = letter || (i > 0 && ((c >= '0' && c <= '9') || c == '_'));
        if (!ok)
            return dbferr::badFieldDef(n, "a name is a letter followed by letters, digits or _");
    }
    switch (f.type) {
    case 'C':
        if (f.length < 1 || f.length > dbf::kMaxCharLength || f.decimals != 0)
            return dbferr::badFieldDef(n, "a C field has 1 to 254 characters, no decimals");
        return Status::ok();
    case 'N':
    case 'F':
        if (f.length < 1 || f.length > dbf::kMaxNumericLength || f.decimals < 0 ||
            (f.decimals > 0 && f.decimals > f.length - 2))
            return dbferr::badFieldDef(
                n, "a numeric field is 1 to 20 wide, with room for the point and decimals");
        return Status::ok();
    case 'L':
        if (f.length != dbf::kLogicalLength || f.decimals != 0)
            return dbferr::badFieldDef(n, "an L field is 1 wide");
        return Status::ok();
    case 'D':
        if (f.length != dbf::kDateLength || f.decimals != 0)
            return dbferr::badFieldDef(n, "a D field is 8 wide");
        return Status::ok();
    default:
        return dbferr::badFieldDef(n, std::string("fields of type ") + f.type +
                                          " cannot be created");
    }
}

Status copyFile(FileSystem &fs, const std::string &from, const std::string &to)
{
    std::unique_ptr<File> in, out;
    Status s = fs.open(from, OpenMode::ReadOnly, in);
    if (!s)
        return s;
    s = fs.open(to, OpenMode::Replace, out);
    if (!s)
        return s;
    FileStat st;
    s = in->stat(st);
    if (!s)
        return s;
    std::vector<uint8_t> buf(size_t(std::clamp<uint64_t>(st.size, 1, kCopyBlock)));
    uint64_t offset = 0;
    for (;;) {
        size_t got = 0;
        s = in->readAt(offset, buf.data(), buf.size(), got);
        if (!s)
            return s;
        if (got == 0)
            break;
        s = out->writeAt(offset, buf.data(), got);
        if (!s)
            return s;
        offset += got;
    }
    return out->sync();
}

// Removes a temporary file unless released.
class TempFile
{
public:
    TempFile(FileSystem &fs, std::string path) : m_fs(fs), m_path(std::move(path)) {}
    ~TempFile()
    {
        if (!m_path.empty())
            m_fs.remove(m_path);
    }
    const std::string &path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    FileSystem &m_fs;
    std::string m_path;
};

std::string tempPathFor(const std::string &path, const char *what)
{
    return folderOf(path) + "." + nameOf(path) + "." + what + "-" + std::to_string(::getpid());
}

Status writeWhole(FileSystem &fs, const std::string &path, const std::vector<uint8_t> &bytes,
                  OpenMode mode)
{
    std::unique_ptr<File> out;
    Status s = fs.open(path, mode, out);
    if (!s)
        return s;
    s = out->writeAt(0, bytes.data(), bytes.size());
    if (!s)
        return s;
    return out->sync();
}

// Counts findings by kind and cuts the lines of a kind after kMaxLinesPerKind.
class Findings
{
public:
    Findings(const std::function<void(const std::string &)> &report, int &problems)
        : m_report(report), m_problems(problems)
    {
    }
    void problem(int kind, const std::string &line)
    {
        ++m_problems;
        if (++m_byKind[kind] <= kMaxLinesPerKind)
            say(line);
    }
    void say(const std::string &line)
    {
        if (m_report)
            m_report(line);
    }
    void summarize(int kind, const std::string &what)
    {
        if (m_byKind[kind] > kMaxLinesPerKind)
            say(dbferr::finding::more(m_byKind[kind] - kMaxLinesPerKind, what));
    }

private:
    const std::function<void(const std::string &)> &m_report;
    int &m_problems;
    int m_byKind[8] = {};
};

enum Kind { kHeader, kFlag, kNumber };

} // namespace

std::vector<uint8_t> emptyTableBytes(const std::vector<FieldInfo> &fields, uint8_t languageDriver)
{
    const uint32_t headerLength =
        uint32_t(dbf::kHeaderSize + dbf::kDescriptorSize * fields.size() + 1);
    uint32_t recordLength = 1;
    for (const FieldInfo &f : fields)
        recordLength += uint32_t(f.length);
    std::vector<uint8_t> b(headerLength + 1, 0);
    b[dbf::kOffVersion] = dbf::kVersionDbase3;
    today(&b[dbf::kOffYear]);
    dbf::writeLe32(&b[dbf::kOffRecordCount], 0);
    dbf::writeLe16(&b[dbf::kOffHeaderLength], uint16_t(headerLength));
    dbf::writeLe16(&b[dbf::kOffRecordLength], uint16_t(recordLength));
    b[dbf::kOffLanguageDriver] = languageDriver;
    size_t pos = dbf::kHeaderSize;
    for (const FieldInfo &f : fields) {
        for (size_t i = 0; i < f.name.size() && i < size_t(dbf::kFieldNameSize - 1); ++i)
            b[pos + i] = uint8_t(upper(f.name[i]));
        b[pos + dbf::kOffFieldType] = uint8_t(f.type);
        b[pos + dbf::kOffFieldLength] = uint8_t(f.length);
        b[pos + dbf::kOffFieldDecimals] = uint8_t(f.decimals);
        pos += dbf::kDescriptorSize;
    }
    b[pos] = dbf::kHeaderTerminator;
    b[pos + 1] = dbf::kEndOfFile;
    return b;
}

Status createTable(FileSystem &fs, const std::string &path, const std::vector<FieldInfo> &fields,
                   int languageDriver, bool overwrite)
{
    if (fields.empty() || fields.size() > size_t(dbf::kMaxFields))
        return dbferr::badFieldCount(dbf::kMaxFields);
    if (!knownLanguageDriver(languageDriver))
        return dbferr::badLanguageDriver(languageDriver);
    std::set<std::string> names;
    uint32_t recordLength = 1;
    for (const FieldInfo &f : fields) {
        Status s = validateField(f);
        if (!s)
            return s;
        std::string key;
        for (char c : f.name)
            key.push_back(upper(c));
        if (!names.insert(key).second)
            return dbferr::badFieldDef(f.name, "the name is used twice");
        recordLength += uint32_t(f.length);
    }
    if (recordLength > uint32_t(dbf::kMaxRecordLength))
        return dbferr::recordTooWide();
    const std::vector<uint8_t> bytes = emptyTableBytes(fields, uint8_t(languageDriver));

    const std::string target = resolvePath(fs, path);
    FileStat st;
    const bool exists = fs.stat(target, st).isOk();
    if (!exists)
        return writeWhole(fs, target, bytes, OpenMode::CreateNew);
    if (!overwrite)
        return dbferr::exists(target);
    TempFile temp(fs, tempPathFor(target, "new"));
    Status s = writeWhole(fs, temp.path(), bytes, OpenMode::Replace);
    if (!s)
        return s;
    s = fs.rename(temp.path(), target);
    if (!s)
        return s;
    temp.release();
    return fs.syncFolder(folderOf(target));
}

Status checkTable(FileSystem &fs, const std::string &path, bool repair,
                  const std::function<void(const std::string &)> &report, int &problems)
{
    problems = 0;
    const std::string target = resolvePath(fs, path);
    std::unique_ptr<File> file;
    Status s = fs.open(target, repair ? OpenMode::ReadWrite : OpenMode::ReadOnly, file);
    if (!s) {
        FileStat exists;
        if (repair && s.code() == DBE_IOERR && fs.stat(target, exists))
            return dbferr::readOnly(target);
        return s;
    }
    Findings out(report, problems);
    FileStat st;
    s = file->stat(st);
    if (!s)
        return s;
    std::vector<uint8_t> head(size_t(std::min<uint64_t>(st.size, 65536 + dbf::kHeaderSize)));
    size_t got = 0;
    s = file->readAt(0, head.data(), head.size(), got);
    if (!s)
        return s;

    DbfLayout layout;
    Status parsed = parseHeader(head.data(), got, st.size, layout);
    uint32_t fixRecordLength = 0;
    if (!parsed) {
        out.problem(kHeader, dbferr::finding::damaged(parsed.lines().front()));
        // Only a record length that disagrees with the fields can be told right: when the
        // fields' sum divides the records' area, it is the true length.
        const uint32_t sum = layout.fieldSum;
        if (sum < 2 || st.size < layout.headerLength) {
            if (repair)
                out.say(dbferr::finding::notMendedHeader());
            return Status::ok();
        }
        const uint64_t area = st.size - layout.headerLength;
        if (area % sum != 0 && area % sum != 1) {
            if (repair)
                out.say(dbferr::finding::notMendedRecordLength());
            return Status::ok();
        }
        fixRecordLength = sum;
        dbf::writeLe16(&head[dbf::kOffRecordLength], uint16_t(sum));
        s = parseHeader(head.data(), got, st.size, layout);
        if (!s)
            return Status::ok();
    }

    const uint32_t hl = layout.headerLength, rl = layout.recordLength;
    const uint32_t inFile = layout.recordsInFile;
    const uint32_t counted = std::min(layout.headerCount, inFile);

    // Records past the header's count are taken as whole entries only while their deleted
    // flags look right (a tool that stopped before writing the header); the rest is debris.
    std::vector<uint8_t> buf;
    uint32_t extra = 0;
    if (layout.headerCount < inFile) {
        std::vector<uint8_t> rec(rl);
        for (uint32_t r = layout.headerCount; r < inFile; ++r) {
            size_t n = 0;
            s = file->readAt(hl + uint64_t(r) * rl, rec.data(), rl, n);
            if (!s)
                return s;
            if (n != rl || (rec[0] != dbf::kLiveFlag && rec[0] != dbf::kDeletedFlag))
                break;
            ++extra;
        }
    }
    const uint32_t whole = counted + extra;
    if (layout.headerCount > inFile)
        out.problem(kHeader, dbferr::finding::countTooLarge(layout.headerCount, inFile));
    if (extra > 0)
        out.problem(kHeader, dbferr::finding::uncountedRecords(extra, layout.headerCount));

    const uint64_t dataEnd = uint64_t(hl) + uint64_t(whole) * rl;
    const uint64_t tail = st.size - dataEnd;
    uint8_t mark = 0;
    if (tail > 0) {
        size_t n = 0;
        s = file->readAt(dataEnd, &mark, 1, n);
        if (!s)
            return s;
    }
    bool fixEof = false;
    if (tail == 0) {
        out.problem(kHeader, dbferr::finding::noEndMark());
        fixEof = true;
    } else if (mark != dbf::kEndOfFile || tail > 1) {
        out.problem(kHeader, dbferr::finding::tailNotEndMark(tail));
        fixEof = true;
    }

    // Deleted flags and numbers, in blocks.
    const uint32_t block = uint32_t(std::max<size_t>(1, kCopyBlock / rl));
    for (uint32_t first = 0; first < whole; first += block) {
        const uint32_t want = std::min(block, whole - first);
        buf.resize(size_t(want) * rl);
        size_t n = 0;
        s = file->readAt(hl + uint64_t(first) * rl, buf.data(), buf.size(), n);
        if (!s)
            return s;
        const uint32_t have = uint32_t(n / rl);
        for (uint32_t i = 0; i < have; ++i) {
            const uint8_t *rec = buf.data() + size_t(i) * rl;
            const uint32_t recno = first + i + 1;
            if (rec[0] != dbf::kLiveFlag && rec[0] != dbf::kDeletedFlag)
                out.problem(kFlag, dbferr::finding::badDeletedFlag(recno, rec[0]));
            for (const FieldInfo &f : layout.fields) {
                if (f.type != 'N' && f.type != 'F')
                    continue;
                double v;
                if (parseNumberKind(rec + f.offset, f.length, v) == NumberKind::Invalid) {
                    std::string text;
                    for (int k = 0; k < f.length; ++k) {
                        uint8_t c = rec[f.offset + k];
                        text.push_back(c >= 0x20 && c != 0x7F ? char(c) : '?');
                    }
                    out.problem(kNumber, dbferr::finding::notNumber(recno, f.name, text));
                }
            }
        }
        if (have < want)
            break;
    }
    out.summarize(kFlag, dbferr::finding::moreBadFlags());
    out.summarize(kNumber, dbferr::finding::moreNotNumbers());

    const bool fixCount = layout.headerCount != whole;
    if (!repair || (!fixCount && !fixEof && !fixRecordLength))
        return Status::ok();

    // Mend: keep the original, lock out other users, then write the header fields and the
    // end mark in place.
    if (file->tryLock(dbf::kLockBase, uint64_t(UINT32_MAX) + 1, true) != LockResult::Acquired)
        return dbferr::tableLocked();
    const std::string backup = target + ".bak";
    s = copyFile(fs, target, backup);
    if (!s)
        return s;
    out.say(dbferr::finding::keptOriginal(backup));
    if (fixRecordLength) {
        uint8_t le[2];
        dbf::writeLe16(le, uint16_t(fixRecordLength));
        s = file->writeAt(dbf::kOffRecordLength, le, 2);
        if (!s)
            return s;
        out.say(dbferr::finding::mendedRecordLength(fixRecordLength));
    }
    if (fixEof) {
        const uint8_t eof = dbf::kEndOfFile;
        s = file->writeAt(dataEnd, &eof, 1);
        if (!s)
            return s;
        if (tail > 1)
            s = file->truncate(dataEnd + 1);
        if (!s)
            return s;
        out.say(dbferr::finding::mendedEndMark(whole));
    }
    if (fixCount) {
        uint8_t le[4];
        dbf::writeLe32(le, whole);
        s = file->writeAt(dbf::kOffRecordCount, le, 4);
        if (!s)
            return s;
        out.say(dbferr::finding::mendedCount(whole));
    }
    return file->sync();
}

Status packTable(FileSystem &fs, const std::string &path)
{
    std::unique_ptr<DbfFile> table;
    Status s = DbfFile::open(fs, path, true, table);
    if (!s)
        return s;
    if (!table->writable())
        return dbferr::readOnly(table->path());
    s = table->lockAll();
    if (!s)
        return s;
    s = table->refresh();
    if (!s)
        return s;
    const std::string target = table->path();
    s = copyFile(fs, target, target + ".bak");
    if (!s)
        return s;

    std::vector<uint8_t> header;
    s = table->readHeaderBytes(header);
    if (!s)
        return s;
    TempFile temp(fs, tempPathFor(target, "pack"));
    std::unique_ptr<File> out;
    s = fs.open(temp.path(), OpenMode::Replace, out);
    if (!s)
        return s;

    const uint32_t rl = table->recordLength();
    const uint32_t total = table->recordCount();
    const uint32_t block = uint32_t(std::max<size_t>(1, kCopyBlock / rl));
    std::vector<uint8_t> in, packed;
    uint64_t offset = header.size();
    uint32_t kept = 0;
    for (uint32_t first = 0; first < total; first += block) {
        uint32_t got = 0;
        s = table->readRecords(first, std::min(block, total - first), in, got);
        if (!s)
            return s;
        packed.clear();
        for (uint32_t i = 0; i < got; ++i) {
            const uint8_t *rec = in.data() + size_t(i) * rl;
            if (rec[0] != dbf::kDeletedFlag) {
                packed.insert(packed.end(), rec, rec + rl);
                ++kept;
            }
        }
        s = out->writeAt(offset, packed.data(), packed.size());
        if (!s)
            return s;
        offset += packed.size();
        if (got < std::min(block, total - first))
            break;
    }
    const uint8_t eof = dbf::kEndOfFile;
    s = out->writeAt(offset, &eof, 1);
    if (!s)
        return s;
    today(&header[dbf::kOffYear]);
    dbf::writeLe32(&header[dbf::kOffRecordCount], kept);
    s = out->writeAt(0, header.data(), header.size());
    if (!s)
        return s;
    s = out->sync();
    if (!s)
        return s;
    out.reset();
    s = fs.rename(temp.path(), target);
    if (!s)
        return s;
    temp.release();
    return fs.syncFolder(folderOf(target));
}

} // namespace dbe
