#pragma once

// Helpers for the dataset tests: a temporary folder per test, a tiny dBASE III table
// written byte by byte (so the tests do not depend on the engine's own writer), and the
// process-wide engine loader pointed at the build's engine module.

#include <cstdint>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "engineloader.h"
#include "cp1251.h"

namespace dbftest {

struct Field
{
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

struct Record
{
    std::vector<QString> values; // as the programs see them (converted to 1251)
    bool deleted = false;
};

constexpr uint8_t Dbase3 = 0x03;
constexpr uint8_t Ldid1251 = 0xC9;
constexpr int HeaderSize = 32;
constexpr int DescriptorSize = 32;
constexpr char HeaderEnd = 0x0D;
constexpr char FileEnd = 0x1A;

inline QByteArray makeDbf(const std::vector<Field> &fields, const std::vector<Record> &records)
{
    QByteArray out;
    auto put8 = [&](int v) { out.append(char(uint8_t(v))); };
    auto put16 = [&](int v) { put8(v & 0xFF); put8((v >> 8) & 0xFF); };
    auto put32 = [&](uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    int recordSize = 1;
    for (const Field &f : fields)
        recordSize += f.length;
    put8(Dbase3);
    put8(126); put8(12); put8(11); // last update, years since 1900
    put32(uint32_t(records.size()));
    put16(HeaderSize + DescriptorSize * int(fields.size()) + 1);
    put16(recordSize);
    for (int i = 12; i < 32; ++i)
        put8(i == 29 ? Ldid1251 : 0);
    for (const Field &f : fields) {
        QByteArray name = QByteArray::fromStdString(f.name).left(10);
        name.resize(11, '\0');
        out.append(name);
        put8(f.type);
        put32(0);
        put8(f.length);
        put8(f.decimals);
        for (int i = 0; i < 14; ++i)
            put8(0);
    }
    out.append(HeaderEnd);
    for (const Record &r : records) {
        out.append(r.deleted ? '*' : ' ');
        for (size_t i = 0; i < fields.size(); ++i) {
            const Field &f = fields[i];
            QByteArray v = Cp1251::fromUnicode(i < r.values.size() ? r.values[i] : QString());
            v.truncate(f.length);
            const QByteArray pad(f.length - v.size(), ' ');
            out.append(f.type == 'N' || f.type == 'F' ? pad + v : v + pad);
        }
    }
    out.append(FileEnd);
    return out;
}

inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(bytes);
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The process-wide loader searching only the build's engine folder.
inline void useBuiltEngine() { EngineLoader::instance().SetFolders({QStringLiteral(FONVIK_ENGINE_DIR)}); }

// The directory table's structure, small widths for readable fixtures.
inline std::vector<Field> directoryFields()
{
    return {{"FIO", 'C', 20}, {"OTDEL", 'C', 20}, {"DOLJ", 'C', 10}, {"KAB", 'N', 6},
            {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11}, {"NSOT", 'C', 12}};
}

} // namespace dbftest
