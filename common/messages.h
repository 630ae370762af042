#pragma once

#include <QString>

// Message texts of the settings file and the engine location store, in one place.
namespace Messages {

// A failed write of the settings file; path is the file's full path.
inline QString unableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

// The engine location store: name is the value's name.
inline QString invalidDataType(const QString &name)
{
    return QStringLiteral("Invalid data type for '%1'").arg(name);
}

inline QString failedToGetData(const QString &name)
{
    return QStringLiteral("Failed to get data for '%1'").arg(name);
}

inline QString failedToSetData(const QString &name)
{
    return QStringLiteral("Failed to set data for '%1'").arg(name);
}

} // namespace Messages
