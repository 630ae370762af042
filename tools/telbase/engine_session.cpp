#include "engine_session.h"

#include <algorithm>
#include <string_view>

#include "commands.h"
#include "cp1251.h"
#include "messages.h"

namespace telbase {

std::vector<std::string> engineMessage(dbe_engine *engine, int code)
{
    std::vector<std::string> lines;
    std::string_view text = engine ? dbe_errmsg(engine) : "";
    if (text.empty())
        text = dbe_errstr(code);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string line = cp1251ToUtf8(text.substr(0, end));
        if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(std::move(line));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    if (lines.empty())
        lines.push_back("error " + std::to_string(code));
    return lines;
}

EnginePtr startEngine(const Console &console)
{
    dbe_engine *engine = nullptr;
    const int rc = dbe_open(&engine);
    if (rc != DBE_OK) {
        printError(console, msg::engineStartFailed(dbe_errstr(rc)));
        return nullptr;
    }
    return EnginePtr(engine);
}

TablePtr openTable(dbe_engine *engine, const std::string &path, const Console &console)
{
    dbe_table *table = nullptr;
    const int rc = dbe_table_open(engine, path.c_str(), &table);
    if (rc != DBE_OK) {
        printEngineError(console, engine, rc);
        return nullptr;
    }
    return TablePtr(table);
}

void printEngineError(const Console &console, dbe_engine *engine, int code)
{
    printErrors(console, engineMessage(engine, code));
}

std::vector<dbe_field_desc> tableFields(dbe_table *table)
{
    std::vector<dbe_field_desc> fields(std::size_t(std::max(0, dbe_table_field_count(table))));
    for (std::size_t i = 0; i < fields.size(); ++i)
        dbe_table_field(table, int(i), &fields[i]);
    return fields;
}

} // namespace telbase
