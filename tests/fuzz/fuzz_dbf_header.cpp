// Feeds arbitrary bytes to the table reader as a table file: the header parse, opening,
// reading and showing records, and the check with its repair must never crash, hang or
// allocate without bound.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf.h"
#include "dbf_tools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    dbe::DbfLayout layout;
    (void)dbe::parseHeader(data, size, size, layout);

    dbe::MemFileSystem fs;
    fs.put("t.dbf", std::vector<uint8_t>(data, data + size));
    std::unique_ptr<dbe::DbfFile> table;
    if (dbe::DbfFile::open(fs, "t.dbf", true, table)) {
        std::vector<uint8_t> buf;
        uint32_t got = 0;
        if (table->readRecords(0, 64, buf, got)) {
            std::string text;
            for (uint32_t r = 0; r < got; ++r) {
                const uint8_t *rec = buf.data() + size_t(r) * table->recordLength();
                for (const dbe::FieldInfo &f : table->fields()) {
                    dbe::displayText(f, rec + f.offset, table->toCp1251(), text);
                    double v;
                    (void)dbe::parseNumber(rec + f.offset, f.length, v);
                }
            }
        }
        (void)table->refresh();
        table.reset();
    }
    int problems = 0;
    (void)dbe::checkTable(fs, "t.dbf", true, nullptr, problems);
    return 0;
}
