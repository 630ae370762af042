#pragma once

// An engine started for a test and closed at its end.

#include <string>

#include "dbengine.h"

namespace dbetest {

class TestEngine
{
public:
    TestEngine() { dbe_open(&m_engine); }
    ~TestEngine() { dbe_close(m_engine); }
    TestEngine(const TestEngine &) = delete;
    TestEngine &operator=(const TestEngine &) = delete;

    dbe_engine *get() const { return m_engine; }
    operator dbe_engine *() const { return m_engine; }
    std::string errmsg() const { return dbe_errmsg(m_engine); }

private:
    dbe_engine *m_engine = nullptr;
};

} // namespace dbetest
