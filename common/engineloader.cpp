#include "engineloader.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <QSet>

#include "cp1251.h"
#include "dbmessages.h"
#include "enginelocation.h"
#include "exceptions.h"
#include "programfolder.h"

namespace {

constexpr const char *ModuleFileName = "libdbengine.so";
constexpr QChar LocationSeparator = u';';

QString withSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

[[noreturn]] void raiseStartError(int code)
{
    // printf's "%.4x": at least four lower-case hexadecimal digits.
    throw EDBEngineError(
        DbMessages::text(DbMessages::EngineStart).arg(code, 4, 16, QChar(u'0')), code);
}

} // namespace

QStringList DefaultEngineFolders()
{
    QStringList folders;
    for (const QString &part : ConfiguredEngineLocation().split(LocationSeparator)) {
        const QString folder = part.trimmed();
        if (!folder.isEmpty())
            folders << withSeparator(folder);
    }
    folders << ProgramFolder::path() + QLatin1String(EngineLocation::kEngineFolder);
    return folders;
}

EngineLoader::EngineLoader() = default;

EngineLoader::EngineLoader(QStringList folders) : m_folders(std::move(folders)) {}

EngineLoader::~EngineLoader() { unload(); }

EngineLoader &EngineLoader::instance()
{
    static EngineLoader loader;
    return loader;
}

void EngineLoader::SetFolders(QStringList folders)
{
    unload();
    m_folders = std::move(folders);
}

void EngineLoader::UseDefaultFolders()
{
    unload();
    m_folders.reset();
}

QStringList EngineLoader::Folders() const { return m_folders ? *m_folders : DefaultEngineFolders(); }

void EngineLoader::unload()
{
    if (m_engine)
        m_api.close(m_engine);
    m_engine = nullptr;
    if (m_module)
        dlclose(m_module);
    m_module = nullptr;
    m_api = DbeApi {};
    m_modulePath.clear();
}

dbe_engine *EngineLoader::Engine()
{
    if (m_engine)
        return m_engine;
    // The most telling failure wins: a broken module says more than a missing one.
    int failure = ModuleNotFound;
    for (const QString &folder : Folders()) {
        const QString path = withSeparator(folder) + QLatin1String(ModuleFileName);
        if (!QFileInfo(path).isFile())
            continue;
        const int result = tryLoad(path);
        if (result == 0)
            return m_engine;
        failure = std::max(failure, result);
    }
    raiseStartError(failure);
}

int EngineLoader::tryLoad(const QString &path)
{
    void *module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return ModuleInvalid;

    DbeApi api {};
    bool complete = true;
    auto resolve = [&](auto &slot, const char *name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(module, name));
        complete = complete && slot;
    };
    resolve(api.api_version, "dbe_api_version");
    if (!complete || api.api_version() != DBE_API_VERSION) {
        dlclose(module);
        return ModuleInvalid;
    }
    resolve(api.open, "dbe_open");
    resolve(api.close, "dbe_close");
    resolve(api.errmsg, "dbe_errmsg");
    resolve(api.errstr, "dbe_errstr");
    resolve(api.query, "dbe_query");
    resolve(api.cursor_close, "dbe_cursor_close");
    resolve(api.cursor_field_count, "dbe_cursor_field_count");
    resolve(api.cursor_field, "dbe_cursor_field");
    resolve(api.cursor_row_count, "dbe_cursor_row_count");
    resolve(api.cursor_text, "dbe_cursor_text");
    resolve(api.table_open, "dbe_table_open");
    resolve(api.table_close, "dbe_table_close");
    resolve(api.table_readonly, "dbe_table_readonly");
    resolve(api.table_field_count, "dbe_table_field_count");
    resolve(api.table_field, "dbe_table_field");
    resolve(api.table_refresh, "dbe_table_refresh");
    resolve(api.table_live_count, "dbe_table_live_count");
    resolve(api.table_seek, "dbe_table_seek");
    resolve(api.table_nth, "dbe_table_nth");
    resolve(api.table_is_deleted, "dbe_table_is_deleted");
    resolve(api.table_text, "dbe_table_text");
    resolve(api.table_lock, "dbe_table_lock");
    resolve(api.table_unlock, "dbe_table_unlock");
    resolve(api.table_update, "dbe_table_update");
    resolve(api.table_append, "dbe_table_append");
    resolve(api.table_delete, "dbe_table_delete");
    if (!complete) {
        dlclose(module);
        return ModuleInvalid;
    }

    dbe_engine *engine = nullptr;
    if (api.open(&engine) != DBE_OK || !engine) {
        dlclose(module);
        return OpenFailed;
    }
    m_module = module;
    m_api = api;
    m_engine = engine;
    m_modulePath = path;
    return 0;
}

void EngineLoader::raiseEngineError(int code) const
{
    const char *raw = m_engine ? m_api.errmsg(m_engine) : nullptr;
    QString text = raw ? Cp1251::toUnicode(raw) : QString();
    QStringList lines;
    QSet<QString> seen;
    for (const QString &line : text.split(u'\n')) {
        if (line.isEmpty() || seen.contains(line))
            continue;
        seen.insert(line);
        lines << line;
    }
    if (lines.isEmpty() && m_engine && m_api.errstr && m_api.errstr(code))
        lines << Cp1251::toUnicode(m_api.errstr(code));
    throw EDBEngineError(lines.join(u'\n'), code);
}
