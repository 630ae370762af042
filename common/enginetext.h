#pragma once

// Text crosses the engine boundary in code page 1251; these are the dataset layer's one
// place of conversion.

#include <QByteArray>
#include <QString>

namespace engineText {

QString fromEngine(const char *text);
QString fromEngine(const QByteArray &text);
// Characters that 1251 lacks become '?'.
QByteArray toEngine(const QString &text);

} // namespace engineText
