#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Conversion between the 8-bit Windows Cyrillic code page 1251, the code page of the
// settings file and of all text crossing the engine boundary, and QString. This is the
// one place where that conversion happens.
namespace Cp1251 {

// Every byte maps to one character, so nothing read is lost. The one byte that the code
// page leaves unassigned, 0x98, maps to U+0098 so that it survives a round trip.
QString toUnicode(QByteArrayView bytes);

// One byte per UTF-16 unit. A character that the code page cannot hold becomes '?'
// (a surrogate pair becomes one '?').
QByteArray fromUnicode(const QString &text);

} // namespace Cp1251
