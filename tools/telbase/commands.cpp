#include "commands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

#include "cp1251.h"
#include "csv.h"
#include "csv_rows.h"
#include "demo.h"
#include "directory_table.h"
#include "engine_session.h"
#include "messages.h"
#include "output_buffer.h"

namespace telbase {

namespace {

constexpr std::size_t kDefaultDemoEntries = 2000;
constexpr std::size_t kMaxDemoEntries = 100'000'000;
constexpr std::size_t kDemoBatch = 65536;
constexpr std::size_t kCellBufferSize = 65536 + 1; // the engine's longest cell and its NUL
constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::string_view kPartialSuffix = ".partial";

struct CommandForm
{
    std::string_view name;
    int (*handler)(const CommandLine &, const Console &);
    std::string_view help;
    std::vector<std::string_view> flags;
    std::vector<std::string_view> valueOptions;
};

const std::vector<CommandForm> &commandForms()
{
    static const std::vector<CommandForm> forms = {
        {"create", commandCreate, msg::kCreateHelp, {"--force"}, {}},
        {"import", commandImport, msg::kImportHelp, {"--cp1251", "--skip-bad"}, {}},
        {"export", commandExport, msg::kExportHelp, {}, {}},
        {"demo", commandDemo, msg::kDemoHelp, {"--force"}, {"--entries"}},
        {"check", commandCheck, msg::kCheckHelp, {"--repair"}, {}},
        {"query", commandQuery, msg::kQueryHelp, {"--count"}, {"--param"}},
        {"pack", commandPack, msg::kPackHelp, {}, {}},
    };
    return forms;
}

// Splits the arguments after the command name; "--" ends the options.
bool parseCommandLine(const CommandForm &form, const std::vector<std::string> &args,
                      CommandLine &line, std::string &error)
{
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (std::find(form.valueOptions.begin(), form.valueOptions.end(), name) !=
            form.valueOptions.end()) {
            if (eq != std::string::npos) {
                line.values.emplace_back(name, arg.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                line.values.emplace_back(name, args[++i]);
            } else {
                error = msg::optionNeedsValue(name);
                return false;
            }
            continue;
        }
        if (eq == std::string::npos &&
            std::find(form.flags.begin(), form.flags.end(), arg) != form.flags.end()) {
            line.flags.push_back(arg);
            continue;
        }
        error = msg::unknownOption(arg);
        return false;
    }
    return true;
}

bool expectPositional(const CommandLine &line, std::size_t min, std::size_t max,
                      std::string_view missing, const Console &console)
{
    if (line.positional.size() < min) {
        printError(console, msg::missingArgument(missing));
        return false;
    }
    if (line.positional.size() > max) {
        printError(console, msg::extraArgument(line.positional[max]));
        return false;
    }
    return true;
}

// Starts an engine, reporting a failure.
bool fileExists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

void reportLine(void *context, const char *line)
{
    const auto *console = static_cast<const Console *>(context);
    printLine(*console, cp1251ToUtf8(line));
}

void appendHeader(std::string &out, const std::vector<dbe_field_desc> &fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        appendCsvField(out, cp1251ToUtf8(fields[i].name));
    }
    out.append(kCsvRecordEnd);
}

// A whole number for --entries.
bool parseCount(std::string_view text, std::size_t max, std::size_t &value)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value <= max;
}

// Converts a UTF-8 argument to 1251, reporting a failure.
bool argumentTo1251(std::string_view utf8, std::string_view what, std::string &out,
                    const Console &console)
{
    out.clear();
    const Cp1251Failure failure = appendUtf8AsCp1251(utf8, out);
    if (failure.kind == Cp1251Failure::InvalidUtf8) {
        printError(console, msg::notValidUtf8Argument(what));
        return false;
    }
    if (failure.kind == Cp1251Failure::NotInCodePage) {
        printError(console, msg::notInCodePageArgument(what, failure.codePoint));
        return false;
    }
    return true;
}

