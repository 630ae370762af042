#include "dataset.h"

#include <cmath>
#include <limits>

#include <QDate>
#include <QLocale>

#include "dbmessages.h"
#include "cp1251.h"

namespace {

// dBASE type letters.
constexpr char TypeCharacter = 'C';
constexpr char TypeNumeric = 'N';
constexpr char TypeFloat = 'F';
constexpr char TypeLogical = 'L';
constexpr char TypeDate = 'D';

// Widths at which a whole-number N field stops fitting a small integer and an integer.
constexpr int SmallintMaxWidth = 4;
constexpr int IntegerMaxWidth = 9;
constexpr qint32 SmallintMin = -32768;
constexpr qint32 SmallintMax = 32767;

constexpr int NumberDisplayWidth = 10;
constexpr int BooleanDisplayWidth = 5;
constexpr int DateDisplayWidth = 10;

TFieldType fieldTypeOf(char type, int size, int decimals)
{
    switch (type) {
    case TypeCharacter:
        return ftString;
    case TypeNumeric:
        if (decimals > 0)
            return ftFloat;
        if (size <= SmallintMaxWidth)
            return ftSmallint;
        return size <= IntegerMaxWidth ? ftInteger : ftFloat;
    case TypeFloat:
        return ftFloat;
    case TypeLogical:
        return ftBoolean;
    case TypeDate:
        return ftDate;
    default:
        return ftUnknown;
    }
}

// The integer rule of the platform's string-to-integer conversion: leading blanks, one
// sign, decimal digits or hexadecimal ones after "$", "x", "X", "0x", "0X", nothing after.
std::optional<qint32> parseInteger(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    quint64 value = 0;
    for (; i < n; ++i) {
        const int digit = QChar(text[i]).isDigit() && text[i].unicode() < 0x80
                              ? text[i].unicode() - u'0'
                              : (base == 16 && text[i].toLower() >= u'a' && text[i].toLower() <= u'f'
                                     ? text[i].toLower().unicode() - u'a' + 10
                                     : -1);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        const auto bits = qint32(quint32(value));
        return negative ? qint32(-qint64(bits)) : bits;
    }
    const qint64 signedValue = negative ? -qint64(value) : qint64(value);
    if (signedValue < std::numeric_limits<qint32>::min() ||
        signedValue > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(signedValue);
}

std::optional<double> parseFloat(const QString &text)
{
    QString t = text.trimmed();
    // Either decimal separator is taken: users of the directory write a comma.
    if (!t.contains(u'.'))
        t.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatG(double value) { return QString::asprintf("%g", value); }

} // namespace

TField::TField(TDataSet *dataSet, int index, const QString &name, char type, int size,
               int decimals)
    : m_dataSet(dataSet), m_index(index), m_name(name), m_type(type), m_size(size),
      m_decimals(decimals), m_dataType(fieldTypeOf(type, size, decimals))
{
}

int TField::DisplayWidth() const
{
    switch (m_dataType) {
    case ftSmallint:
    case ftInteger:
    case ftFloat:
        return NumberDisplayWidth;
    case ftBoolean:
        return BooleanDisplayWidth;
    case ftDate:
        return DateDisplayWidth;
    default:
        return m_size;
    }
}

bool TField::IsNumeric() const
{
    return m_dataType == ftSmallint || m_dataType == ftInteger || m_dataType == ftFloat;
}

QString TField::AsString() const
{
    return m_dataSet->displayFromEngine(*this, m_dataSet->currentValue(m_index));
}

QByteArray TField::Validate(const QString &text) const
{
    if (text.isEmpty())
        return QByteArray("");
    switch (m_dataType) {
    case ftString: {
        QByteArray bytes = Cp1251::fromUnicode(text);
        if (m_size > 0 && bytes.size() > m_size)
            bytes.truncate(m_size);
        return bytes;
    }
    case ftSmallint:
    case ftInteger: {
        const std::optional<qint32> value = parseInteger(text);
        if (!value)
            throw EDatabaseError(DbMessages::text(DbMessages::InvalidInteger).arg(text, m_name));
        if (m_dataType == ftSmallint && (*value < SmallintMin || *value > SmallintMax))
            throw EDatabaseError(DbMessages::text(DbMessages::OutOfRange)
                                     .arg(formatG(*value), m_name, formatG(SmallintMin),
                                          formatG(SmallintMax)));
        return QByteArray::number(*value);
    }
    case ftFloat: {
        std::optional<double> value = parseFloat(text);
        if (!value)
            throw EDatabaseError(DbMessages::text(DbMessages::InvalidFloat).arg(text, m_name));
        if (*value == 0)
            *value = 0; // no "-0"
        return QByteArray::number(*value, 'f', std::max(0, m_decimals));
    }
    case ftBoolean: {
        const QString t = text.trimmed().toUpper();
        if (t == u"T" || t == u"Y" || t == u"TRUE" || t == u"YES")
            return QByteArray("T");
        if (t == u"F" || t == u"N" || t == u"FALSE" || t == u"NO")
            return QByteArray("F");
        throw EDatabaseError(DbMessages::text(DbMessages::InvalidBoolean).arg(text, m_name));
    }
    case ftDate: {
        const QString t = text.trimmed();
        for (const char *format : {"dd.MM.yyyy", "d.M.yyyy", "yyyy-MM-dd", "yyyyMMdd"}) {
            const QDate date = QDate::fromString(t, QLatin1String(format));
            if (date.isValid())
                return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        }
        throw EDatabaseError(DbMessages::text(DbMessages::InvalidDate).arg(text, m_name));
    }
    case ftUnknown:
        break;
    }
    throw EDatabaseError(DbMessages::text(DbMessages::FieldReadOnly).arg(m_name));
}

void TField::SetAsString(const QString &text)
{
    const TDataSetState state = m_dataSet->State();
    if (state != dsEdit && state != dsInsert)
        throw EDatabaseError(DbMessages::text(DbMessages::NotEditing));
    m_dataSet->setCurrentValue(m_index, Validate(text));
}
