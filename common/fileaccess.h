#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and all-or-nothing replacement of small text files (the settings file
// and the engine location store). Paths are QStrings in the file system's encoding.
//
// Permissions are judged by the file's mode bits for everybody, root included: root
// passes every access() check, but a file that nobody may write must still refuse the
// write, as it would on a desktop account.
namespace FileAccess {

enum class ReadResult {
    Ok,      // bytes hold the whole file
    Missing, // no such file (or no such folder)
    Failed,  // present but not a regular file, not readable, or a read error
};

// Reads the regular file at path whole into bytes (cleared first).
ReadResult readWhole(const QString &path, QByteArray &bytes);

// True when path may be replaced: when it exists it is a regular file this account may
// write, and its folder lets this account create files. When createFolders is true, a
// missing folder counts when its nearest existing ancestor lets this account create one.
bool mayWrite(const QString &path, bool createFolders = false);

// Replaces the file at path with bytes, all or nothing: the bytes go to a temporary file in
// the same folder, which is then renamed over the file. An existing file keeps its mode
// and, where permitted, its owner; a symbolic link keeps pointing at the replaced file. A
// new file gets 0666 less the umask. With createFolders, missing folders are created first.
// Returns false on any failure, leaving the file as it was.
bool replaceWhole(const QString &path, const QByteArray &bytes, bool createFolders = false);

} // namespace FileAccess
