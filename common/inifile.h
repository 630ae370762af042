#pragma once

#include <QString>

// The settings file object: an INI text file read and written by section and key.
//
// The format, as this reader and writer hold it:
// - The file is 8-bit text in code page 1251; names and values pass through unconverted
//   (the QString arguments and results are converted with Cp1251 here and nowhere else).
// - Lines end with LF or CRLF; each line keeps its own ending through a write, and a new
//   line gets the ending that most lines of the file have (LF when they tie). A UTF-8
//   byte-order mark before the first line is skipped when reading and kept when writing.
// - A line whose first non-blank character is ";" or "#" is a comment. Blank lines,
//   comments and any line that is neither a section header nor a key line are ignored
//   when reading and left as they are when writing. Blanks are spaces and tabs.
// - A section header is "[" name "]" after optional blanks; text after the "]" is ignored.
//   A key line is name "=" value. Blanks around a name and after the "=" are not part of
//   it; the value is the rest of the line, as written, including blanks at its end and
//   any quotes. Key lines before the first section header belong to no section.
// - Names are matched without regard to letter case (Cyrillic included).
// - A section that appears more than once counts only where it first appears; a key that
//   appears more than once in it counts only where it first appears. That first key line
//   is the one a write replaces; the repeats stay as they are.
// - A write replaces only the value of an existing key line, so that line keeps its name
//   as it was written (letter case, blanks). A new key is added after the section's last
//   key line (or its header) as name=value; a new section is added at the end of the
//   file as [name] followed by its key line.
// - A value read ends at its first NUL byte and is cut after 2047 characters.
// - Any bytes (NUL, binary garbage, a line of many megabytes) are read by these rules.
class TIniFile
{
public:
    static constexpr int kMaxValueLength = 2047;

    // Touches no file; a missing file is no error.
    explicit TIniFile(const QString &fileName);
    // Release: writes are complete when WriteString returns, so nothing is left to flush.
    ~TIniFile();

    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    const QString &FileName() const { return m_fileName; }

    // The value of key in section, a present empty value as empty text. defaultValue when
    // the file, the section or the key is missing, or when the file cannot be read (also
    // when the path names a folder). Never raises.
    QString ReadString(const QString &section, const QString &ident,
                       const QString &defaultValue) const;

    // Sets key in section to value: creates the file, the section and the key as needed and
    // replaces an existing value in place, leaving every other byte of the file as it was.
    // The file is replaced all or nothing and keeps its permissions.
    // Raises EIniFileException "Unable to write to <full path>" when the file cannot be
    // written (read-only, a folder, missing folder, present but unreadable) or when the
    // section, key or value cannot be stored on one line (a line break or NUL in any of
    // them, "]" in the section, "=" in the key, an empty section or key); the file is then
    // unchanged.
    void WriteString(const QString &section, const QString &ident, const QString &value);

private:
    [[noreturn]] void raiseWriteError() const;

    QString m_fileName;
};
