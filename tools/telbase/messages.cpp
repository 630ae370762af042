#include "messages.h"

#include <cstring>

#include "cp1251.h"

namespace telbase::msg {

namespace {

std::string quoted(std::string_view text)
{
    std::string out = "'";
    out += text;
    out += '\'';
    return out;
}

std::string num(std::size_t n)
{
    return std::to_string(n);
}

} // namespace

std::string unknownCommand(std::string_view command)
{
    return "unknown command " + quoted(command);
}

std::string unknownOption(std::string_view option)
{
    return "unknown option " + quoted(option);
}

std::string missingArgument(std::string_view what)
{
    return "missing " + std::string(what);
}

std::string extraArgument(std::string_view argument)
{
    return "unexpected argument " + quoted(argument);
}

std::string optionNeedsValue(std::string_view option)
{
    return "option " + quoted(option) + " needs a value";
}

std::string badEntryCount(std::string_view text)
{
    return quoted(text) + " is not a number of entries (a whole number from 0 to 100000000)";
}

std::string badParam(std::string_view text)
{
    return quoted(text) + " is not a parameter: write it as NAME=VALUE";
}

std::string cannotRead(std::string_view path, int error)
{
    return "cannot read " + std::string(path) + ": " + std::strerror(error);
}

std::string cannotWrite(std::string_view path, int error)
{
    return "cannot write " + std::string(path) + ": " + std::strerror(error);
}

std::string notValidUtf8Argument(std::string_view what)
{
    return "the " + std::string(what) + " is not valid UTF-8";
}

std::string notInCodePageArgument(std::string_view what, char32_t codePoint)
{
    return "the " + std::string(what) + " holds the character " + describeCharacter(codePoint) +
           ", which code page 1251 cannot hold";
}

std::string engineStartFailed(std::string_view reason)
{
    return "the database engine cannot start: " + std::string(reason);
}

std::string tableExists(std::string_view path)
{
    return std::string(path) + " already exists; give --force to replace it";
}

std::string tableReadOnly(std::string_view path)
{
    return std::string(path) + " can only be read: nothing imported";
}

std::string unknownColumn(std::string_view name, std::string_view fieldList)
{
    return "the header names the column " + quoted(name) + ", which the table lacks (its fields: " +
           std::string(fieldList) + ")";
}

std::string duplicateColumn(std::string_view name)
{
    return "the header names the column " + quoted(name) + " twice";
}

std::string headerFault(std::size_t line, std::string_view reason)
{
    return "line " + num(line) + ": header: " + std::string(reason);
}

std::string rowFault(std::size_t line, std::string_view reason)
{
    return "line " + num(line) + ": " + std::string(reason);
}

std::string wrongFieldCount(std::size_t got, std::size_t expected)
{
    return "the row has " + num(got) + (got == 1 ? " field" : " fields") + ", the header has " +
           num(expected);
}

std::string notWholeNumber(std::string_view field, std::string_view text)
{
    return std::string(field) + ": " + quoted(text) + " is not a whole number";
}

std::string notNumber(std::string_view field, std::string_view text, int decimals)
{
    return std::string(field) + ": " + quoted(text) + " is not a number with at most " +
           num(std::size_t(decimals)) + " decimals";
}

std::string numberTooWide(std::string_view field, std::string_view text, int width)
{
    return std::string(field) + ": " + std::string(text) + " is too long for the field (at most " +
           num(std::size_t(width)) + " characters)";
}

std::string textTooLong(std::string_view field, std::size_t length, int maxLength)
{
    return std::string(field) + ": the text is " + num(length) +
           " characters long, longer than the field (at most " + num(std::size_t(maxLength)) + ")";
}

std::string notInCodePage(std::string_view field, char32_t codePoint)
{
    return std::string(field) + ": the character " + describeCharacter(codePoint) +
           " cannot be stored in code page 1251";
}

std::string invalidUtf8(std::string_view field)
{
    return std::string(field) + ": the text is not valid UTF-8 (use --cp1251 for a code page 1251 file)";
}

std::string importRefused(std::size_t badRows)
{
    return "nothing imported: " + num(badRows) + (badRows == 1 ? " bad row" : " bad rows") +
           " (fix them, or give --skip-bad to import the good rows only)";
}

std::string importDone(std::size_t entries, std::string_view path)
{
    return "imported " + num(entries) + (entries == 1 ? " entry" : " entries") + " into " +
           std::string(path);
}

std::string importSkipped(std::size_t badRows)
{
    return "skipped " + num(badRows) + (badRows == 1 ? " bad row" : " bad rows");
}

std::string importStopped(std::size_t line, std::size_t withdrawn)
{
    return "the import stopped at the batch that starts on line " + num(line) + "; the " + num(withdrawn) +
           " entries written before it were marked deleted again";
}

std::string checkProgress(std::size_t percent)
{
    return "\rchecking the rows: " + num(percent) + "%";
}

std::string importProgress(std::size_t done, std::size_t total)
{
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    return "\rimporting: " + num(percent) + "% (" + num(done) + " of " + num(total) + " entries)";
}

std::string created(std::string_view path)
{
    return "created " + std::string(path);
}

std::string demoDone(std::size_t entries, std::string_view path)
{
    return "wrote " + num(entries) + " demo " + (entries == 1 ? "entry" : "entries") + " into " +
           std::string(path);
}

std::string exported(std::size_t entries, std::string_view path)
{
    return "exported " + num(entries) + (entries == 1 ? " entry" : " entries") + " to " +
           std::string(path);
}

std::string checkSound(std::string_view path)
{
    return std::string(path) + ": sound";
}

std::string checkProblems(int problems, std::string_view path)
{
    return std::string(path) + ": " + num(std::size_t(problems)) +
           (problems == 1 ? " problem found" : " problems found");
}

std::string repairLeft(int problems)
{
    return num(std::size_t(problems)) + (problems == 1 ? " problem remains" : " problems remain") +
           " that cannot be mended without losing entries";
}

std::string packDone(std::size_t kept, std::size_t removed, std::string_view backup)
{
    return "removed " + num(removed) + (removed == 1 ? " deleted entry" : " deleted entries") +
           ", kept " + num(kept) + "; the original is kept as " + std::string(backup);
}

std::string packLocked(std::string_view path)
{
    return std::string(path) + " is in use by another program (it holds a lock on the table); close it and try again";
}

const std::string_view kUsage =
    "Usage: telbase COMMAND [ARGUMENTS]\n"
    "Makes and keeps the telephone directory table (TelBase.dbf).\n"
    "\n"
    "Commands:\n"
    "  create PATH [--force]              make an empty directory table\n"
    "  import PATH FILE.csv [options]     append entries from a CSV file\n"
    "  export PATH [FILE.csv]             write every entry as CSV (stdout without FILE)\n"
    "  demo PATH [--entries N] [--force]  make a table filled with demo entries\n"
    "  check PATH [--repair]              report what is wrong with a table file\n"
    "  query STATEMENT [--param NAME=VALUE ...] [--count]\n"
    "                                     run a statement, print its result as CSV\n"
    "  pack PATH                          remove deleted entries for good\n"
    "\n"
    "'telbase COMMAND --help' tells more about each command.\n"
    "Exit status: 0 on success, 1 on failure, 2 for a wrong command line.\n";

const std::string_view kCreateHelp =
    "Usage: telbase create PATH [--force]\n"
    "Makes an empty directory table with the fields FIO C(60), OTDEL C(60), DOLJ C(50),\n"
    "KAB N(6,0), NVNUTR N(6,0), NGOROD N(11,0), NSOT C(20), text in code page 1251.\n"
    "\n"
    "  --force   replace the file when it exists (otherwise an existing file is refused)\n";

const std::string_view kImportHelp =
    "Usage: telbase import PATH FILE.csv [--cp1251] [--skip-bad]\n"
    "Appends the entries of a CSV file to the table. The first row names the columns\n"
    "(any order, any letter case); missing columns stay empty. Text is UTF-8, with or\n"
    "without a byte-order mark. Every bad row is reported with its line number; nothing\n"
    "is written unless every row is good.\n"
    "\n"
    "  --cp1251     the file is in code page 1251, not UTF-8\n"
    "  --skip-bad   import the good rows and only report the bad ones\n";

const std::string_view kExportHelp =
    "Usage: telbase export PATH [FILE.csv]\n"
    "Writes every entry of the table, in record order, as CSV in UTF-8 with a header\n"
    "row, to FILE.csv or to the standard output. Importing the file into an empty\n"
    "table gives the same entries back.\n";

const std::string_view kDemoHelp =
    "Usage: telbase demo PATH [--entries N] [--force]\n"
    "Makes a directory table filled with N realistic demo entries (default 2000). The\n"
    "same N always gives the same table.\n"
    "\n"
    "  --entries N   how many entries to write\n"
    "  --force       replace the file when it exists\n";

const std::string_view kCheckHelp =
    "Usage: telbase check PATH [--repair]\n"
    "Reports every problem of a table file. Exit status 0 only for a sound file.\n"
    "\n"
    "  --repair   mend what can be mended without losing an entry; the original is\n"
    "             kept beside it as PATH.bak\n";

const std::string_view kQueryHelp =
    "Usage: telbase query STATEMENT [--param NAME=VALUE ...] [--count]\n"
    "Runs a statement of the engine's SQL and prints its result as CSV in UTF-8 with a\n"
    "header row. Example:\n"
    "  telbase query \"select * from 'TelBase.dbf' where kab=:kab ORDER BY FIO\" --param kab=12\n"
    "\n"
    "  --param NAME=VALUE   value of the parameter :NAME; a whole number binds as an\n"
    "                       integer, anything else as text\n"
    "  --count              print only the number of rows\n";

const std::string_view kPackHelp =
    "Usage: telbase pack PATH\n"
    "Removes the deleted entries for good. The original is kept as PATH.bak. Refused\n"
    "while another program holds a lock on the table.\n";

} // namespace telbase::msg
