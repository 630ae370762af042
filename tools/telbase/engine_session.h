#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbengine.h"

namespace telbase {

// Owning handles of the engine's objects: each closes its object when it goes.
struct EngineCloser
{
    void operator()(dbe_engine *engine) const { dbe_close(engine); }
};
struct TableCloser
{
    void operator()(dbe_table *table) const { dbe_table_close(table); }
};
struct CursorCloser
{
    void operator()(dbe_cursor *cursor) const { dbe_cursor_close(cursor); }
};
using EnginePtr = std::unique_ptr<dbe_engine, EngineCloser>;
using TablePtr = std::unique_ptr<dbe_table, TableCloser>;
using CursorPtr = std::unique_ptr<dbe_cursor, CursorCloser>;

// The message lines of a failed call, in UTF-8, each distinct line once; the code's own
// text when the engine gave none.
std::vector<std::string> engineMessage(dbe_engine *engine, int code);

struct Console;

// Starts the engine; null after reporting on the console why it would not start.
EnginePtr startEngine(const Console &console);
// Opens a table file; null after reporting the engine's message on the console.
TablePtr openTable(dbe_engine *engine, const std::string &path, const Console &console);
// Reports a failed call's message lines on the console.
void printEngineError(const Console &console, dbe_engine *engine, int code);

// A table's fields, in their order.
std::vector<dbe_field_desc> tableFields(dbe_table *table);

} // namespace telbase
