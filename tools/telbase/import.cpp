// telbase import: appends the rows of a CSV file, all or nothing unless told otherwise.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#include "commands.h"
#include "cp1251.h"
#include "csv.h"
#include "engine_session.h"
#include "field_values.h"
#include "messages.h"

namespace telbase {

namespace {

constexpr std::size_t kImportBatch = 4096;
constexpr std::size_t kProgressMinBytes = std::size_t(4) << 20; // progress only for large files
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct FileCloser
{
    void operator()(std::FILE *f) const { std::fclose(f); }
};

bool readWholeFile(const std::string &path, std::string &data, int &error)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = errno;
        return false;
    }
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0)
        data.append(buf, n);
    if (std::ferror(file.get())) {
        error = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Reads and judges the rows of one CSV text against the table's fields.
class RowReader
{
public:
    RowReader(std::string_view data, const std::vector<dbe_field_desc> &fields, bool utf8)
        : m_data(data), m_reader(data), m_fields(fields), m_utf8(utf8), m_values(fields.size())
    {
    }

    // Reads the header row and maps its columns to fields. False with the reason.
    bool readHeader(std::string &error)
    {
        if (!m_reader.next(m_record)) {
            error = msg::kNoHeader;
            return false;
        }
        if (!m_record.error.empty()) {
            error = msg::headerFault(m_record.line, m_record.error);
            return false;
        }
        std::string fieldList;
        for (const dbe_field_desc &f : m_fields) {
            if (!fieldList.empty())
                fieldList += ", ";
            fieldList += f.name;
        }
        for (const std::string &column : m_record.fields) {
            const std::string_view name = trimmed(column);
            const auto it = std::find_if(m_fields.begin(), m_fields.end(), [&](const dbe_field_desc &f) {
                return sameNameIgnoringCase(name, f.name);
            });
            const std::string shown = m_utf8 ? std::string(name) : cp1251ToUtf8(name);
            if (it == m_fields.end()) {
                error = msg::headerFault(m_record.line, msg::unknownColumn(shown, fieldList));
                return false;
            }
            const int field = int(it - m_fields.begin());
            if (std::find(m_columns.begin(), m_columns.end(), field) != m_columns.end()) {
                error = msg::headerFault(m_record.line, msg::duplicateColumn(shown));
                return false;
            }
            m_columns.push_back(field);
        }
        return true;
    }

    // Reads the next row. False at the end. When the row is bad, reason() says why;
    // otherwise values() holds its 1251 values, one per field ("" when no column).
    bool next()
    {
        if (!m_reader.next(m_record))
            return false;
        m_reason.clear();
        if (!m_record.error.empty()) {
            m_reason = m_record.error;
            return true;
        }
        if (m_record.fields.size() != m_columns.size()) {
            m_reason = msg::wrongFieldCount(m_record.fields.size(), m_columns.size());
            return true;
        }
        for (std::string &v : m_values)
            v.clear();
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            const std::size_t field = std::size_t(m_columns[c]);
            const std::string why = convertCell(m_fields[field], m_record.fields[c], m_utf8, m_values[field]);
            if (!why.empty()) {
                if (!m_reason.empty())
                    m_reason += "; ";
                m_reason += why;
            }
        }
        return true;
    }

    bool bad() const { return !m_reason.empty(); }
    const std::string &reason() const { return m_reason; }
    std::size_t line() const { return m_record.line; }
    const std::vector<std::string> &values() const { return m_values; }
    // Share of the text read so far, in percent.
    std::size_t percentRead() const
    {
        return m_data.empty() ? 100 : m_reader.position() * 100 / m_data.size();
    }

private:
    std::string_view m_data;
    CsvReader m_reader;
    const std::vector<dbe_field_desc> &m_fields;
    bool m_utf8;
    CsvRecord m_record;
    std::vector<int> m_columns; // field of each column
    std::vector<std::string> m_values;
    std::string m_reason;
};

// Progress on a terminal: one line, rewritten in place.
class Progress
{
public:
    Progress(const Console &console, bool shown) : m_console(console), m_shown(shown) {}
    ~Progress() { finish(); }

