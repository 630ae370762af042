#pragma once

// A tiny dBASE III table writer and reader for the tests: enough to lay down the
// directory table's seven fields and to read back what the editor left in the file,
// independently of the engine.

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tinydbf {

struct Field
{
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

struct Record
{
    bool deleted = false;
    std::vector<std::string> values; // trimmed texts, in field order
};

// The directory table's fields, narrowed so that fixtures stay small.
inline std::vector<Field> directoryFields()
{
    return {{"FIO", 'C', 30}, {"OTDEL", 'C', 20}, {"DOLJ", 'C', 20}, {"KAB", 'N', 6},
            {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11}, {"NSOT", 'C', 20}};
}

inline constexpr unsigned char kVersionDbase3 = 0x03;
inline constexpr unsigned char kHeaderEnd = 0x0D;
inline constexpr unsigned char kEndOfFile = 0x1A;
inline constexpr unsigned char kLanguage1251 = 0xC9;
inline constexpr int kFileHeaderSize = 32;
inline constexpr int kDescriptorSize = 32;

inline void putU16(std::string &out, size_t at, unsigned v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char((v >> 8) & 0xFF);
}

inline void putU32(std::string &out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Writes a table. Rows hold one text per field (1251 bytes); numbers are right-aligned.
inline void write(const std::string &path, const std::vector<Field> &fields,
                  const std::vector<std::vector<std::string>> &rows)
{
    const int headerSize = kFileHeaderSize + kDescriptorSize * int(fields.size()) + 1;
    int recordSize = 1;
    for (const Field &f : fields)
        recordSize += f.length;
    std::string out(size_t(headerSize), '\0');
    out[0] = char(kVersionDbase3);
    out[1] = char(126);
    out[2] = 12;
    out[3] = 11;
    putU32(out, 4, uint32_t(rows.size()));
    putU16(out, 8, unsigned(headerSize));
    putU16(out, 10, unsigned(recordSize));
    out[29] = char(kLanguage1251);
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t at = kFileHeaderSize + kDescriptorSize * i;
        for (size_t c = 0; c < fields[i].name.size() && c < 10; ++c)
            out[at + c] = fields[i].name[c];
        out[at + 11] = fields[i].type;
        out[at + 16] = char(fields[i].length);
        out[at + 17] = char(fields[i].decimals);
    }
    out[size_t(headerSize) - 1] = char(kHeaderEnd);
    for (const auto &row : rows) {
        out += ' ';
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string v = i < row.size() ? row[i] : std::string();
            if (int(v.size()) > fields[i].length)
                throw std::runtime_error("fixture value too long: " + v);
            std::string pad(size_t(fields[i].length) - v.size(), ' ');
            out += fields[i].type == 'C' ? v + pad : pad + v;
        }
    }
    out += char(kEndOfFile);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), std::streamsize(out.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

inline std::string trim(const std::string &s)
{
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// Reads every record, deleted ones included (marked), in stored order.
inline std::vector<Record> read(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::string in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (in.size() < size_t(kFileHeaderSize))
        throw std::runtime_error("not a table: " + path);
    auto u8 = [&](size_t at) { return unsigned(static_cast<unsigned char>(in[at])); };
    const uint32_t count = u8(4) | (u8(5) << 8) | (u8(6) << 16) | (u8(7) << 24);
    const unsigned headerSize = u8(8) | (u8(9) << 8);
    const unsigned recordSize = u8(10) | (u8(11) << 8);
    std::vector<int> lengths;
    for (size_t at = kFileHeaderSize; at + kDescriptorSize <= headerSize && u8(at) != kHeaderEnd;
         at += kDescriptorSize)
        lengths.push_back(int(u8(at + 16)));
    std::vector<Record> records;
    for (uint32_t r = 0; r < count; ++r) {
        const size_t at = headerSize + size_t(r) * recordSize;
        if (at + recordSize > in.size())
            break;
        Record rec;
        rec.deleted = in[at] == '*';
        size_t pos = at + 1;
        for (int len : lengths) {
            rec.values.push_back(trim(in.substr(pos, size_t(len))));
            pos += size_t(len);
        }
        records.push_back(std::move(rec));
    }
    return records;
}

// The live records' values, as the user would see them in stored order.
inline std::vector<std::vector<std::string>> liveRows(const std::string &path)
{
    std::vector<std::vector<std::string>> rows;
    for (const Record &r : read(path))
        if (!r.deleted)
            rows.push_back(r.values);
    return rows;
}

} // namespace tinydbf
