#pragma once

// The statement layer's state per engine: the tables its statements name, kept open with
// their sorted orders, and the cursors open on it.
//
// A sorted order is the table's record numbers in the order of an ORDER BY, deleted
// records included, built once per state of the file (FileIdentity) and reused, so a
// repeated search only filters the table and walks the order. Filtering always reads the
// file as it is now, so a deleted or changed record is seen at once.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "collate.h"
#include "dbengine.h"
#include "dbf.h"
#include "status.h"

namespace dbe {

// One table file kept open by the statement layer.
struct SqlTable
{
    std::unique_ptr<DbfFile> file;
    Collation collation; // of the file's code page
    FileIdentity identity; // the file state the orders were built for
    // ORDER BY key ("<field>a|d,...") -> record numbers (from 1) in that order.
    std::map<std::string, std::shared_ptr<const std::vector<uint32_t>>> orders;
};

class SqlState
{
public:
    SqlState() = default;
    ~SqlState(); // closes every cursor still open
    SqlState(const SqlState &) = delete;
    SqlState &operator=(const SqlState &) = delete;

    // Runs a statement (see dbe_query). On success `out` is a new cursor registered here.
    Status query(dbe_engine *engine, const char *sql, const dbe_param *params,
                 size_t paramCount, dbe_cursor *&out);
    // Unregisters and frees a cursor of this state.
    void closeCursor(dbe_cursor *cursor);

private:
    // The open table for a path, refreshed: reopened when replaced on disk, its orders
    // dropped when the file changed.
    Status table(const std::string &path, std::shared_ptr<SqlTable> &out);

    // Tables most recently used first; a few are kept.
    std::vector<std::pair<std::string, std::shared_ptr<SqlTable>>> m_tables;
    std::unordered_set<dbe_cursor *> m_cursors;
};

// The ORDER BY terms of a statement, resolved to field indices.
struct SortTerm
{
    int field = 0;
    bool descending = false;
};

// Builds the order of every record of `file` (deleted ones included) by the terms; ties
// keep record order. Record numbers from 1. `visit` (may be empty) sees each record as the
// build reads it, so a caller can filter in the same pass; it is called from two threads
// at once for a large table (`part` 0 or 1 tells which), for distinct records.
using RecordVisitor = std::function<void(unsigned part, uint32_t index, const uint8_t *record)>;
Status buildOrder(DbfFile &file, const Collation &collation, const std::vector<SortTerm> &terms,
                  std::vector<uint32_t> &order, const RecordVisitor &visit = {});

// Record numbers (from 1) of the records `accept` takes, ordered by the terms; ties keep
// record order, as in buildOrder. Only the matches are sorted. `accept` is called from two
// threads at once for a large table, for distinct records.
using RecordFilter = std::function<bool(const uint8_t *record)>;
Status sortMatching(DbfFile &file, const Collation &collation, const std::vector<SortTerm> &terms,
                    const RecordFilter &accept, std::vector<uint32_t> &rows);

} // namespace dbe

// The read-only result of a statement: record numbers in the statement's order. Cells are
// read from the file when asked: copied from a mapping of it, or read when that fails.
struct dbe_cursor
{
    dbe_engine *engine = nullptr;
    std::shared_ptr<dbe::SqlTable> table; // keeps the file open while the cursor lives
    std::vector<int> fields;              // the selected fields' indices in the table
    std::vector<uint32_t> rows;           // record numbers, from 1
    std::unique_ptr<dbe::FileMapping> mapping; // the records counted at query time, or null
    std::vector<uint8_t> record;          // the last record read, for its other cells
    uint32_t recordNo = 0;                // which record `record` holds, 0 none
    std::string text;                     // scratch for a cell's display text
};
