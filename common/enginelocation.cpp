#include "enginelocation.h"

#include "exceptions.h"
#include "programfolder.h"
#include "registry.h"

void LocateEngineLibrary()
{
    TRegistry registry;
    registry.setRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(QString::fromLatin1(EngineLocation::kKeyPath), true))
        return;
    const QString name = QString::fromLatin1(EngineLocation::kValueName);
    if (registry.ReadString(name).isEmpty())
        registry.WriteString(name, ProgramFolder::path() + QLatin1String(EngineLocation::kEngineFolder));
    registry.CloseKey();
}

QString ConfiguredEngineLocation()
{
    try {
        TRegistry registry(KEY_READ);
        registry.setRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey(QString::fromLatin1(EngineLocation::kKeyPath), false))
            return QString();
        return registry.ReadString(QString::fromLatin1(EngineLocation::kValueName));
    } catch (const std::exception &) {
        return QString();
    }
}
