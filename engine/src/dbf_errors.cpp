#include "dbf_errors.h"

#include <cstdio>
#include <cstring>

#include "fileio.h"

namespace dbe::dbferr {

namespace {
std::string inTable(const std::string &path) { return "Table: " + shownPath(path); }
} // namespace

Status notFound(const std::string &path)
{
    return Status::error(DBE_NOTFOUND, "Table does not exist.").addLine(inTable(path));
}

Status io(const std::string &what, const std::string &path, int err)
{
    return Status::error(DBE_IOERR, what + " failed: " + std::strerror(err) + ".")
        .addLine(inTable(path));
}

Status ioShort(const std::string &path)
{
    return Status::error(DBE_IOERR, "Write failed: the disk took only part of the data.")
        .addLine(inTable(path));
}

Status exists(const std::string &path)
{
    return Status::error(DBE_EXISTS, "Table already exists.").addLine(inTable(path));
}

Status corrupt(const std::string &path, const std::string &what)
{
    return Status::error(DBE_CORRUPT, "Damaged or not a dBASE table: " + what + ".")
        .addLine(inTable(path));
}

Status readOnly(const std::string &path)
{
    return Status::error(DBE_READONLY, "Table is read only.").addLine(inTable(path));
}

Status recordLocked()
{
    return Status::error(DBE_LOCKED, "Record locked by another user.");
}

Status tableLocked()
{
    return Status::error(DBE_LOCKED, "Table is locked by another user.");
}

Status lockFailed(const std::string &path, int err)
{
    return Status::error(DBE_IOERR, std::string("Lock failed: ") + std::strerror(err) + ".")
        .addLine(inTable(path));
}

Status deleted(uint32_t recno)
{
    return Status::error(DBE_DELETED,
                         "Record " + std::to_string(recno) + " was deleted by another user.");
}

Status noRecord(uint32_t recno)
{
    return Status::error(DBE_NOTFOUND, "Record " + std::to_string(recno) + " does not exist.");
}

Status noFurtherRecord() { return Status::error(DBE_NOTFOUND, "No further record."); }

Status noNthRecord(uint32_t n, size_t live)
{
    return Status::error(DBE_NOTFOUND, "No record " + std::to_string(uint64_t(n) + 1) +
                                           " among the " + std::to_string(live) +
                                           " records of the table.");
}

Status tooBusy()
{
    return Status::error(DBE_ERROR, "The table changes too fast to find a record; try again.");
}

Status tableFull() { return Status::error(DBE_RANGE, "The table cannot hold more records."); }

Status replaced(const std::string &path)
{
    return Status::error(DBE_ERROR,
                         "Table was replaced by another program; open it again to change it.")
        .addLine(inTable(path));
}

Status misuse(const std::string &what) { return Status::error(DBE_MISUSE, what); }

Status noMemory() { return Status::error(DBE_NOMEM, "Insufficient memory for this operation."); }

Status tooLong(const std::string &field, size_t length, int width)
{
    return Status::error(DBE_RANGE, "Value too long for field '" + field + "': " +
                                        std::to_string(length) + " characters, at most " +
                                        std::to_string(width) + ".");
}

Status numberTooWide(const std::string &field, const std::string &value, int width,
                     int decimals)
{
    return Status::error(DBE_RANGE, "Value " + value + " does not fit field '" + field +
                                        "' (width " + std::to_string(width) + ", decimals " +
                                        std::to_string(decimals) + ").");
}

Status tooManyDecimals(const std::string &field, const std::string &value, int decimals)
{
    return Status::error(DBE_RANGE, "Value " + value + " has more than " +
                                        std::to_string(decimals) + " decimals for field '" +
                                        field + "'.");
}

Status notNumber(const std::string &field, const std::string &value)
{
    return Status::error(DBE_TYPE, "'" + value + "' is not a number for field '" + field + "'.");
}

Status notLogical(const std::string &field, const std::string &value)
{
    return Status::error(DBE_TYPE,
                         "'" + value + "' is not a logical value (T, F, Y, N, ?) for field '" +
                             field + "'.");
}

Status notDate(const std::string &field, const std::string &value)
{
    return Status::error(DBE_TYPE,
                         "'" + value + "' is not a date (YYYYMMDD) for field '" + field + "'.");
}

Status notInCodePage(const std::string &field, int codePage)
{
    return Status::error(DBE_TYPE, "Value for field '" + field +
                                       "' holds a character that code page " +
                                       std::to_string(codePage) + " cannot store.");
}

Status typeNotWritable(const std::string &field, char type)
{
    return Status::error(DBE_TYPE, std::string("Field '") + field + "' of type " + type +
                                       " cannot be written by this engine.");
}

Status badFieldDef(const std::string &field, const std::string &what)
{
    return Status::error(DBE_MISUSE, "Invalid field definition '" + field + "': " + what + ".");
}

Status bufferTooSmall() { return Status::error(DBE_RANGE, "Buffer too small for the value."); }


Status notRegularFile(const std::string &path)
{
    return Status::error(DBE_IOERR, "Not a regular file.").addLine(inTable(path));
}

namespace {
std::string hexByte(uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}
std::string num(uint64_t v) { return std::to_string(v); }
} // namespace

Status badLanguageDriver(int ldid)
{
    return Status::error(DBE_MISUSE, "Unknown language driver " + hexByte(uint8_t(ldid)) + ".");
}

Status badFieldCount(int max)
{
    return Status::error(DBE_MISUSE, "A table has 1 to " + std::to_string(max) + " fields.");
}

Status recordTooWide()
{
    return Status::error(DBE_MISUSE, "The fields are wider than a record can be.");
}

namespace damage {
std::string tooShort() { return "the file is shorter than a table header"; }
std::string notDbase(uint8_t version)
{
    return "not a dBASE table (version byte " + hexByte(version) + ")";
}
std::string headerLengthTooSmall(uint32_t length)
{
    return "header length " + num(length) + " is too small";
}
std::string headerTruncated(uint32_t length, uint64_t fileSize)
{
    return "the header is truncated (header length " + num(length) + ", file size " +
           num(fileSize) + ")";
}
std::string recordLengthTooSmall(uint32_t length)
{
    return "record length " + num(length) + " is too small";
}
std::string nameNotTerminated(size_t field)
{
    return "the name of field " + num(field) + " is not terminated";
}
std::string nameEmpty(size_t field) { return "field " + num(field) + " has no name"; }
std::string badType(const std::string &field, uint8_t type)
{
    return "field " + field + " has an invalid type byte " + hexByte(type);
}
std::string zeroLength(const std::string &field) { return "field " + field + " has length 0"; }
std::string noTerminator() { return "the field descriptors lack their terminator"; }
std::string noFields() { return "the table has no fields"; }
std::string noBacklink() { return "the header lacks its backlink area"; }
std::string lengthsDisagree(uint32_t fieldSum, uint32_t recordLength)
{
    return "the field lengths (" + num(fieldSum) + ") do not add up to the record length (" +
           num(recordLength) + ")";
}
std::string layoutChanged() { return "the table's layout changed while it was open"; }
std::string headerCut() { return "the header is truncated"; }
} // namespace damage

namespace finding {
std::string damaged(const std::string &what) { return "Damaged or not a dBASE table: " + what + "."; }
std::string notMendedHeader() { return "Not mended: the header cannot be told right."; }
std::string notMendedRecordLength()
{
    return "Not mended: the record length cannot be told from the file.";
}
std::string countTooLarge(uint32_t counted, uint32_t inFile)
{
    return "The header counts " + num(counted) + " records, but the file holds only " +
           num(inFile) + " whole records.";
}
std::string uncountedRecords(uint32_t extra, uint32_t counted)
{
    return "The file holds " + num(extra) + " whole records after the " + num(counted) +
           " that the header counts.";
}
std::string noEndMark() { return "The end-of-file mark is missing."; }
std::string tailNotEndMark(uint64_t bytes)
{
    return num(bytes) + " bytes after the last whole record are not the end-of-file mark alone.";
}
std::string badDeletedFlag(uint32_t recno, uint8_t flag)
{
    return "Record " + num(recno) + " has an invalid deleted flag " + hexByte(flag) + ".";
}
std::string notNumber(uint32_t recno, const std::string &field, const std::string &text)
{
    return "Record " + num(recno) + ", field " + field + ": '" + text + "' is not a number.";
}
std::string more(int count, const std::string &what)
{
    return "... and " + std::to_string(count) + " more " + what + ".";
}
std::string moreBadFlags() { return "records with an invalid deleted flag"; }
std::string moreNotNumbers() { return "non-numeric values"; }
std::string keptOriginal(const std::string &backup)
{
    return "Kept the original as " + shownPath(backup) + ".";
}
std::string mendedRecordLength(uint32_t length)
{
    return "Mended: the record length is now " + num(length) + ".";
}
std::string mendedEndMark(uint32_t records)
{
    return "Mended: the file ends with the end-of-file mark after record " + num(records) + ".";
}
std::string mendedCount(uint32_t records)
{
    return "Mended: the header counts " + num(records) + " records.";
}
} // namespace finding

} // namespace dbe::dbferr
