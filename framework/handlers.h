#pragma once

#include <functional>

#include <QChar>

// Runs an event handler of a control. An exception that leaves the handler ends it
// there and is shown in the framework's error box; the program goes on. Returns true
// when the handler ran to its end.
bool RunHandler(const std::function<void()> &handler);

// One character between QString and the 8-bit code page 1251 that key events carry.
char Cp1251Char(QChar c);
QChar Cp1251ToChar(char c);
