/*
 * dbengine.h: the public C API of the database engine module.
 *
 * The engine reads and writes dBASE table files and runs a small local SQL over them.
 * It is loaded at run time (dlopen), so this header is the whole boundary between the
 * programs and the engine: opaque handles, result codes and, per failure, message lines.
 *
 * Conventions for every function below:
 * - Text crossing this API (statements, parameter text, field values, messages) is 8-bit
 *   Windows Cyrillic code page 1251, NUL-terminated unless a length is given. The engine
 *   converts to and from the table file's own code page.
 * - A function returning int returns DBE_OK or one of the DBE_* result codes. After a
 *   failure, dbe_errmsg() on the engine handle that the object belongs to gives the
 *   failure's message lines.
 * - An engine handle and everything opened from it are used from one thread at a time.
 * - Record numbers are the file's physical record numbers, counted from 1.
 */
#ifndef DBENGINE_H
#define DBENGINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define DBE_EXPORT __attribute__((visibility("default")))
#else
#define DBE_EXPORT
#endif

/* Bumped on every incompatible change; the loader refuses a module of another version. */
#define DBE_API_VERSION 1

typedef struct dbe_engine dbe_engine; /* one started engine */
typedef struct dbe_cursor dbe_cursor; /* the read-only result of a statement */
typedef struct dbe_table dbe_table;   /* a table file open for browsing and editing */

/* Result codes. */
enum {
    DBE_OK = 0,
    DBE_ERROR = 1,     /* failure without a more precise code */
    DBE_NOMEM = 2,     /* out of memory */
    DBE_MISUSE = 3,    /* bad argument, closed handle, wrong call order */
    DBE_NOTFOUND = 4,  /* table file missing (or no further record for dbe_table_seek) */
    DBE_IOERR = 5,     /* read or write failed */
    DBE_CORRUPT = 6,   /* not a dBASE table, or a damaged one */
    DBE_SYNTAX = 7,    /* statement cannot be parsed */
    DBE_NOFIELD = 8,   /* statement or call names a field the table lacks */
    DBE_PARAM = 9,     /* a parameter of the statement has no value, or a value of a wrong type */
    DBE_READONLY = 10, /* the table was opened read-only */
    DBE_LOCKED = 11,   /* a lock is held by another user */
    DBE_RANGE = 12,    /* a value does not fit its field (width, decimals); or a buffer too small */
    DBE_TYPE = 13,     /* a value is not valid for its field's type */
    DBE_EXISTS = 14,   /* dbe_table_create: file exists and overwriting was not asked for */
    DBE_DELETED = 15   /* the record is deleted (by this or another user) */
};

/* Module version, DBE_API_VERSION of the module. The loader checks it first. */
DBE_EXPORT int dbe_api_version(void);

/* Starts an engine. On success *out is a new engine that the caller closes with
 * dbe_close. On failure *out is NULL and the result code tells why (there is no handle
 * to ask for messages). */
DBE_EXPORT int dbe_open(dbe_engine **out);

/* Closes the engine and every cursor and table still open on it. NULL is allowed. */
DBE_EXPORT void dbe_close(dbe_engine *engine);

/* The message lines of the last failure on this engine, separated by '\n', without a
 * final line break; "" when the last call succeeded. Owned by the engine, valid until the
 * next call on it or on an object opened from it. */
DBE_EXPORT const char *dbe_errmsg(dbe_engine *engine);

/* The text of a result code, for callers without an engine handle. Static storage. */
DBE_EXPORT const char *dbe_errstr(int code);

/* ---- Fields ---------------------------------------------------------------------- */

typedef struct dbe_field_desc {
    char name[12]; /* as stored in the file (upper case by convention), NUL-terminated */
    char type;     /* 'C', 'N', 'F', 'L', 'D', or another type letter as stored */
    int length;    /* width in the record, in bytes */
    int decimals;  /* decimals of N and F fields, else 0 */
} dbe_field_desc;

/* ---- Statements ------------------------------------------------------------------ */

enum { DBE_PARAM_NULL = 0, DBE_PARAM_INT = 1, DBE_PARAM_TEXT = 2 };

typedef struct dbe_param {
    const char *name;       /* without the colon; matched without regard to case */
    int type;               /* DBE_PARAM_* */
    int64_t int_value;      /* for DBE_PARAM_INT */
    const char *text_value; /* for DBE_PARAM_TEXT, 1251 */
} dbe_param;

/* Runs a statement (lines joined with '\n') with the given named parameters and opens
 * its result. Parameters the statement does not use are ignored; a used one missing from
 * the array fails with DBE_PARAM. On success *out is a cursor that the caller closes with
 * dbe_cursor_close; its rows are a snapshot taken when the statement ran. */
DBE_EXPORT int dbe_query(dbe_engine *engine, const char *sql, const dbe_param *params,
                         size_t param_count, dbe_cursor **out);

DBE_EXPORT void dbe_cursor_close(dbe_cursor *cursor);
DBE_EXPORT int dbe_cursor_field_count(dbe_cursor *cursor);
DBE_EXPORT int dbe_cursor_field(dbe_cursor *cursor, int field, dbe_field_desc *out);
DBE_EXPORT int64_t dbe_cursor_row_count(dbe_cursor *cursor);

/* A cell's text in 1251, for rows 0 .. row_count-1 in the statement's order. Display
 * form: C text without trailing blanks; N and F without surrounding blanks, "" for an
 * empty value; L "T", "F" or ""; D "YYYYMMDD" or "". Writes at most bufsize bytes with a
 * terminating NUL and sets *len (may be NULL) to the text's full length; when the buffer
 * is too small the text is cut and DBE_RANGE returned. A cell is never longer than 65535
 * bytes. */
