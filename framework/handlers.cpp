#include "handlers.h"

#include <QDebug>

#include "exceptions.h"

bool RunHandler(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        qWarning().noquote() << e.Message();
    } catch (const std::exception &e) {
        qWarning().noquote() << e.what();
    }
    return false;
}

char Cp1251Char(QChar c)
{
    return c.unicode() < 0x80 ? char(c.unicode()) : '?';
}

QChar Cp1251ToChar(char c)
{
    return QChar(uchar(c) < 0x80 ? uchar(c) : u'?');
}
