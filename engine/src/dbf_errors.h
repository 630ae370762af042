#pragma once

// Every failure text of the storage layer, in one place.

#include <string>

#include "status.h"

namespace dbe::dbferr {

Status notFound(const std::string &path);
Status io(const std::string &what, const std::string &path, int err);
Status ioShort(const std::string &path);
Status exists(const std::string &path);
// A damaged or foreign file; `what` says what is wrong.
Status corrupt(const std::string &path, const std::string &what);
Status readOnly(const std::string &path);
Status recordLocked();
Status tableLocked();
Status lockFailed(const std::string &path, int err);
Status deleted(uint32_t recno);
Status noRecord(uint32_t recno);
Status noFurtherRecord();
Status noNthRecord(uint32_t n, size_t live);
Status tooBusy();
Status tableFull();
Status replaced(const std::string &path);
Status misuse(const std::string &what);
Status noMemory();
Status tooLong(const std::string &field, size_t length, int width);
Status numberTooWide(const std::string &field, const std::string &value, int width,
                     int decimals);
Status tooManyDecimals(const std::string &field, const std::string &value, int decimals);
Status notNumber(const std::string &field, const std::string &value);
Status notLogical(const std::string &field, const std::string &value);
Status notDate(const std::string &field, const std::string &value);
Status notInCodePage(const std::string &field, int codePage);
Status typeNotWritable(const std::string &field, char type);
Status badFieldDef(const std::string &field, const std::string &what);
Status bufferTooSmall();

} // namespace dbe::dbferr
