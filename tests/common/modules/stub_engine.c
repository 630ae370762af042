/* A stand-in engine module for the loader's tests. Built several times: with a wrong
 * version (STUB_VERSION), without a function (STUB_OMIT_QUERY), with a failing start
 * (STUB_OPEN_FAILS), or complete. Statements fail; every table path opens the same
 * read-only table of two entries. */
#include "dbengine.h"

#ifndef STUB_VERSION
#define STUB_VERSION DBE_API_VERSION
#endif

struct dbe_engine {
    int unused;
};
#ifndef STUB_OPEN_FAILS
static struct dbe_engine the_engine;
#endif

DBE_EXPORT int dbe_api_version(void) { return STUB_VERSION; }

DBE_EXPORT int dbe_open(dbe_engine **out)
{
#ifdef STUB_OPEN_FAILS
    *out = 0;
    return DBE_IOERR;
#else
    *out = &the_engine;
    return DBE_OK;
#endif
}

DBE_EXPORT void dbe_close(dbe_engine *engine) { (void)engine; }
DBE_EXPORT const char *dbe_errmsg(dbe_engine *engine)
{
    (void)engine;
    return "Stub engine\nHolds no tables\nStub engine";
}
DBE_EXPORT const char *dbe_errstr(int code)
{
    (void)code;
    return "stub";
}

#ifndef STUB_OMIT_QUERY
DBE_EXPORT int dbe_query(dbe_engine *e, const char *sql, const dbe_param *p, size_t n,
                         dbe_cursor **out)
{
    (void)e, (void)sql, (void)p, (void)n;
    *out = 0;
    return DBE_NOTFOUND;
}
#endif

DBE_EXPORT void dbe_cursor_close(dbe_cursor *c) { (void)c; }
DBE_EXPORT int dbe_cursor_field_count(dbe_cursor *c) { (void)c; return 0; }
DBE_EXPORT int dbe_cursor_field(dbe_cursor *c, int f, dbe_field_desc *out)
{
    (void)c, (void)f, (void)out;
    return DBE_MISUSE;
}
DBE_EXPORT int64_t dbe_cursor_row_count(dbe_cursor *c) { (void)c; return 0; }
DBE_EXPORT int dbe_cursor_text(dbe_cursor *c, int64_t r, int f, char *b, size_t s, size_t *l)
{
    (void)c, (void)r, (void)f, (void)b, (void)s, (void)l;
    return DBE_MISUSE;
}
/* Tables: one read-only table of two entries whatever the path. */
struct dbe_table {
    int unused;
};
static struct dbe_table the_table;
static const char *const names[] = {"A", "B"};
enum { stub_records = 2 };

DBE_EXPORT int dbe_table_open(dbe_engine *e, const char *path, dbe_table **out)
{
    (void)e, (void)path;
    *out = &the_table;
    return DBE_OK;
}
DBE_EXPORT void dbe_table_close(dbe_table *t) { (void)t; }
DBE_EXPORT int dbe_table_readonly(dbe_table *t) { (void)t; return 1; }
DBE_EXPORT int dbe_table_field_count(dbe_table *t) { (void)t; return 1; }
DBE_EXPORT int dbe_table_field(dbe_table *t, int f, dbe_field_desc *out)
{
    (void)t;
    if (f != 0)
        return DBE_MISUSE;
    out->name[0] = 'F', out->name[1] = 'I', out->name[2] = 'O', out->name[3] = 0;
    out->type = 'C';
    out->length = 10;
    out->decimals = 0;
    return DBE_OK;
}
DBE_EXPORT int dbe_table_refresh(dbe_table *t, uint32_t *n)
{
    (void)t;
    *n = stub_records;
    return DBE_OK;
}
DBE_EXPORT int dbe_table_live_count(dbe_table *t, uint32_t *n)
{
    (void)t;
    *n = stub_records;
    return DBE_OK;
}
DBE_EXPORT int dbe_table_seek(dbe_table *t, uint32_t from, int d, uint32_t *r)
{
    (void)t;
    if (d > 0 && from < stub_records) {
        *r = from + 1;
        return DBE_OK;
    }
    if (d < 0 && from > 1) {
        *r = from > stub_records ? stub_records : from - 1;
        return DBE_OK;
    }
    return DBE_NOTFOUND;
}
DBE_EXPORT int dbe_table_nth(dbe_table *t, uint32_t n, uint32_t *r)
{
    (void)t;
    if (n >= stub_records)
        return DBE_NOTFOUND;
    *r = n + 1;
    return DBE_OK;
}
DBE_EXPORT int dbe_table_is_deleted(dbe_table *t, uint32_t r) { (void)t, (void)r; return 0; }
DBE_EXPORT int dbe_table_text(dbe_table *t, uint32_t r, int f, char *b, size_t s, size_t *l)
{
    (void)t;
    if (r < 1 || r > stub_records || f != 0 || s < 2)
        return DBE_MISUSE;
    b[0] = names[r - 1][0];
    b[1] = 0;
    if (l)
        *l = 1;
    return DBE_OK;
}
/* Every change is refused as the engine refuses it on a read-only table. */
DBE_EXPORT int dbe_table_lock(dbe_table *t, uint32_t r) { (void)t, (void)r; return DBE_READONLY; }
DBE_EXPORT int dbe_table_unlock(dbe_table *t, uint32_t r) { (void)t, (void)r; return DBE_OK; }
DBE_EXPORT int dbe_table_update(dbe_table *t, uint32_t r, const char *const *v)
{
    (void)t, (void)r, (void)v;
    return DBE_READONLY;
}
DBE_EXPORT int dbe_table_append(dbe_table *t, const char *const *v, size_t n, uint32_t *f)
{
    (void)t, (void)v, (void)n, (void)f;
    return DBE_READONLY;
}
DBE_EXPORT int dbe_table_delete(dbe_table *t, uint32_t r) { (void)t, (void)r; return DBE_READONLY; }