// A temporary file beside target, removed unless kept. For outputs that must appear
// whole or not at all.
class TemporaryFile
{
public:
    explicit TemporaryFile(const std::string &target) : m_path(target + ".XXXXXX")
    {
        m_fd = ::mkstemp(m_path.data());
        if (m_fd < 0)
            m_errno = errno;
    }
    ~TemporaryFile()
    {
        if (m_file)
            std::fclose(m_file);
        else if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept && m_fd >= 0)
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    // The open stream, or nullptr with errno in error().
    std::FILE *open()
    {
        if (m_fd >= 0 && !m_file) {
            m_file = ::fdopen(m_fd, "wb");
            if (!m_file)
                m_errno = errno;
        }
        return m_file;
    }
    int error() const { return m_errno; }

    // Closes the file and renames it to target; false with errno when either fails.
    bool commit(const std::string &target)
    {
        if (m_file) {
            // A new file gets the usual permissions, not mkstemp's owner-only ones.
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(m_fd, 0666 & ~mask);
            const int rc = std::fclose(m_file);
            m_file = nullptr;
            m_fd = -1;
            if (rc != 0) {
                m_errno = errno;
                ::unlink(m_path.c_str());
                return false;
            }
        }
        if (::rename(m_path.c_str(), target.c_str()) != 0) {
            m_errno = errno;
            ::unlink(m_path.c_str());
            return false;
        }
        m_kept = true;
        return true;
    }

private:
    std::string m_path;
    int m_fd = -1;
    std::FILE *m_file = nullptr;
    int m_errno = 0;
    bool m_kept = false;
};

} // namespace

bool CommandLine::has(const std::string &flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

void printError(const Console &console, const std::string &message)
{
    std::string line(msg::kProgram);
    line += ": ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), console.err);
    std::fflush(console.err);
}

void printErrors(const Console &console, const std::vector<std::string> &messages)
{
    for (const std::string &m : messages)
        printError(console, m);
}

void printLine(const Console &console, const std::string &message)
{
    std::fwrite(message.data(), 1, message.size(), console.out);
    std::fputc('\n', console.out);
}

int run(const std::vector<std::string> &args, const Console &console)
{
    if (args.empty()) {
        std::fwrite(msg::kUsage.data(), 1, msg::kUsage.size(), console.err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fwrite(msg::kUsage.data(), 1, msg::kUsage.size(), console.out);
        return kExitOk;
    }
    for (const CommandForm &form : commandForms()) {
        if (form.name != args[0])
            continue;
        CommandLine line;
        std::string error;
        if (!parseCommandLine(form, args, line, error)) {
            printError(console, error);
            printError(console, std::string(msg::kSeeHelp));
            return kExitUsage;
        }
        if (line.help) {
            std::fwrite(form.help.data(), 1, form.help.size(), console.out);
            return kExitOk;
        }
        const int status = form.handler(line, console);
        std::fflush(console.out);
        return status;
    }
    printError(console, msg::unknownCommand(args[0]));
    printError(console, std::string(msg::kSeeHelp));
    return kExitUsage;
}

int commandCreate(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 1, "PATH", console))
        return kExitUsage;
    const std::string &path = line.positional[0];
    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;
    const int rc = dbe_table_create(engine.get(), path.c_str(), kDirectoryFields.data(),
                                    int(kDirectoryFields.size()), kDirectoryLanguageDriver,
                                    line.has("--force") ? DBE_CREATE_OVERWRITE : 0);
    if (rc == DBE_EXISTS) {
        printError(console, msg::tableExists(path));
        return kExitFailure;
    }
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    printLine(console, msg::created(path));
    return kExitOk;
}

