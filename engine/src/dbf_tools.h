#pragma once

// Whole-file operations on tables: create, check (and repair), pack. Paths are 1251 text,
// found on disk as resolvePath() tells.

#include <functional>
#include <string>
#include <vector>

#include "dbf_field.h"
#include "fileio.h"
#include "status.h"

namespace dbe {

// Creates an empty dBASE III table (version 0x03) with these fields and language driver
// byte. Field names are stored in upper case. DBE_EXISTS when the file (or one whose name
// differs only in letter case) exists and overwrite is false; DBE_MISUSE for a field
// definition this engine cannot write (naming it). The new file appears whole or not at
// all.
Status createTable(FileSystem &fs, const std::string &path, const std::vector<FieldInfo> &fields,
                   int languageDriver, bool overwrite);

// The bytes of an empty table with these fields (no validation; used by createTable).
std::vector<uint8_t> emptyTableBytes(const std::vector<FieldInfo> &fields, uint8_t languageDriver);

// Checks a table file; each finding goes to `report` (1251 text) and counts in `problems`.
// With repair, first copies the file to path + ".bak", then mends what can be mended
// without losing a record and reports each mend. Fails (no check) with DBE_NOTFOUND,
// DBE_IOERR, and with DBE_LOCKED when repairing a table that another user has locked.
Status checkTable(FileSystem &fs, const std::string &path, bool repair,
                  const std::function<void(const std::string &)> &report, int &problems);

// Removes deleted records: keeps the original as path + ".bak", writes the packed table to
// a temporary file beside it, flushes it and renames it over the table. DBE_LOCKED while
// another user holds the header lock or a record lock; DBE_READONLY when the file cannot
// be written.
Status packTable(FileSystem &fs, const std::string &path);

} // namespace dbe
