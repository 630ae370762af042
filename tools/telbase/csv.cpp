#include "csv.h"

#include "cp1251.h"
#include "messages.h"

namespace telbase {

bool CsvReader::next(CsvRecord &record)
{
    const std::string_view d = m_data;
    const std::size_t n = d.size();

    // Skip empty lines; a record must hold at least one character.
    while (m_pos < n && (d[m_pos] == '\n' || d[m_pos] == '\r')) {
        if (d[m_pos] == '\r' && m_pos + 1 < n && d[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }
    if (m_pos >= n)
        return false;

    record.line = m_line;
    record.error.clear();
    std::size_t used = 0; // fields of the record filled so far; their strings are reused
    auto setError = [&record](std::string_view why) {
        if (record.error.empty())
            record.error = why;
    };

    for (;;) {
        if (used == record.fields.size())
            record.fields.emplace_back();
        std::string &field = record.fields[used++];
        field.clear();

        if (m_pos < n && d[m_pos] == '"') {
            ++m_pos;
            bool closed = false;
            while (m_pos < n) {
                const std::size_t quote = d.find('"', m_pos);
                const std::size_t stop = quote == std::string_view::npos ? n : quote;
                for (std::size_t i = m_pos; i < stop; ++i) {
                    // Line breaks inside quotes belong to the field but still count as lines.
                    if (d[i] == '\n' || (d[i] == '\r' && (i + 1 >= n || d[i + 1] != '\n')))
                        ++m_line;
                }
                field.append(d.substr(m_pos, stop - m_pos));
                m_pos = stop;
                if (quote == std::string_view::npos)
                    break;
                if (quote + 1 < n && d[quote + 1] == '"') {
                    field.push_back('"');
                    m_pos = quote + 2;
                    continue;
                }
                m_pos = quote + 1;
                closed = true;
                break;
            }
            if (!closed) {
                setError(msg::kCsvUnclosedQuote);
                break;
            }
            // After the closing quote only a separator or the record's end may follow;
            // anything else is kept so that no text is silently dropped.
            if (m_pos < n && d[m_pos] != ',' && d[m_pos] != '\n' && d[m_pos] != '\r') {
                setError(msg::kCsvTextAfterQuote);
                while (m_pos < n && d[m_pos] != ',' && d[m_pos] != '\n' && d[m_pos] != '\r')
                    field.push_back(d[m_pos++]);
            }
        } else {
            const std::size_t start = m_pos;
            while (m_pos < n && d[m_pos] != ',' && d[m_pos] != '\n' && d[m_pos] != '\r') {
                if (d[m_pos] == '"')
                    setError(msg::kCsvQuoteInField);
                ++m_pos;
            }
            field.assign(d.substr(start, m_pos - start));
        }

        if (m_pos >= n)
            break;
        const char c = d[m_pos];
        if (c == ',') {
            ++m_pos;
            continue;
        }
        // The record's end: CRLF, LF or a lone CR.
        if (c == '\r' && m_pos + 1 < n && d[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
        break;
    }
    record.fields.resize(used);
    return true;
}

void appendCsvField(std::string &out, std::string_view text)
{
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    if (!quote) {
        for (const char c : text) {
            if (c == ',' || c == '"' || c == '\n' || c == '\r') {
                quote = true;
                break;
            }
        }
    }
    if (!quote) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (const char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

// The bytes that call for quotes are ASCII, the same in both code pages, so the usual
// cell goes straight through the conversion.
char *writeCsvCell(char *dst, std::string_view cell)
{
    static_assert(csvCellRoom(1) >= kUtf8PerCp1251 + kUtf8WriteSlack);
    bool quote = !cell.empty() && (cell.front() == ' ' || cell.back() == ' ');
    // No early exit: a loop without branches is cheaper over a cell of a few dozen bytes.
    for (const char c : cell)
        quote |= (c == ',') | (c == '"') | (c == '\r') | (c == '\n');
    if (!quote)
        return writeCp1251AsUtf8(dst, cell);
    *dst++ = '"';
    for (std::size_t i = 0; i < cell.size();) {
        const std::size_t q = cell.find('"', i);
        const std::size_t end = q == std::string_view::npos ? cell.size() : q + 1;
        dst = writeCp1251AsUtf8(dst, cell.substr(i, end - i));
        if (q != std::string_view::npos)
            *dst++ = '"';
        i = end;
    }
    *dst++ = '"';
    return dst;
}

void appendCsvCell(std::string &out, std::string_view cell)
{
    const std::size_t start = out.size();
    out.resize(start + csvCellRoom(cell.size()));
    char *end = writeCsvCell(out.data() + start, cell);
    out.resize(std::size_t(end - out.data()));
}

} // namespace telbase
