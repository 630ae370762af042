#include "inifile.h"

#include <QFileInfo>

#include "cp1251.h"
#include "exceptions.h"
#include "fileaccess.h"
#include "initext.h"
#include "messages.h"

namespace {

QString decodeName(QByteArrayView name)
{
    return Cp1251::toUnicode(name);
}

bool holdsLineBreakOrNul(const QByteArray &s)
{
    return s.contains('\n') || s.contains('\r') || s.contains('\0');
}

bool startsAsNonKey(const QByteArray &key)
{
    // A key that would read back as a comment or a section header, or that loses blanks.
    const char first = key.front();
    const char last = key.back();
    return first == ';' || first == '#' || first == '[' || first == ' ' || first == '\t' ||
           last == ' ' || last == '\t';
}

} // namespace

TIniFile::TIniFile(const QString &fileName) : m_fileName(fileName) {}

TIniFile::~TIniFile() = default;

QString TIniFile::ReadString(const QString &section, const QString &ident,
                             const QString &defaultValue) const
{
    QByteArray bytes;
    if (FileAccess::readWhole(m_fileName, bytes) != FileAccess::ReadResult::Ok)
        return defaultValue;
    const IniText text(std::move(bytes), decodeName);
    const auto value = text.value(Cp1251::fromUnicode(section), Cp1251::fromUnicode(ident));
    if (!value)
        return defaultValue;
    QByteArrayView v(*value);
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v = v.first(nul);
    return Cp1251::toUnicode(v.first(std::min<qsizetype>(v.size(), kMaxValueLength)));
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    const QByteArray s = Cp1251::fromUnicode(section);
    const QByteArray k = Cp1251::fromUnicode(ident);
    const QByteArray v = Cp1251::fromUnicode(value);
    if (s.isEmpty() || k.isEmpty() || holdsLineBreakOrNul(s) || holdsLineBreakOrNul(k) ||
        holdsLineBreakOrNul(v) || s.contains(']') || k.contains('=') || startsAsNonKey(k))
        raiseWriteError();

    QByteArray bytes;
    // A file that exists but cannot be read is not replaced: its other lines would be lost.
    if (FileAccess::readWhole(m_fileName, bytes) == FileAccess::ReadResult::Failed)
        raiseWriteError();
    IniText text(std::move(bytes), decodeName);
    text.setValue(s, k, v);
    if (!FileAccess::replaceWhole(m_fileName, text.bytes()))
        raiseWriteError();
}

void TIniFile::raiseWriteError() const
{
    throw EIniFileException(Messages::unableToWrite(QFileInfo(m_fileName).absoluteFilePath()));
}
