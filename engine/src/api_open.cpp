// A minimal engine start and stop, so the table functions can be used and tested before
// the statement layer brings its own dbe_open/dbe_close (which replace this file).

#include <new>

#include "dbengine.h"
#include "engine_handle.h"

namespace dbe {
class SqlState
{
};
} // namespace dbe

extern "C" DBE_EXPORT int dbe_open(dbe_engine **out)
{
    if (!out)
        return DBE_MISUSE;
    *out = new (std::nothrow) dbe_engine;
    return *out ? DBE_OK : DBE_NOMEM;
}

extern "C" DBE_EXPORT void dbe_close(dbe_engine *engine)
{
    delete engine;
}

extern "C" DBE_EXPORT const char *dbe_errmsg(dbe_engine *engine)
{
    return engine ? engine->errmsg.c_str() : "";
}