int commandDemo(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 1, "PATH", console))
        return kExitUsage;
    std::size_t entries = kDefaultDemoEntries;
    for (const auto &[option, value] : line.values) {
        if (!parseCount(value, kMaxDemoEntries, entries)) {
            printError(console, msg::badEntryCount(value));
            return kExitUsage;
        }
    }
    const std::string &path = line.positional[0];
    if (!line.has("--force") && fileExists(path)) {
        printError(console, msg::tableExists(path));
        return kExitFailure;
    }
    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;

    // The table is filled under a temporary name and takes its own name only when whole,
    // so a failure never leaves a half-filled demo behind.
    const std::string partial = path + std::string(kPartialSuffix);
    int rc = dbe_table_create(engine.get(), partial.c_str(), kDirectoryFields.data(),
                              int(kDirectoryFields.size()), kDirectoryLanguageDriver,
                              DBE_CREATE_OVERWRITE);
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    struct PartialRemover
    {
        const std::string &path;
        bool keep = false;
        ~PartialRemover()
        {
            if (!keep)
                ::unlink(path.c_str());
        }
    } remover{partial};

    TablePtr table = openTable(engine.get(), partial, console);
    if (!table)
        return kExitFailure;

    DemoGenerator generator;
    std::vector<DemoEntry> batch(std::min(entries, kDemoBatch));
    std::vector<const char *> values(batch.size() * DirectoryFieldCount);
    for (std::size_t done = 0; done < entries;) {
        const std::size_t count = std::min(batch.size(), entries - done);
        for (std::size_t i = 0; i < count; ++i) {
            generator.next(batch[i]);
            for (int f = 0; f < DirectoryFieldCount; ++f)
                values[i * DirectoryFieldCount + std::size_t(f)] = batch[i][std::size_t(f)].c_str();
        }
        rc = dbe_table_append(table.get(), values.data(), count, nullptr);
        if (rc != DBE_OK) {
            printEngineError(console, engine.get(), rc);
            return kExitFailure;
        }
        done += count;
    }
    table.reset();
    if (::rename(partial.c_str(), path.c_str()) != 0) {
        printError(console, msg::cannotWrite(path, errno));
        return kExitFailure;
    }
    remover.keep = true;
    printLine(console, msg::demoDone(entries, path));
    return kExitOk;
}

namespace {

// A statement can name the table when its path needs no quoting and no conversion.
bool plainPath(std::string_view path)
{
    for (const char c : path) {
        if (c == '\'' || c < 0x20 || static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The live entries of a table in record order. A statement's result gives them fastest
// (the engine scans the file in large blocks, and a select without an order keeps
// record order); a path that a statement cannot name is read record by record.
class EntryReader
{
public:
    EntryReader(dbe_engine *engine, dbe_table *table, std::string path)
        : m_engine(engine), m_table(table), m_path(std::move(path))
    {
    }

    int start()
    {
        if (!plainPath(m_path))
            return DBE_OK;
        const std::string statement = "select * from '" + m_path + "'";
        dbe_cursor *raw = nullptr;
        const int rc = dbe_query(m_engine, statement.c_str(), nullptr, 0, &raw);
        if (rc != DBE_OK)
            return rc;
        m_cursor.reset(raw);
        m_rows = dbe_cursor_row_count(raw);
        return DBE_OK;
    }

    // Moves to the next entry: DBE_OK, DBE_NOTFOUND at the end, or a failure.
    int next()
    {
        if (m_cursor)
            return ++m_row < m_rows ? DBE_OK : DBE_NOTFOUND;
        return dbe_table_seek(m_table, m_recno, +1, &m_recno);
    }

    int text(int field, std::vector<char> &buf, std::size_t &len)
    {
        if (m_cursor)
            return dbe_cursor_text(m_cursor.get(), m_row, field, buf.data(), buf.size(), &len);
        return dbe_table_text(m_table, m_recno, field, buf.data(), buf.size(), &len);
    }

private:
    dbe_engine *m_engine;
    dbe_table *m_table;
    std::string m_path;
    CursorPtr m_cursor;
    std::int64_t m_rows = 0;
    std::int64_t m_row = -1;
    std::uint32_t m_recno = 0;
};

} // namespace

int commandExport(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 2, "PATH", console))
        return kExitUsage;
    const std::string &path = line.positional[0];
    const bool toFile = line.positional.size() == 2;
    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;
    TablePtr table = openTable(engine.get(), path, console);
    if (!table)
        return kExitFailure;
    const std::vector<dbe_field_desc> fields = tableFields(table.get());
    EntryReader entries(engine.get(), table.get(), path);
    int rc = entries.start();
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }

