#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace telbase {

// One record of a CSV text, as the reader found it.
struct CsvRecord
{
    std::vector<std::string> fields; // unquoted field texts, bytes as in the input
    std::size_t line = 0;            // line (from 1) on which the record starts
    std::string error;               // the first syntax fault found in it; empty when sound
};

// Reads CSV by the rules of RFC 4180: fields separated by commas, records by CRLF, LF or
// a lone CR; a field in double quotes may hold commas, line breaks and doubled quotes.
// Empty lines between records are skipped. A syntax fault (a quote inside an unquoted
// field, text after a closing quote, a quoted field never closed) is reported in the
// record's error and the rest of the record is still read, so the caller can report it
// with its line number and go on with the next record. The reader does not convert or
// interpret the bytes; a UTF-8 byte-order mark is the caller's to strip.
class CsvReader
{
public:
    // data must outlive the reader.
    explicit CsvReader(std::string_view data) : m_data(data) {}

    // Reads the next record into record (its buffers are reused). Returns false at the
    // end of the data, leaving record unspecified.
    bool next(CsvRecord &record);

    // How far into the data the reader has come, in bytes (for progress reports).
    std::size_t position() const { return m_pos; }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};

// Appends one field to a CSV line in out, quoting it when it holds a comma, a quote or a
// line break, or begins or ends with a blank (which some readers would drop).
void appendCsvField(std::string &out, std::string_view text);

// Writes a 1251 cell as a CSV field in UTF-8 at dst, quoted as appendCsvField would, and
// returns where it ends. dst must have room for csvCellRoom(cp1251.size()) bytes.
char *writeCsvCell(char *dst, std::string_view cp1251);
constexpr std::size_t csvCellRoom(std::size_t cp1251Bytes)
{
    // Three UTF-8 bytes at most for each (a doubled quote takes two), the two quotes
    // around, and the slack of the conversion's fixed-size copies.
    return cp1251Bytes * 3 + 2 + 1;
}
// The same, appended to out.
void appendCsvCell(std::string &out, std::string_view cp1251);

// The record separator that the tool writes (RFC 4180's CRLF).
inline constexpr std::string_view kCsvRecordEnd = "\r\n";

} // namespace telbase
