// The engine's C API: engine handles, messages and statements with their cursors. (The
// table functions live with the storage layer.)

#include <cstring>
#include <new>

#include "dbengine.h"
#include "dbf_field.h"
#include "engine_handle.h"
#include "sql_errors.h"
#include "sql_state.h"

namespace {

// Copies text into the caller's buffer under the API's rules for cell text.
int copyOut(const std::string &text, char *buf, size_t bufsize, size_t *len)
{
    if (len)
        *len = text.size();
    if (!buf || bufsize == 0)
        return DBE_RANGE;
    const size_t n = std::min(text.size(), bufsize - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return n == text.size() ? DBE_OK : DBE_RANGE;
}

const char *const kCodeTexts[] = {
    "not an error",
    "engine error",
    "out of memory",
    "invalid use of the engine",
    "table or record not found",
    "read or write failed",
    "not a dBASE table, or a damaged one",
    "statement syntax error",
    "invalid field name",
    "parameter without a value or of a wrong type",
    "table is read-only",
    "locked by another user",
    "value out of range",
    "value of a wrong type",
    "file exists",
    "record is deleted",
};

} // namespace

extern "C" DBE_EXPORT int dbe_api_version(void)
{
    return DBE_API_VERSION;
}

extern "C" DBE_EXPORT int dbe_open(dbe_engine **out)
{
    if (!out)
        return DBE_MISUSE;
    *out = nullptr;
    auto *engine = new (std::nothrow) dbe_engine;
    if (!engine)
        return DBE_NOMEM;
    engine->sql.reset(new (std::nothrow) dbe::SqlState);
    if (!engine->sql) {
        delete engine;
        return DBE_NOMEM;
    }
    *out = engine;
    return DBE_OK;
}

extern "C" DBE_EXPORT void dbe_close(dbe_engine *engine)
{
    // The handle's members close what is still open on it: cursors with the statement
    // layer's state, tables with theirs.
    delete engine;
}

extern "C" DBE_EXPORT const char *dbe_errmsg(dbe_engine *engine)
{
    return engine ? engine->errmsg.c_str() : "";
}

extern "C" DBE_EXPORT const char *dbe_errstr(int code)
{
    if (code >= 0 && size_t(code) < sizeof kCodeTexts / sizeof kCodeTexts[0])
        return kCodeTexts[code];
    return "unknown result code";
}

extern "C" DBE_EXPORT int dbe_query(dbe_engine *engine, const char *sql, const dbe_param *params,
                                    size_t param_count, dbe_cursor **out)
{
    if (out)
        *out = nullptr;
    if (!engine)
        return DBE_MISUSE;
    if (!sql || !out || (!params && param_count > 0))
        return engine->report(dbe::sqlerr::misuse("dbe_query without a statement or result"));
    dbe_cursor *cursor = nullptr;
    dbe::Status s;
    try {
        s = engine->sql->query(engine, sql, params, param_count, cursor);
    } catch (const std::bad_alloc &) {
        s = dbe::sqlerr::noMemory();
    }
    if (s)
        *out = cursor;
    return engine->report(s);
}

extern "C" DBE_EXPORT void dbe_cursor_close(dbe_cursor *cursor)
{
    if (cursor)
        cursor->engine->sql->closeCursor(cursor);
}

extern "C" DBE_EXPORT int dbe_cursor_field_count(dbe_cursor *cursor)
{
    return cursor ? int(cursor->fields.size()) : 0;
}

extern "C" DBE_EXPORT int dbe_cursor_field(dbe_cursor *cursor, int field, dbe_field_desc *out)
{
    if (!cursor)
        return DBE_MISUSE;
    if (!out || field < 0 || size_t(field) >= cursor->fields.size())
        return cursor->engine->report(dbe::sqlerr::misuse("no such field in the result"));
    const dbe::FieldInfo &f = cursor->table->file->fields()[size_t(cursor->fields[size_t(field)])];
    std::memset(out, 0, sizeof *out);
    std::strncpy(out->name, f.name.c_str(), sizeof out->name - 1);
    out->type = f.type;
    out->length = f.length;
    out->decimals = f.decimals;
    return cursor->engine->report(dbe::Status::ok());
}

extern "C" DBE_EXPORT int64_t dbe_cursor_row_count(dbe_cursor *cursor)
{
    return cursor ? int64_t(cursor->rows.size()) : 0;
}

extern "C" DBE_EXPORT int dbe_cursor_text(dbe_cursor *cursor, int64_t row, int field, char *buf,
                                          size_t bufsize, size_t *len)
{
    if (len)
        *len = 0;
    if (!cursor)
        return DBE_MISUSE;
    dbe_engine *engine = cursor->engine;
    if (row < 0 || uint64_t(row) >= cursor->rows.size() || field < 0 ||
        size_t(field) >= cursor->fields.size())
        return engine->report(dbe::sqlerr::misuse("no such row or field in the result"));
    const uint32_t recno = cursor->rows[size_t(row)];
    dbe::DbfFile &file = *cursor->table->file;
    try {
        if (cursor->recordNo != recno) {
            cursor->recordNo = 0;
            if (!cursor->mapping || !file.copyRecord(*cursor->mapping, recno, cursor->record)) {
                dbe::Status s = file.readRecord(recno, cursor->record);
                if (!s)
                    return engine->report(s);
            }
            cursor->recordNo = recno;
            // Callers read rows in turn (a list, a page of a grid): start on one a little ahead.
            constexpr uint64_t kPrefetchRows = 12;
            if (cursor->mapping && uint64_t(row) + kPrefetchRows < cursor->rows.size())
                file.prefetchRecord(*cursor->mapping, cursor->rows[size_t(row) + kPrefetchRows]);
        }
        const dbe::FieldInfo &f = file.fields()[size_t(cursor->fields[size_t(field)])];
        dbe::displayText(f, cursor->record.data() + f.offset, file.toCp1251(), cursor->text);
    } catch (const std::bad_alloc &) {
        return engine->report(dbe::sqlerr::noMemory());
    }
    const int rc = copyOut(cursor->text, buf, bufsize, len);
    return engine->report(rc == DBE_OK ? dbe::Status::ok() : dbe::sqlerr::bufferTooSmall());
}
