#pragma once

// Builds small dBASE files byte by byte for the tests, so each test shows the exact bytes
// it feeds the reader.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace dbetest {

struct FieldDef
{
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

struct DbfLayout
{
    uint8_t version = 0x03;
    uint8_t languageDriver = 0xC9;
    std::vector<FieldDef> fields;
    std::vector<std::string> records; // each: deleted flag + field bytes, padded by build()
    int headerCountDelta = 0;         // header count = records + delta
    bool eofMark = true;
};

inline int recordLength(const DbfLayout &layout)
{
    int len = 1;
    for (const FieldDef &f : layout.fields)
        len += f.length;
    return len;
}

inline int headerLength(const DbfLayout &layout)
{
    int len = 32 + 32 * int(layout.fields.size()) + 1;
    if (layout.version == 0x30)
        len += 263;
    return len;
}

inline std::vector<uint8_t> build(const DbfLayout &layout)
{
    const int hl = headerLength(layout), rl = recordLength(layout);
    std::vector<uint8_t> b(size_t(hl), 0);
    b[0] = layout.version;
    b[1] = 126;
    b[2] = 1;
    b[3] = 2;
    uint32_t count = uint32_t(int(layout.records.size()) + layout.headerCountDelta);
    std::memcpy(&b[4], &count, 4);
    b[8] = uint8_t(hl);
    b[9] = uint8_t(hl >> 8);
    b[10] = uint8_t(rl);
    b[11] = uint8_t(rl >> 8);
    b[29] = layout.languageDriver;
    int pos = 32;
    for (const FieldDef &f : layout.fields) {
        std::memcpy(&b[size_t(pos)], f.name.data(), std::min<size_t>(f.name.size(), 11));
        b[size_t(pos) + 11] = uint8_t(f.type);
        b[size_t(pos) + 16] = uint8_t(f.length);
        b[size_t(pos) + 17] = uint8_t(f.decimals);
        pos += 32;
    }
    b[size_t(pos)] = 0x0D;
    for (std::string r : layout.records) {
        r.resize(size_t(rl), ' ');
        b.insert(b.end(), r.begin(), r.end());
    }
    if (layout.eofMark)
        b.push_back(0x1A);
    return b;
}

// The directory table's seven fields, as the table tool creates them.
inline std::vector<FieldDef> directoryFields()
{
    return {{"FIO", 'C', 60}, {"OTDEL", 'C', 60}, {"DOLJ", 'C', 50}, {"KAB", 'N', 5},
            {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 10}, {"NSOT", 'C', 20}};
}

inline void writeFile(const std::filesystem::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A temporary folder per test, removed at its end.
class TempDir
{
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "dbetest-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        m_path = mkdtemp(buf.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path &path() const { return m_path; }
    std::string file(const std::string &name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace dbetest
