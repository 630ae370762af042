#pragma once

// Writes small directory tables for the viewer's tests: a dBASE III file with the seven
// directory fields, text in code page 1251.

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QString>

#include "cp1251.h"

struct TestEntry {
    QString fio;
    QString otdel;
    QString dolj;
    QString kab;    // numbers as text; "" for an empty value
    QString nvnutr;
    QString ngorod;
    QString nsot;
};

inline bool WriteDirectoryTable(const QString &path, const std::vector<TestEntry> &entries)
{
    struct Field {
        const char *name;
        char type;
        int length;
    };
    static const Field fields[] = {{"FIO", 'C', 60},   {"OTDEL", 'C', 60}, {"DOLJ", 'C', 50},
                                   {"KAB", 'N', 6},    {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11},
                                   {"NSOT", 'C', 20}};
    constexpr int kHeaderSize = 32;
    constexpr int kDescriptorSize = 32;
    constexpr char kHeaderEnd = 0x0D;
    constexpr char kEndOfFile = 0x1A;
    constexpr char kDbase3 = 0x03;
    constexpr char kLanguage1251 = char(0xC9);
    int recordSize = 1;
    for (const Field &f : fields)
        recordSize += f.length;
    const int headerSize = kHeaderSize + kDescriptorSize * 7 + 1;
    const auto le16 = [](QByteArray &b, int at, uint16_t v) {
        b[at] = char(v & 0xFF);
        b[at + 1] = char(v >> 8);
    };
    QByteArray bytes(kHeaderSize, '\0');
    bytes[0] = kDbase3;
    bytes[1] = char(126);
    bytes[2] = char(12);
    bytes[3] = char(11);
    const auto count = uint32_t(entries.size());
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = char((count >> (8 * i)) & 0xFF);
    le16(bytes, 8, uint16_t(headerSize));
    le16(bytes, 10, uint16_t(recordSize));
    bytes[29] = kLanguage1251;
    for (const Field &f : fields) {
        QByteArray d(kDescriptorSize, '\0');
        d.replace(0, int(qstrlen(f.name)), f.name);
        d[11] = f.type;
        d[16] = char(f.length);
        bytes += d;
    }
    bytes += kHeaderEnd;
    for (const TestEntry &e : entries) {
        const QString values[] = {e.fio, e.otdel, e.dolj, e.kab, e.nvnutr, e.ngorod, e.nsot};
        QByteArray record(1, ' ');
        for (int i = 0; i < 7; ++i) {
            QByteArray v = Cp1251::fromUnicode(values[i]).left(fields[i].length);
            const QByteArray pad(fields[i].length - v.size(), ' ');
            record += fields[i].type == 'N' ? pad + v : v + pad;
        }
        bytes += record;
    }
    bytes += kEndOfFile;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
