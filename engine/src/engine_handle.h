#pragma once

#include <memory>
#include <string>

#include "status.h"

namespace dbe {
class SqlState; // the statement layer's per-engine state (caches of sorted orders)
class TableRegistry; // the tables open on the engine, closed with it (api_table.cpp)
}

// One started engine. Every C API call records its outcome here for dbe_errmsg.
struct dbe_engine
{
    std::string errmsg;                 // the last failure's lines joined by '\n'
    std::unique_ptr<dbe::SqlState> sql; // owned by the statement layer
    // Tables still open; a shared_ptr so that destroying the engine closes them without
    // this header knowing the type.
    std::shared_ptr<dbe::TableRegistry> tables;

    // Records the outcome of a call and returns its code, so API functions can end with
    // `return engine->report(status);`.
    int report(const dbe::Status &status)
    {
        errmsg.clear();
        for (const std::string &line : status.lines()) {
            if (!errmsg.empty())
                errmsg += '\n';
            errmsg += line;
        }
        return status.code();
    }
};