    std::FILE *file = console.out;
    std::string target;
    std::unique_ptr<TemporaryFile> temporary;
    if (toFile) {
        target = line.positional[1];
        temporary = std::make_unique<TemporaryFile>(target);
        file = temporary->open();
        if (!file) {
            printError(console, msg::cannotWrite(target, temporary->error()));
            return kExitFailure;
        }
    }

    std::size_t exported = 0;
    {
        OutputBuffer out(file);
        appendHeader(out.text(), fields);
        CsvRowWriter writer(out);
        std::vector<char> cell(kCellBufferSize);
        while (!writer.failed()) {
            rc = entries.next();
            if (rc == DBE_NOTFOUND)
                break;
            if (rc != DBE_OK) {
                writer.finish();
                printEngineError(console, engine.get(), rc);
                return kExitFailure;
            }
            for (std::size_t f = 0; f < fields.size(); ++f) {
                std::size_t len = 0;
                rc = entries.text(int(f), cell, len);
                if (rc != DBE_OK) {
                    writer.finish();
                    printEngineError(console, engine.get(), rc);
                    return kExitFailure;
                }
                writer.cell(std::string_view(cell.data(), len));
            }
            writer.endRow();
            ++exported;
        }
        if (!writer.finish()) {
            printError(console, msg::cannotWrite(toFile ? target : "the standard output", errno));
            return kExitFailure;
        }
    }
    if (toFile) {
        if (!temporary->commit(target)) {
            printError(console, msg::cannotWrite(target, temporary->error()));
            return kExitFailure;
        }
        printLine(console, msg::exported(exported, target));
    }
    return kExitOk;
}

int commandCheck(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 1, "PATH", console))
        return kExitUsage;
    const std::string &path = line.positional[0];
    const bool repair = line.has("--repair");
    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;
    int problems = 0;
    int rc = dbe_table_check(engine.get(), path.c_str(), repair ? 1 : 0, reportLine,
                             const_cast<Console *>(&console), &problems);
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    if (problems == 0) {
        printLine(console, msg::checkSound(path));
        return kExitOk;
    }
    printLine(console, msg::checkProblems(problems, path));
    if (!repair)
        return kExitFailure;

    // The engine reports each mend, and the copy it kept; what it could not mend shows
    // in a second, silent look.
    int left = 0;
    rc = dbe_table_check(engine.get(), path.c_str(), 0, nullptr, nullptr, &left);
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    if (left == 0) {
        printLine(console, msg::checkSound(path));
        return kExitOk;
    }
    printLine(console, msg::repairLeft(left));
    return kExitFailure;
}

