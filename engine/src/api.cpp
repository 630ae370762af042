#include "dbengine.h"

extern "C" DBE_EXPORT int dbe_api_version(void)
{
    return DBE_API_VERSION;
}