    // Shows the text of a new percentage; make is called only when it changed.
    template<typename Make>
    void show(std::size_t percent, Make make)
    {
        if (!m_shown || percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        const std::string text = make();
        std::fwrite(text.data(), 1, text.size(), m_console.err);
        std::fflush(m_console.err);
        m_open = true;
    }
    void finish()
    {
        if (m_open)
            std::fputc('\n', m_console.err);
        m_open = false;
    }

private:
    const Console &m_console;
    bool m_shown;
    bool m_open = false;
    std::size_t m_lastPercent = std::size_t(-1);
};

} // namespace

int commandImport(const CommandLine &line, const Console &console)
{
    if (line.positional.size() < 2) {
        printError(console, msg::missingArgument(line.positional.empty() ? "PATH" : "FILE.csv"));
        return kExitUsage;
    }
    if (line.positional.size() > 2) {
        printError(console, msg::extraArgument(line.positional[2]));
        return kExitUsage;
    }
    const std::string &path = line.positional[0];
    const std::string &csvPath = line.positional[1];
    const bool utf8 = !line.has("--cp1251");
    const bool skipBad = line.has("--skip-bad");

    std::string data;
    int readError = 0;
    if (!readWholeFile(csvPath, data, readError)) {
        printError(console, msg::cannotRead(csvPath, readError));
        return kExitFailure;
    }
    std::string_view text = data;
    if (utf8 && text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());

    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;
    TablePtr table = openTable(engine.get(), path, console);
    if (!table)
        return kExitFailure;
    if (dbe_table_readonly(table.get()) == 1) {
        printError(console, msg::tableReadOnly(path));
        return kExitFailure;
    }
    const std::vector<dbe_field_desc> fields = tableFields(table.get());
    const bool showProgress = console.errIsTerminal && data.size() >= kProgressMinBytes;

    // First pass: judge every row and report the bad ones; nothing is written yet.
    std::size_t goodRows = 0, badRows = 0;
    {
        RowReader rows(text, fields, utf8);
        std::string error;
        if (!rows.readHeader(error)) {
            printError(console, error);
            return kExitFailure;
        }
        Progress progress(console, showProgress);
        while (rows.next()) {
            if (rows.bad()) {
                progress.finish();
                printError(console, msg::rowFault(rows.line(), rows.reason()));
                ++badRows;
            } else {
                ++goodRows;
            }
            const std::size_t percent = rows.percentRead();
            progress.show(percent, [percent] { return msg::checkProgress(percent); });
        }
    }
    if (badRows > 0 && !skipBad) {
        printError(console, msg::importRefused(badRows));
        return kExitFailure;
    }

    // Second pass: write the good rows, a batch per append.
    std::size_t written = 0;
    std::uint32_t firstRecno = 0;
    {
        RowReader rows(text, fields, utf8);
        std::string unused;
        rows.readHeader(unused);
        Progress progress(console, showProgress);
        const std::size_t fieldCount = fields.size();
        std::vector<std::string> cells(kImportBatch * fieldCount);
        std::vector<const char *> values(kImportBatch * fieldCount);
        std::size_t inBatch = 0;
        std::size_t batchLine = 0;
        bool more = true;
        while (more) {
            more = rows.next();
            if (more && !rows.bad()) {
                if (inBatch == 0)
                    batchLine = rows.line();
                for (std::size_t f = 0; f < fieldCount; ++f) {
                    std::string &cell = cells[inBatch * fieldCount + f];
                    cell = rows.values()[f];
                    values[inBatch * fieldCount + f] = cell.c_str();
                }
                ++inBatch;
            }
            if (inBatch == kImportBatch || (!more && inBatch > 0)) {
                std::uint32_t first = 0;
                const int rc = dbe_table_append(table.get(), values.data(), inBatch, &first);
                if (rc != DBE_OK) {
                    progress.finish();
                    printEngineError(console, engine.get(), rc);
                    // Take back what this import wrote, so the table holds no part of it.
                    for (std::size_t i = 0; i < written; ++i)
                        dbe_table_delete(table.get(), firstRecno + std::uint32_t(i));
                    if (written > 0)
                        printError(console, msg::importStopped(batchLine, written));
                    return kExitFailure;
                }
                if (written == 0)
                    firstRecno = first;
                written += inBatch;
                inBatch = 0;
                progress.show(written * 100 / goodRows,
                              [written, goodRows] { return msg::importProgress(written, goodRows); });
            }
        }
    }
    printLine(console, msg::importDone(written, path));
    if (badRows > 0)
        printLine(console, msg::importSkipped(badRows));
    return kExitOk;
}

} // namespace telbase
