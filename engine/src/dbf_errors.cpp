#include "dbf_errors.h"

#include <cstring>

namespace dbe::dbferr {

namespace {
std::string inTable(const std::string &path) { return "Table: " + path; }
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

} // namespace dbe::dbferr
