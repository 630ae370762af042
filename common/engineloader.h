#pragma once

// Loads the engine module (dlopen) and starts one engine for the whole process.
//
// The module "libdbengine.so" is looked for first in each folder of the configured engine
// location (the machine store's DLLPATH; several folders may be separated by ';'), then
// in the program folder's "dll/". The first module found whose dbe_api_version() matches
// and that has every function is used; it stays loaded, and its engine stays started,
// until the process ends. A failed load is tried again on the next open, with the
// configured location read afresh.
//
// When no engine can be loaded or started, Engine() raises EDBEngineError with the
// engine start text and one of these codes:
//   $2501  no module in any of the folders
//   $2502  a module was found but is of another version, lacks a function, or does not
//          load (a broken file)
//   $2503  the module loaded but dbe_open failed

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "dbengine.h"

// The engine's functions, resolved from the module.
struct DbeApi
{
    int (*api_version)();
    int (*open)(dbe_engine **);
    void (*close)(dbe_engine *);
    const char *(*errmsg)(dbe_engine *);
    const char *(*errstr)(int);
    int (*query)(dbe_engine *, const char *, const dbe_param *, size_t, dbe_cursor **);
    void (*cursor_close)(dbe_cursor *);
    int (*cursor_field_count)(dbe_cursor *);
    int (*cursor_field)(dbe_cursor *, int, dbe_field_desc *);
    int64_t (*cursor_row_count)(dbe_cursor *);
    int (*cursor_text)(dbe_cursor *, int64_t, int, char *, size_t, size_t *);
    int (*table_open)(dbe_engine *, const char *, dbe_table **);
    void (*table_close)(dbe_table *);
    int (*table_readonly)(dbe_table *);
    int (*table_field_count)(dbe_table *);
    int (*table_field)(dbe_table *, int, dbe_field_desc *);
    int (*table_refresh)(dbe_table *, uint32_t *);
    int (*table_live_count)(dbe_table *, uint32_t *);
    int (*table_seek)(dbe_table *, uint32_t, int, uint32_t *);
    int (*table_nth)(dbe_table *, uint32_t, uint32_t *);
    int (*table_is_deleted)(dbe_table *, uint32_t);
    int (*table_text)(dbe_table *, uint32_t, int, char *, size_t, size_t *);
    int (*table_lock)(dbe_table *, uint32_t);
    int (*table_unlock)(dbe_table *, uint32_t);
    int (*table_update)(dbe_table *, uint32_t, const char *const *);
    int (*table_append)(dbe_table *, const char *const *, size_t, uint32_t *);
    int (*table_delete)(dbe_table *, uint32_t);
};

class EngineLoader
{
public:
    enum StartError { ModuleNotFound = 0x2501, ModuleInvalid = 0x2502, OpenFailed = 0x2503 };

    // A loader over DefaultEngineFolders(), read at each load attempt.
    EngineLoader();
    // A loader that searches these folders, in order (each ending with '/' or not).
    explicit EngineLoader(QStringList folders);
    ~EngineLoader(); // closes the engine and unloads the module
    EngineLoader(const EngineLoader &) = delete;
    EngineLoader &operator=(const EngineLoader &) = delete;

    // The process-wide loader over the configured location and the program folder's dll/.
    static EngineLoader &instance();

    // Loads and starts the engine when not yet done; raises EDBEngineError with the start
    // text on failure. The returned engine stays valid for the loader's life.
    dbe_engine *Engine();
    // The resolved functions; valid once Engine() has succeeded.
    const DbeApi &Api() const { return m_api; }
    bool IsLoaded() const { return m_engine != nullptr; }
    QString ModulePath() const { return m_modulePath; }

    // Tests point the process-wide loader at the build's engine folder, and back to the
    // default folders. Each unloads the engine: only while no dataset is open.
    void SetFolders(QStringList folders);
    void UseDefaultFolders();
    // The folders the next load attempt searches.
    QStringList Folders() const;

    // The engine's message for the last failure on `engine` as an exception text: its
    // lines, each distinct line once; the code's text when the engine gave none.
    [[noreturn]] void raiseEngineError(int code) const;

private:
    int tryLoad(const QString &path); // 0 on success, else a StartError
    void unload();

    std::optional<QStringList> m_folders; // none: DefaultEngineFolders()
    void *m_module = nullptr;
    dbe_engine *m_engine = nullptr;
    DbeApi m_api {};
    QString m_modulePath;
};

// The folders the process-wide loader searches: the configured engine location's folders,
// then the program folder followed by "dll/".
QStringList DefaultEngineFolders();

// A cell's text from the engine, read through `read(buf, size, &len)` (dbe_cursor_text or
// dbe_table_text), in a buffer that grows when the text does not fit. "" on failure: a
// grid that paints a row has nobody to report to.
template <typename ReadFn>
QByteArray ReadEngineCell(ReadFn read)
{
    char small[256];
    size_t len = 0;
    int rc = read(small, sizeof small, &len);
    if (rc == DBE_OK)
        return QByteArray(small, qsizetype(len));
    if (rc != DBE_RANGE || len < sizeof small)
        return QByteArray();
    QByteArray big(qsizetype(len + 1), '\0');
    rc = read(big.data(), size_t(big.size()), &len);
    if (rc != DBE_OK)
        return QByteArray();
    big.truncate(qsizetype(len));
    return big;
}