DBE_EXPORT int dbe_cursor_text(dbe_cursor *cursor, int64_t row, int field, char *buf,
                               size_t bufsize, size_t *len);

/* ---- Tables ---------------------------------------------------------------------- */

/* Opens a table file shared. Writable when the file can be written, else read-only
 * without an error (see dbe_table_readonly). A path without a folder is relative to the
 * current folder. Like all text here a path is 1251; the file is found under the UTF-8
 * form of the path, else under the bytes as given, else under a name that differs only in
 * letter case (Latin or Cyrillic). The same holds for every call that takes a path and
 * for the tables named in statements. */
DBE_EXPORT int dbe_table_open(dbe_engine *engine, const char *path, dbe_table **out);
DBE_EXPORT void dbe_table_close(dbe_table *table); /* releases every lock it holds */
DBE_EXPORT int dbe_table_readonly(dbe_table *table); /* 1 read-only, 0 writable */
DBE_EXPORT int dbe_table_field_count(dbe_table *table);
DBE_EXPORT int dbe_table_field(dbe_table *table, int field, dbe_field_desc *out);

/* Re-reads the header; *record_count is the number of physical records (deleted ones
 * included) that the file holds whole: the smaller of the header's count and what the
 * file's size holds. */
DBE_EXPORT int dbe_table_refresh(dbe_table *table, uint32_t *record_count);

/* Number of records not marked deleted (reads the deleted flags). */
DBE_EXPORT int dbe_table_live_count(dbe_table *table, uint32_t *count);

/* The nearest record not marked deleted strictly after (direction +1) or before
 * (direction -1) record `from`; from = 0 with +1 finds the first, from = UINT32_MAX with
 * -1 finds the last. DBE_NOTFOUND when there is none. */
DBE_EXPORT int dbe_table_seek(dbe_table *table, uint32_t from, int direction, uint32_t *recno);

/* The n-th (0-based) record not marked deleted, in record order. DBE_NOTFOUND past the end. */
DBE_EXPORT int dbe_table_nth(dbe_table *table, uint32_t n, uint32_t *recno);

/* 1 when the record is marked deleted, 0 when not, negative DBE code on failure. */
DBE_EXPORT int dbe_table_is_deleted(dbe_table *table, uint32_t recno);

/* A field's text of a record, read from the file now; display form and buffer rules as
 * for dbe_cursor_text. */
DBE_EXPORT int dbe_table_text(dbe_table *table, uint32_t recno, int field, char *buf,
                              size_t bufsize, size_t *len);

/* Record lock (1 byte at the lock offset of the record). Fails at once with DBE_LOCKED
 * when another user holds it. Locking a record this table already holds succeeds. */
DBE_EXPORT int dbe_table_lock(dbe_table *table, uint32_t recno);
DBE_EXPORT int dbe_table_unlock(dbe_table *table, uint32_t recno);

/* Writes new values into a stored record. values has one entry per field: NULL keeps the
 * stored value, "" empties the field, else the 1251 text of the value (C: at most the
 * field's length; N/F: a number that fits width and decimals; L: T/F/Y/N/?; D: YYYYMMDD).
 * Takes the record lock for the write when it is not held, and gives it back after. A
 * value that does not fit fails with DBE_RANGE or DBE_TYPE, naming the field, and writes
 * nothing. */
DBE_EXPORT int dbe_table_update(dbe_table *table, uint32_t recno, const char *const *values);

/* Appends records: `count` rows of field_count values each (row-major, NULL or "" for an
 * empty field). All rows are validated first; then written whole, and only then counted
 * in the header. Takes the header lock for the duration. *first_recno (may be NULL) gets
 * the number of the first new record. */
DBE_EXPORT int dbe_table_append(dbe_table *table, const char *const *values, size_t count,
                                uint32_t *first_recno);

/* Marks a record deleted (takes its lock for the write when not held). */
DBE_EXPORT int dbe_table_delete(dbe_table *table, uint32_t recno);

/* ---- Whole-file operations (the table tool) -------------------------------------- */

enum { DBE_LDID_866 = 0x26, DBE_LDID_1251 = 0xC9 }; /* language driver bytes */
enum { DBE_CREATE_OVERWRITE = 1 };

/* Creates an empty dBASE III table with these fields and language driver byte. Fails
 * with DBE_EXISTS when the file exists and DBE_CREATE_OVERWRITE is not in flags. */
DBE_EXPORT int dbe_table_create(dbe_engine *engine, const char *path,
                                const dbe_field_desc *fields, int field_count,
                                int language_driver, int flags);

/* One finding of dbe_table_check, a line of text in 1251. */
typedef void (*dbe_report_fn)(void *context, const char *line);

/* Checks a table file and reports each problem through report (may be NULL). *problems
 * gets their number; DBE_OK is returned when the check could run, whatever it found.
 * With repair != 0 it mends what can be mended without losing a record, after copying
 * the original beside it (path + ".bak"), and reports what it did. */
DBE_EXPORT int dbe_table_check(dbe_engine *engine, const char *path, int repair,
                               dbe_report_fn report, void *context, int *problems);

/* Removes deleted records for good: writes a packed copy, then replaces the file with it
 * in one rename, after keeping the original as path + ".bak". Fails with DBE_LOCKED while
 * another user holds the header lock or any record lock. */
DBE_EXPORT int dbe_table_pack(dbe_engine *engine, const char *path);

#ifdef __cplusplus
}
#endif

#endif /* DBENGINE_H */
