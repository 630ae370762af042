#pragma once

// Every failure text of the storage layer, in one place.

#include <cstdint>
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
Status badLanguageDriver(int ldid);
Status badFieldCount(int max);
Status recordTooWide();
Status notRegularFile(const std::string &path);

// What is wrong with a header (the first line of a DBE_CORRUPT status, before the path).
namespace damage {
std::string tooShort();
std::string notDbase(uint8_t version);
std::string headerLengthTooSmall(uint32_t length);
std::string headerTruncated(uint32_t length, uint64_t fileSize);
std::string recordLengthTooSmall(uint32_t length);
std::string nameNotTerminated(size_t field);
std::string nameEmpty(size_t field);
std::string badType(const std::string &field, uint8_t type);
std::string zeroLength(const std::string &field);
std::string noTerminator();
std::string noFields();
std::string noBacklink();
std::string lengthsDisagree(uint32_t fieldSum, uint32_t recordLength);
std::string layoutChanged();
std::string headerCut();
} // namespace damage

// The lines of the check's report.
namespace finding {
std::string damaged(const std::string &what);
std::string notMendedHeader();
std::string notMendedRecordLength();
std::string countTooLarge(uint32_t counted, uint32_t inFile);
std::string uncountedRecords(uint32_t extra, uint32_t counted);
std::string noEndMark();
std::string tailNotEndMark(uint64_t bytes);
std::string badDeletedFlag(uint32_t recno, uint8_t flag);
std::string notNumber(uint32_t recno, const std::string &field, const std::string &text);
std::string more(int count, const std::string &what);
std::string moreBadFlags();
std::string moreNotNumbers();
std::string keptOriginal(const std::string &backup);
std::string mendedRecordLength(uint32_t length);
std::string mendedEndMark(uint32_t records);
std::string mendedCount(uint32_t records);
} // namespace finding

} // namespace dbe::dbferr
