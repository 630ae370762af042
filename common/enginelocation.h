#pragma once

#include <QString>

// Where the database engine's library is configured on this machine.
namespace EngineLocation {
// The key of the engine's settings in the machine-wide store, and the value naming the
// folder that holds the engine module.
inline constexpr char kKeyPath[] = "\\SOFTWARE\\Borland\\Database Engine";
inline constexpr char kValueName[] = "DLLPATH";
// The folder inside the program folder that the step points the engine at.
inline constexpr char kEngineFolder[] = "dll/";
} // namespace EngineLocation

// The engine library location step, run first at each program start: when no engine
// location is configured (DLLPATH absent, without data, or a string empty before its first
// NUL), sets it to the program folder followed by "dll/"; a configured one is never changed
// and not checked. When this account may not write the store, does nothing and reports
// nothing. Raises ERegistryException "Invalid data type for 'DLLPATH'" for a value that is
// not a string, "Failed to get data for 'DLLPATH'" when it cannot be read, and
// "Failed to set data for 'DLLPATH'" when it cannot be written.
void LocateEngineLibrary();

// The configured engine location (DLLPATH as it stands, an expandable string unexpanded),
// for the engine loader. Empty when none is configured or it cannot be read as a string.
// Only reads; never raises.
QString ConfiguredEngineLocation();
