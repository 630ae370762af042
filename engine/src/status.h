#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dbengine.h"

namespace dbe {

// The outcome of an engine operation: a DBE_* code and, on failure, the message lines
// that dbe_errmsg reports (1251 text). Build failures through the factory functions of
// the layer that detects them, so that each message's wording lives in one place.
class Status
{
public:
    Status() = default;
    static Status ok() { return Status(); }
    static Status error(int code, std::string line)
    {
        Status s;
        s.m_code = code;
        s.m_lines.push_back(std::move(line));
        return s;
    }

    bool isOk() const { return m_code == DBE_OK; }
    explicit operator bool() const { return isOk(); }
    int code() const { return m_code; }
    const std::vector<std::string> &lines() const { return m_lines; }

    // Adds a line of context (for example the table's path) after the existing ones.
    Status &addLine(std::string line)
    {
        m_lines.push_back(std::move(line));
        return *this;
    }

private:
    int m_code = DBE_OK;
    std::vector<std::string> m_lines;
};

} // namespace dbe
