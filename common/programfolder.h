#pragma once

#include <QString>

// The program folder: the folder of the running program file, with its final separator.
// The settings file lies there, and the engine module in its "dll/" subfolder.
class ProgramFolder
{
public:
    // The running program file's full path as the system reports it for the process
    // (/proc/self/exe, else QCoreApplication::applicationFilePath()). Empty when neither
    // is known.
    static QString programFilePath();

    // The program folder, ending with "/". A folder set with setForTesting() wins.
    static QString path();

    // Everything of filePath up to and including its last "/"; nothing is appended or
    // normalised. Empty when filePath holds no "/".
    static QString of(const QString &filePath);

    // Makes path() return folder (given as is, normally ending with "/") so that tests can
    // keep their settings file in a temporary folder. An empty folder restores the real one.
    // Only tests call this; the programs read no arguments or environment variables.
    static void setForTesting(const QString &folder);
};
