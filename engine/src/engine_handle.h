#pragma once

#include <memory>
#include <string>

#include "status.h"

namespace dbe {
class SqlState; // the statement layer's per-engine state (caches of sorted orders)
}

// One started engine. Every C API call records its outcome here for dbe_errmsg.
struct dbe_engine
{
    std::string errmsg;                 // the last failure's lines joined by '\n'
    std::unique_ptr<dbe::SqlState> sql; // owned by the statement layer

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