int commandQuery(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 1, "STATEMENT", console))
        return kExitUsage;
    std::string statement;
    if (!argumentTo1251(line.positional[0], "statement", statement, console))
        return kExitUsage;

    // Names and text values live here while the params point at them.
    std::vector<std::string> names, texts;
    std::vector<dbe_param> params;
    names.reserve(line.values.size());
    texts.reserve(line.values.size());
    for (const auto &[option, value] : line.values) {
        const std::size_t eq = value.find('=');
        if (eq == 0 || eq == std::string::npos) {
            printError(console, msg::badParam(value));
            return kExitUsage;
        }
        const std::string_view name = std::string_view(value).substr(0, eq);
        const std::string_view text = std::string_view(value).substr(eq + 1);
        names.emplace_back();
        if (!argumentTo1251(name, "parameter name", names.back(), console))
            return kExitUsage;
        dbe_param param{};
        param.name = names.back().c_str();
        std::int64_t number = 0;
        const char *end = text.data() + text.size();
        const char *start = !text.empty() && text[0] == '+' ? text.data() + 1 : text.data();
        const auto [ptr, ec] = std::from_chars(start, end, number);
        if (!text.empty() && start != end && ec == std::errc() && ptr == end &&
            (start == text.data() || *start != '-')) {
            param.type = DBE_PARAM_INT;
            param.int_value = number;
        } else {
            texts.emplace_back();
            if (!argumentTo1251(text, "parameter value", texts.back(), console))
                return kExitUsage;
            param.type = DBE_PARAM_TEXT;
            param.text_value = texts.back().c_str();
        }
        params.push_back(param);
    }

    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;
    dbe_cursor *rawCursor = nullptr;
    const int rc = dbe_query(engine.get(), statement.c_str(), params.data(), params.size(), &rawCursor);
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    CursorPtr cursor(rawCursor);
    const std::int64_t rows = dbe_cursor_row_count(cursor.get());
    OutputBuffer out(console.out);
    if (line.has("--count")) {
        out.text() += std::to_string(rows);
        out.text() += '\n';
    } else {
        const int fieldCount = dbe_cursor_field_count(cursor.get());
        std::vector<dbe_field_desc> fields(std::size_t(std::max(0, fieldCount)));
        for (int f = 0; f < fieldCount; ++f)
            dbe_cursor_field(cursor.get(), f, &fields[std::size_t(f)]);
        appendHeader(out.text(), fields);
        CsvRowWriter writer(out);
        std::vector<char> cell(kCellBufferSize);
        for (std::int64_t row = 0; row < rows && !writer.failed(); ++row) {
            for (int f = 0; f < fieldCount; ++f) {
                std::size_t len = 0;
                const int cellRc = dbe_cursor_text(cursor.get(), row, f, cell.data(), cell.size(), &len);
                if (cellRc != DBE_OK) {
                    writer.finish();
                    printEngineError(console, engine.get(), cellRc);
                    return kExitFailure;
                }
                writer.cell(std::string_view(cell.data(), len));
            }
            writer.endRow();
        }
        if (!writer.finish()) {
            printError(console, msg::cannotWrite("the standard output", errno));
            return kExitFailure;
        }
    }
    if (!out.flush()) {
        printError(console, msg::cannotWrite("the standard output", errno));
        return kExitFailure;
    }
    return kExitOk;
}

int commandPack(const CommandLine &line, const Console &console)
{
    if (!expectPositional(line, 1, 1, "PATH", console))
        return kExitUsage;
    const std::string &path = line.positional[0];
    EnginePtr engine = startEngine(console);
    if (!engine)
        return kExitFailure;

    std::uint32_t total = 0, live = 0;
    {
        TablePtr table = openTable(engine.get(), path, console);
        if (!table)
            return kExitFailure;
        int rc = dbe_table_refresh(table.get(), &total);
        if (rc == DBE_OK)
            rc = dbe_table_live_count(table.get(), &live);
        if (rc != DBE_OK) {
            printEngineError(console, engine.get(), rc);
            return kExitFailure;
        }
    }
    const int rc = dbe_table_pack(engine.get(), path.c_str());
    if (rc == DBE_LOCKED) {
        printEngineError(console, engine.get(), rc);
        printError(console, msg::packLocked(path));
        return kExitFailure;
    }
    if (rc != DBE_OK) {
        printEngineError(console, engine.get(), rc);
        return kExitFailure;
    }
    printLine(console, msg::packDone(live, total - live, path + std::string(kBackupSuffix)));
    return kExitOk;
}

} // namespace telbase
