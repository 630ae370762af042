#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The text of an INI file as bytes, with lookups and in-place changes that leave every
// other byte as it was. TIniFile (code page 1251) and the engine location store (UTF-8)
// share it; the rules of the format are told where TIniFile is declared (inifile.h).
class IniText
{
public:
    // decode turns a name as it stands in the file into text, so that names can be matched
    // without regard to case in the file's own encoding.
    using Decode = QString (*)(QByteArrayView);

    IniText(QByteArray bytes, Decode decode);

    const QByteArray &bytes() const { return m_bytes; }

    // The value of the first key named key in the first section named section, exactly as
    // it stands after "=" and the blanks that follow it, or nullopt when there is none.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    bool hasSection(QByteArrayView section) const;

    // Replaces that value in place, or adds the key at the end of the first such section,
    // or adds the section with the key at the end of the text.
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Adds an empty section at the end of the text unless one of that name exists.
    void addSection(QByteArrayView section);

    // The line ending that new lines get: the one most lines of the text end with, "\n"
    // when they tie or there is none.
    QByteArray newLine() const;

private:
    struct Place;
    std::optional<Place> find(QByteArrayView section, QByteArrayView key) const;
    void append(const QByteArray &lines);
    bool sameName(QByteArrayView a, QByteArrayView b) const;

    QByteArray m_bytes;
    Decode m_decode;
};
