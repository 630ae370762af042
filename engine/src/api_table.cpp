// The table functions of the engine's C API: thin wrappers that record each outcome on
// the engine handle.

#include <cstring>
#include <set>

#include "dbengine.h"
#include "dbf_errors.h"
#include "dbf_table.h"
#include "dbf_tools.h"
#include "engine_handle.h"

struct dbe_table
{
    dbe_engine *engine = nullptr;
    std::unique_ptr<dbe::Table> table;
};

namespace dbe {

// The tables open on an engine; destroying the engine closes them.
class TableRegistry
{
public:
    ~TableRegistry()
    {
        for (dbe_table *t : open)
            delete t;
    }
    std::set<dbe_table *> open;
};

} // namespace dbe

namespace {

int misuse(dbe_engine *engine, const char *what)
{
    return engine ? engine->report(dbe::dbferr::misuse(what)) : DBE_MISUSE;
}

int copyText(const std::string &text, char *buf, size_t bufsize, size_t *len)
{
    if (len)
        *len = text.size();
    if (bufsize == 0 || !buf)
        return DBE_RANGE;
    const size_t n = std::min(text.size(), bufsize - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return n == text.size() ? DBE_OK : DBE_RANGE;
}

void fillDesc(const dbe::FieldInfo &f, dbe_field_desc *out)
{
    std::memset(out, 0, sizeof *out);
    std::strncpy(out->name, f.name.c_str(), sizeof out->name - 1);
    out->type = f.type;
    out->length = f.length;
    out->decimals = f.decimals;
}

} // namespace

extern "C" {

DBE_EXPORT int dbe_table_open(dbe_engine *engine, const char *path, dbe_table **out)
{
    if (out)
        *out = nullptr;
    if (!engine)
        return DBE_MISUSE;
    if (!path || !out)
        return misuse(engine, "dbe_table_open needs a path and a place for the table.");
    std::unique_ptr<dbe::Table> table;
    dbe::Status s = dbe::Table::open(dbe::FileSystem::posix(), path, table);
    if (!s)
        return engine->report(s);
    auto *t = new dbe_table;
    t->engine = engine;
    t->table = std::move(table);
    if (!engine->tables)
        engine->tables = std::make_shared<dbe::TableRegistry>();
    engine->tables->open.insert(t);
    *out = t;
    return engine->report(dbe::Status::ok());
}

DBE_EXPORT void dbe_table_close(dbe_table *table)
{
    if (!table)
        return;
    if (table->engine->tables)
        table->engine->tables->open.erase(table);
    delete table;
}

DBE_EXPORT int dbe_table_readonly(dbe_table *table)
{
    return table && table->table->readOnly() ? 1 : 0;
}

DBE_EXPORT int dbe_table_field_count(dbe_table *table)
{
    return table ? int(table->table->file().fields().size()) : 0;
}

DBE_EXPORT int dbe_table_field(dbe_table *table, int field, dbe_field_desc *out)
{
    if (!table)
        return DBE_MISUSE;
    const auto &fields = table->table->file().fields();
    if (!out || field < 0 || size_t(field) >= fields.size())
        return misuse(table->engine, "Field number out of range.");
    fillDesc(fields[size_t(field)], out);
    return table->engine->report(dbe::Status::ok());
}

DBE_EXPORT int dbe_table_refresh(dbe_table *table, uint32_t *record_count)
{
    if (!table)
        return DBE_MISUSE;
    uint32_t count = 0;
    dbe::Status s = table->table->refresh(count);
    if (s && record_count)
        *record_count = count;
    return table->engine->report(s);
}

DBE_EXPORT int dbe_table_live_count(dbe_table *table, uint32_t *count)
{
    if (!table)
        return DBE_MISUSE;
    if (!count)
        return misuse(table->engine, "dbe_table_live_count needs a place for the count.");
    return table->engine->report(table->table->liveCount(*count));
}

DBE_EXPORT int dbe_table_seek(dbe_table *table, uint32_t from, int direction, uint32_t *recno)
{
    if (!table)
        return DBE_MISUSE;
    if (!recno)
        return misuse(table->engine, "dbe_table_seek needs a place for the record number.");
    return table->engine->report(table->table->seek(from, direction, *recno));
}

DBE_EXPORT int dbe_table_nth(dbe_table *table, uint32_t n, uint32_t *recno)
{
    if (!table)
        return DBE_MISUSE;
    if (!recno)
        return misuse(table->engine, "dbe_table_nth needs a place for the record number.");
    return table->engine->report(table->table->nth(n, *recno));
}

DBE_EXPORT int dbe_table_is_deleted(dbe_table *table, uint32_t recno)
{
    if (!table)
        return -DBE_MISUSE;
    bool deleted = false;
    dbe::Status s = table->table->isDeleted(recno, deleted);
    int code = table->engine->report(s);
    return code != DBE_OK ? -code : (deleted ? 1 : 0);
}

DBE_EXPORT int dbe_table_text(dbe_table *table, uint32_t recno, int field, char *buf,
                              size_t bufsize, size_t *len)
{
    if (!table)
        return DBE_MISUSE;
    std::string text;
    dbe::Status s = table->table->text(recno, field, text);
    if (!s)
        return table->engine->report(s);
    if (copyText(text, buf, bufsize, len) != DBE_OK)
        return table->engine->report(dbe::dbferr::bufferTooSmall());
    return table->engine->report(dbe::Status::ok());
}

DBE_EXPORT int dbe_table_lock(dbe_table *table, uint32_t recno)
{
    if (!table)
        return DBE_MISUSE;
    return table->engine->report(table->table->lock(recno));
}

DBE_EXPORT int dbe_table_unlock(dbe_table *table, uint32_t recno)
{
    if (!table)
        return DBE_MISUSE;
    table->table->unlock(recno);
    return table->engine->report(dbe::Status::ok());
}

DBE_EXPORT int dbe_table_update(dbe_table *table, uint32_t recno, const char *const *values)
{
    if (!table)
        return DBE_MISUSE;
    return table->engine->report(table->table->update(recno, values));
}

DBE_EXPORT int dbe_table_append(dbe_table *table, const char *const *values, size_t count,
                                uint32_t *first_recno)
{
    if (!table)
        return DBE_MISUSE;
    uint32_t first = 0;
    dbe::Status s = table->table->append(values, count, first);
    if (s && first_recno)
        *first_recno = first;
    return table->engine->report(s);
}

DBE_EXPORT int dbe_table_delete(dbe_table *table, uint32_t recno)
{
    if (!table)
        return DBE_MISUSE;
    return table->engine->report(table->table->remove(recno));
}

DBE_EXPORT int dbe_table_create(dbe_engine *engine, const char *path,
                                const dbe_field_desc *fields, int field_count,
                                int language_driver, int flags)
{
    if (!engine)
        return DBE_MISUSE;
    if (!path || (!fields && field_count > 0) || field_count < 0)
        return misuse(engine, "dbe_table_create needs a path and the fields.");
    std::vector<dbe::FieldInfo> defs;
    for (int i = 0; i < field_count; ++i) {
        dbe::FieldInfo f;
        f.name.assign(fields[i].name, strnlen(fields[i].name, sizeof fields[i].name));
        f.type = fields[i].type;
        f.length = fields[i].length;
        f.decimals = fields[i].decimals;
        defs.push_back(std::move(f));
    }
    return engine->report(dbe::createTable(dbe::FileSystem::posix(), path, defs,
                                           language_driver,
                                           (flags & DBE_CREATE_OVERWRITE) != 0));
}

DBE_EXPORT int dbe_table_check(dbe_engine *engine, const char *path, int repair,
                               dbe_report_fn report, void *context, int *problems)
{
    if (!engine)
        return DBE_MISUSE;
    if (!path)
        return misuse(engine, "dbe_table_check needs a path.");
    int found = 0;
    std::function<void(const std::string &)> sink;
    if (report)
        sink = [&](const std::string &line) { report(context, line.c_str()); };
    dbe::Status s = dbe::checkTable(dbe::FileSystem::posix(), path, repair != 0, sink, found);
    if (problems)
        *problems = found;
    return engine->report(s);
}

DBE_EXPORT int dbe_table_pack(dbe_engine *engine, const char *path)
{
    if (!engine)
        return DBE_MISUSE;
    if (!path)
        return misuse(engine, "dbe_table_pack needs a path.");
    return engine->report(dbe::packTable(dbe::FileSystem::posix(), path));
}

} // extern "C"
