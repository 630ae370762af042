#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every text that telbase shows, in one place. Texts are UTF-8.
namespace telbase::msg {

inline constexpr std::string_view kProgram = "telbase";

// CSV syntax faults (a record's reason).
inline constexpr std::string_view kCsvUnclosedQuote = "a quoted field is not closed";
inline constexpr std::string_view kCsvTextAfterQuote = "text follows a closing quote";
inline constexpr std::string_view kCsvQuoteInField = "a quote inside a field that is not quoted";

// Command line.
std::string unknownCommand(std::string_view command);
std::string unknownOption(std::string_view option);
std::string missingArgument(std::string_view what);
std::string extraArgument(std::string_view argument);
std::string optionNeedsValue(std::string_view option);
std::string badEntryCount(std::string_view text);
std::string badParam(std::string_view text);
inline constexpr std::string_view kSeeHelp = "try 'telbase --help'";

// Files.
std::string cannotRead(std::string_view path, int error);
std::string cannotWrite(std::string_view path, int error);
std::string notValidUtf8Argument(std::string_view what);
std::string notInCodePageArgument(std::string_view what, char32_t codePoint);

// The engine.
std::string engineStartFailed(std::string_view reason);
std::string tableExists(std::string_view path);
std::string tableReadOnly(std::string_view path);

// Import: the header and the rows.
inline constexpr std::string_view kNoHeader = "the file is empty: no header row";
std::string unknownColumn(std::string_view name, std::string_view fieldList);
std::string duplicateColumn(std::string_view name);
std::string headerFault(std::size_t line, std::string_view reason);
std::string rowFault(std::size_t line, std::string_view reason);
std::string wrongFieldCount(std::size_t got, std::size_t expected);
std::string notWholeNumber(std::string_view field, std::string_view text);
std::string notNumber(std::string_view field, std::string_view text, int decimals);
std::string numberTooWide(std::string_view field, std::string_view text, int width);
std::string textTooLong(std::string_view field, std::size_t length, int maxLength);
std::string notInCodePage(std::string_view field, char32_t codePoint);
std::string invalidUtf8(std::string_view field);
std::string importRefused(std::size_t badRows);
std::string importDone(std::size_t entries, std::string_view path);
std::string importSkipped(std::size_t badRows);
std::string importStopped(std::size_t line, std::size_t withdrawn);
std::string checkProgress(std::size_t percent);
std::string importProgress(std::size_t done, std::size_t total);

// The other commands.
std::string created(std::string_view path);
std::string demoDone(std::size_t entries, std::string_view path);
std::string exported(std::size_t entries, std::string_view path);
std::string checkSound(std::string_view path);
std::string checkProblems(int problems, std::string_view path);
std::string repairLeft(int problems);
std::string packDone(std::size_t kept, std::size_t removed, std::string_view backup);
std::string packLocked(std::string_view path);

// Help texts.
extern const std::string_view kUsage;
extern const std::string_view kCreateHelp;
extern const std::string_view kImportHelp;
extern const std::string_view kExportHelp;
extern const std::string_view kDemoHelp;
extern const std::string_view kCheckHelp;
extern const std::string_view kQueryHelp;
extern const std::string_view kPackHelp;

} // namespace telbase::msg
