#include "handlers.h"

#include <QString>

#include "cp1251.h"
#include "errorbox.h"

bool RunHandler(const std::function<void()> &handler)
{
    return Handle(handler);
}

char Cp1251Char(QChar c)
{
    const QByteArray bytes = Cp1251::fromUnicode(QString(c));
    return bytes.isEmpty() ? '?' : bytes.at(0);
}

QChar Cp1251ToChar(char c)
{
    const QString text = Cp1251::toUnicode(QByteArrayView(&c, 1));
    return text.isEmpty() ? QChar(u'?') : text.at(0);
}
