#pragma once

#include <QString>

// The application title, which neither program sets: the program file's name without its
// folder and without everything from its first "." on, its first character as written and
// every later one in lower case ("FONVIK.EXE" gives "Fonvik", "fonvik" stays "fonvik").
QString ApplicationTitle();

// The same rule for any program file path.
QString ApplicationTitleOf(const QString &programFilePath);
