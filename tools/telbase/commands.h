#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace telbase {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the command failed (or check found problems)
inline constexpr int kExitUsage = 2;   // the command line is wrong

// Where a command writes: results and reports to out, errors and progress to err.
struct Console
{
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool errIsTerminal = false; // show progress on err
};

// Runs one telbase command line (without the program name) and returns its exit status.
// Never throws; every failure is reported on console.err.
int run(const std::vector<std::string> &args, const Console &console);

// Parts of the command line, after the command's name.
struct CommandLine
{
    std::vector<std::string> positional;
    std::vector<std::string> flags;                           // "--force", ...
    std::vector<std::pair<std::string, std::string>> values;  // option, value, in order
    bool help = false;

    bool has(const std::string &flag) const;
};

// The commands, for run(); each reports on console and returns the exit status.
int commandCreate(const CommandLine &line, const Console &console);
int commandImport(const CommandLine &line, const Console &console);
int commandExport(const CommandLine &line, const Console &console);
int commandDemo(const CommandLine &line, const Console &console);
int commandCheck(const CommandLine &line, const Console &console);
int commandQuery(const CommandLine &line, const Console &console);
int commandPack(const CommandLine &line, const Console &console);

// Reporting helpers shared by the commands.
void printError(const Console &console, const std::string &message);
void printErrors(const Console &console, const std::vector<std::string> &messages);
void printLine(const Console &console, const std::string &message);

} // namespace telbase
