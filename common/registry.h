#pragma once

#include <QByteArray>
#include <QString>

#include "fileaccess.h"

// The registry object over the machine-wide store file, which stands in for the system
// registry on Linux.
//
// The store file is text in UTF-8 (it holds file system paths), in the INI layout of
// inifile.h: a header line per key, "[" key path "]", with the path's parts separated by
// "\" and without a leading "\", followed by one line per value, name "=" type ":" data.
// Key paths and value names are matched without regard to letter case. Types and data:
//   sz:        a string; data is the exact bytes, with the escapes \\ \0 \n \r \t \xHH
//              (a string written here ends with its terminating NUL, written \0)
//   expand_sz: an expandable string, data as for sz; read as it stands, never expanded
//   multi_sz:  a list of strings, data as for sz
//   dword:     a 32-bit number, decimal or 0x-prefixed hexadecimal
//   binary:    raw bytes as pairs of hex digits, blanks or commas between them allowed
//   none:      untyped bytes, as for binary
// For example:
//   [SOFTWARE\Borland\Database Engine]
//   DLLPATH=sz:/opt/fonvik/dll/\0
//
// A damaged or badly hand-edited store never stops a program; it reads as follows:
// - lines that are neither headers nor value lines are ignored and kept on a write;
// - a value without a known type prefix ("DLLPATH=/opt/x/") is a string of the text
//   after "=" as written, without escapes;
// - a dword or binary whose data does not parse is a binary value holding the text after
//   the ":" (so reading it as a string fails with "Invalid data type"; it is not
//   overwritten);
// - an unknown escape, or "\x" without two hex digits, keeps its backslash literally;
// - a store path that is a folder, a pipe or an unreadable file cannot be opened.

// Root keys. Only HKEY_LOCAL_MACHINE has a store; keys under other roots cannot be opened.
using HKEY = unsigned int;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// Access rights of a TRegistry. KEY_ALL_ACCESS needs an account that may write the store
// (even to open an existing key); KEY_READ only reads and never creates.
inline constexpr unsigned int KEY_READ = 0x20019u;
inline constexpr unsigned int KEY_ALL_ACCESS = 0xF003Fu;

// The file access that TRegistry goes through: a seam so that tests can fail a read, a
// write or the right to write. The default works on the file system.
class StoreFileAccess
{
public:
    virtual ~StoreFileAccess();
    // The store's bytes. Missing when there is no store file yet.
    virtual FileAccess::ReadResult load(const QString &path, QByteArray &bytes);
    // True when this account may change the store (creating its folders when needed).
    virtual bool mayWrite(const QString &path);
    // Replaces the store with bytes, all or nothing. False on failure.
    virtual bool save(const QString &path, const QByteArray &bytes);
};

// The path of the machine-wide store: the build's FONVIK_MACHINE_STORE unless a test set
// another one.
QString MachineStorePath();
// Tests only: path replaces the store path; an empty path restores the build's one.
void setMachineStorePathForTesting(const QString &path);
// Tests only: access (kept by the caller, alive while in use) replaces the file access;
// nullptr restores the default. Returns the previous replacement or nullptr.
StoreFileAccess *setStoreFileAccessForTesting(StoreFileAccess *access);

class TRegistry
{
public:
    // Starts with root HKEY_CURRENT_USER and no key open.
    explicit TRegistry(unsigned int access = KEY_ALL_ACCESS);
    // Release: closes the key if it is still open.
    ~TRegistry();

    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    HKEY RootKey() const { return m_rootKey; }
    // Closes an open key first.
    void setRootKey(HKEY rootKey);

    // Opens key (a leading "\" is dropped) under the root; with canCreate, a missing key is
    // created in the store at once. Returns false, raising nothing, on any failure: another
    // root, an account that may not write the store while asking for all access, a store
    // that cannot be read, a missing key without canCreate, a failed creation.
    bool OpenKey(const QString &key, bool canCreate);

    // The string value name of the open key: empty when there is no key open, when the
    // value is absent or has no data; for sz and expand_sz the data up to its first NUL.
    // Raises ERegistryException "Invalid data type for '<name>'" for a value of another
    // type with data, "Failed to get data for '<name>'" when the store cannot be read.
    QString ReadString(const QString &name);

    // Sets name of the open key to the sz value of value with its terminating NUL. Raises
    // ERegistryException "Failed to set data for '<name>'" when no key is open (or it was
    // opened for reading), when name cannot be stored, or when the store cannot be read
    // or written; the store is then unchanged.
    void WriteString(const QString &name, const QString &value);

    void CloseKey();

    // The open key's path, empty when none is open.
    const QString &CurrentPath() const { return m_currentPath; }

private:
    unsigned int m_access;
    HKEY m_rootKey = HKEY_CURRENT_USER;
    QString m_currentPath;
    bool m_open = false;
};
