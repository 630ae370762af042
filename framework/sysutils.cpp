#include "sysutils.h"

#include "exceptions.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isDecimalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

bool TryStrToInt(const QString &text, qint32 &value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') ||
                  text.at(i) == QLatin1Char('X'))) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false; // no digits at all
    quint64 magnitude = 0;
    if (hex) {
        for (; i < n; ++i) {
            const int d = hexDigit(text.at(i));
            if (d < 0)
                return false;
            magnitude = magnitude * 16 + quint64(d);
            if (magnitude > 0xFFFFFFFFull)
                return false;
        }
        // The digits are the integer's 32 bits; a sign negates that integer (wrapping, so
        // -$80000000 stays the smallest integer).
        quint32 bits = quint32(magnitude);
        if (negative)
            bits = 0u - bits;
        value = qint32(bits);
        return true;
    }
    const quint64 limit = negative ? 2147483648ull : 2147483647ull;
    for (; i < n; ++i) {
        if (!isDecimalDigit(text.at(i)))
            return false;
        magnitude = magnitude * 10 + quint64(text.at(i).unicode() - u'0');
        if (magnitude > limit)
            return false;
    }
    value = negative ? qint32(-qint64(magnitude)) : qint32(magnitude);
    return true;
}

qint32 StrToInt(const QString &text)
{
    qint32 value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QString::fromLatin1(SysMessages::InvalidInteger).arg(text));
    return value;
}
