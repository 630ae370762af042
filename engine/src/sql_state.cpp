#include "sql_state.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>

#include "dbf_format.h"
#include "engine_handle.h"
#include "sql_errors.h"
#include "sql_eval.h"
#include "sql_parser.h"

namespace dbe {

namespace {

// Tables read in blocks of about this many bytes.
constexpr size_t kScanBlockBytes = size_t(4) << 20;
// How many tables a state keeps open with their orders.
constexpr size_t kMaxTables = 4;
// How many orders a table keeps.
constexpr size_t kMaxOrders = 4;
// Orders of at least this many records are sorted in two halves at once.
constexpr size_t kParallelSortRecords = 65536;

// Tables of at least this many records are read in two ranges at once.
constexpr uint32_t kParallelScanRecords = 131072;
constexpr unsigned kScanParts = 2;

// Calls fn(part, index from 0, record bytes) for each of the first `count` records. A
// large table is read in kScanParts ranges at once, each by its own thread (`part` tells
// which, from 0), so fn may only touch what belongs to its record or its part; ranges
// start at multiples of 64, so bits of a record bitmap never share a word across parts.
// `read` (may be null) gets how many records were read from the first one without a gap:
// fewer than count when the file was shortened meanwhile; what is gone is not listed.
template<typename Fn>
Status scanRecords(DbfFile &file, uint32_t count, Fn &&fn, uint32_t *read = nullptr)
{
    const uint32_t length = file.recordLength();
    const uint32_t perBlock = std::max<uint32_t>(1, uint32_t(kScanBlockBytes / length));
    auto scanRange = [&](unsigned part, uint32_t from, uint32_t to, uint32_t &end) {
        end = from;
        try {
            std::vector<uint8_t> buf;
            for (uint32_t first = from; first < to;) {
                const uint32_t want = std::min(perBlock, to - first);
                uint32_t got = 0;
                Status s = file.readRecords(first, want, buf, got);
                if (!s)
                    return s;
                for (uint32_t i = 0; i < got; ++i)
                    fn(part, first + i, buf.data() + size_t(i) * length);
                first += got;
                end = first;
                if (got < want)
                    break;
            }
        } catch (const std::bad_alloc &) {
            return sqlerr::noMemory();
        }
        return Status::ok();
    };
    uint32_t end0 = 0, end1 = 0;
    if (count < kParallelScanRecords) {
        Status s = scanRange(0, 0, count, end0);
        if (read)
            *read = end0;
        return s;
    }
    // DbfFile::readRecords only reads the file (pread) and its own fields, so two
    // ranges may be read at once.
    static_assert(kScanParts == 2);
    const uint32_t split = (count / 2) & ~uint32_t(63);
    Status s1;
    std::thread second([&] { s1 = scanRange(1, split, count, end1); });
    Status s0 = scanRange(0, 0, split, end0);
    second.join();
    if (!s0)
        return s0;
    if (!s1)
        return s1;
    if (read)
        *read = end0 < split ? end0 : end1;
    return Status::ok();
}

// An order key for a number: unsigned order equals numeric order, empty first.
uint64_t numberKey(double v)
{
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    return (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
}

std::string orderKey(const std::vector<SortTerm> &terms)
{
    std::string key;
    for (const SortTerm &t : terms) {
        key += std::to_string(t.field);
        key += t.descending ? 'd' : 'a';
        key += ',';
    }
    return key;
}

// Characters of the first term's key held in each item, in words of 8.
constexpr size_t kKeyWords = 4;

struct SortItem
{
    uint64_t key[kKeyWords]; // the first term's leading weights (or its number)
    uint32_t index;          // record index from 0
    uint32_t slot;           // where the item's values are in the sort columns
};

bool keyLess(const SortItem &a, const SortItem &b)
{
    for (size_t w = 0; w < kKeyWords; ++w) {
        if (a.key[w] != b.key[w])
            return a.key[w] < b.key[w];
    }
    return a.index < b.index;
}

bool sameKey(const SortItem &a, const SortItem &b)
{
    for (size_t w = 0; w < kKeyWords; ++w) {
        if (a.key[w] != b.key[w])
            return false;
    }
    return true;
}

// The sort keys of one term over all records.
struct SortColumn
{
    bool numeric = false;
    bool descending = false;
    size_t width = 0;
    std::vector<uint8_t> text;    // width bytes per record (text terms)
    std::vector<double> numbers; // per record; -inf for an empty value (numeric terms)
};

// Sizes the columns for `n` slots, one per term.
void prepareColumns(const std::vector<FieldInfo> &fields, const std::vector<SortTerm> &terms,
                    size_t n, std::vector<SortColumn> &columns)
{
    columns.assign(terms.size(), SortColumn());
    for (size_t t = 0; t < terms.size(); ++t) {
        const FieldInfo &f = fields[size_t(terms[t].field)];
        SortColumn &c = columns[t];
        c.numeric = sql::isNumericType(f.type);
        c.descending = terms[t].descending;
        c.width = size_t(f.length);
        if (c.numeric)
            c.numbers.resize(n);
        else
            c.text.resize(n * c.width);
    }
}

// Stores the value of term `t` for `slot` from the field's bytes.
void storeValue(const FieldInfo &f, SortColumn &c, size_t slot, const uint8_t *value)
{
    if (c.numeric) {
        double v;
        c.numbers[slot] = sql::fieldNumber(value, f.length, v) ? v : -HUGE_VAL;
    } else {
        std::memcpy(c.text.data() + slot * c.width, value, c.width);
    }
}

// Fills an item's leading key from the first column's value at its slot.
void fillKey(const Collation &collation, const SortColumn &c0, SortItem &item)
{
    if (c0.numeric) {
        item.key[0] = numberKey(c0.numbers[item.slot]);
        for (size_t w = 1; w < kKeyWords; ++w)
            item.key[w] = 0;
    } else {
        collation.prefixKey(c0.text.data() + size_t(item.slot) * c0.width, c0.width, item.key,
                            kKeyWords);
    }
    if (c0.descending) {
        for (uint64_t &w : item.key)
            w = ~w;
    }
}

// Sorts items (keys filled) by the whole terms; ties by record index.
void sortItems(const Collation &collation, const std::vector<SortColumn> &columns,
               std::vector<SortItem> &items)
{
    // First by the keys held in the items alone (no look into the columns, so the sort
    // stays in cache); ties by record order.
    if (items.size() >= kParallelSortRecords) {
        const auto mid = items.begin() + std::ptrdiff_t(items.size() / 2);
        std::thread half([&] { std::sort(items.begin(), mid, keyLess); });
        std::sort(mid, items.end(), keyLess);
        half.join();
        std::inplace_merge(items.begin(), mid, items.end(), keyLess);
    } else {
        std::sort(items.begin(), items.end(), keyLess);
    }

    // Then each run of equal keys by the whole terms, unless the run is already in order:
    // one numeric term (the key is the number), or one text term whose values in the
    // run are the same bytes.
    auto termCompare = [&](const SortColumn &c, uint32_t a, uint32_t b) {
        int cmp;
        if (c.numeric) {
            const double va = c.numbers[a], vb = c.numbers[b];
            cmp = va < vb ? -1 : (va > vb ? 1 : 0);
        } else {
            cmp = collation.compare(c.text.data() + size_t(a) * c.width, c.width,
                                    c.text.data() + size_t(b) * c.width, c.width);
        }
        return c.descending ? -cmp : cmp;
    };
    auto fullLess = [&](const SortItem &a, const SortItem &b) {
        for (const SortColumn &c : columns) {
            const int cmp = termCompare(c, a.slot, b.slot);
            if (cmp != 0)
                return cmp < 0;
        }
        return a.index < b.index;
    };
    const SortColumn &c0 = columns[0];
    for (size_t runStart = 0; runStart < items.size();) {
        size_t runEnd = runStart + 1;
        while (runEnd < items.size() && sameKey(items[runStart], items[runEnd]))
            ++runEnd;
        if (runEnd - runStart > 1) {
            bool ordered = columns.size() == 1 && c0.numeric;
            if (columns.size() == 1 && !c0.numeric) {
                const uint8_t *first = c0.text.data() + size_t(items[runStart].slot) * c0.width;
                ordered = true;
                for (size_t k = runStart + 1; k < runEnd && ordered; ++k) {
                    const uint8_t *other = c0.text.data() + size_t(items[k].slot) * c0.width;
                    ordered = std::memcmp(first, other, c0.width) == 0;
                }
            }
            if (!ordered)
                std::sort(items.begin() + std::ptrdiff_t(runStart),
                          items.begin() + std::ptrdiff_t(runEnd), fullLess);
        }
        runStart = runEnd;
    }
}

} // namespace

Status buildOrder(DbfFile &file, const Collation &collation, const std::vector<SortTerm> &terms,
                  std::vector<uint32_t> &order, const RecordVisitor &visit)
{
    const uint32_t n = file.recordCount();
    const std::vector<FieldInfo> &fields = file.fields();
    std::vector<SortColumn> columns;
    std::vector<SortItem> items;
    try {
        prepareColumns(fields, terms, n, columns);
        items.resize(n);
    } catch (const std::bad_alloc &) {
        return sqlerr::noMemory();
    }

    uint32_t seen = 0;
    Status s = scanRecords(file, n, [&](unsigned part, uint32_t i, const uint8_t *rec) {
        if (visit)
            visit(part, i, rec);
        for (size_t t = 0; t < terms.size(); ++t) {
            const FieldInfo &f = fields[size_t(terms[t].field)];
            storeValue(f, columns[t], i, rec + f.offset);
        }
        SortItem &item = items[i];
        item.index = i;
        item.slot = i;
        fillKey(collation, columns[0], item);
    }, &seen);
    if (!s)
        return s;
    items.resize(seen);
    sortItems(collation, columns, items);

    try {
        order.resize(items.size());
    } catch (const std::bad_alloc &) {
        return sqlerr::noMemory();
    }
    for (size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].index + 1;
    return Status::ok();
}

Status sortMatching(DbfFile &file, const Collation &collation, const std::vector<SortTerm> &terms,
                    const RecordFilter &accept, std::vector<uint32_t> &rows)
{
    const uint32_t n = file.recordCount();
    const std::vector<FieldInfo> &fields = file.fields();
    size_t rawWidth = 0;
    for (const SortTerm &t : terms)
        rawWidth += size_t(fields[size_t(t.field)].length);

    // Each part keeps its matches' indices and the raw bytes of their sort fields.
    struct Matches
    {
        std::vector<uint32_t> index;
        std::vector<uint8_t> raw;
    };
    Matches parts[kScanParts];
    std::atomic<bool> outOfMemory{false};
    Status s = scanRecords(file, n, [&](unsigned part, uint32_t i, const uint8_t *rec) {
        if (!accept(rec))
            return;
        Matches &m = parts[part];
        try {
            m.index.push_back(i);
            for (const SortTerm &t : terms) {
                const FieldInfo &f = fields[size_t(t.field)];
                m.raw.insert(m.raw.end(), rec + f.offset, rec + f.offset + f.length);
            }
        } catch (const std::bad_alloc &) {
            outOfMemory = true; // reported after the scan
        }
    });
    if (!s)
        return s;
    if (outOfMemory)
        return sqlerr::noMemory();

    size_t total = 0;
    for (const Matches &m : parts)
        total += m.index.size();
    std::vector<SortColumn> columns;
    std::vector<SortItem> items;
    try {
        prepareColumns(fields, terms, total, columns);
        items.resize(total);
        rows.clear();
        rows.reserve(total);
    } catch (const std::bad_alloc &) {
        return sqlerr::noMemory();
    }
    // Parts cover ascending ranges, so part by part is record order.
    size_t slot = 0;
    for (Matches &m : parts) {
        for (size_t k = 0; k < m.index.size(); ++k, ++slot) {
            const uint8_t *raw = m.raw.data() + k * rawWidth;
            for (size_t t = 0; t < terms.size(); ++t) {
                const FieldInfo &f = fields[size_t(terms[t].field)];
                storeValue(f, columns[t], slot, raw);
                raw += f.length;
            }
            SortItem &item = items[slot];
            item.index = m.index[k];
            item.slot = uint32_t(slot);
            fillKey(collation, columns[0], item);
        }
        m = Matches();
    }
    sortItems(collation, columns, items);
    for (const SortItem &item : items)
        rows.push_back(item.index + 1);
    return Status::ok();
}

namespace {

// The counted records mapped for the cursor's cell reads, when it has rows. A cursor
// without a mapping reads each record from the file.
std::unique_ptr<FileMapping> mapRows(DbfFile &file, const std::vector<uint32_t> &rows,
                                     uint32_t count)
{
    return rows.empty() ? nullptr : file.mapRecords(count);
}

} // namespace

SqlState::~SqlState()
{
    for (dbe_cursor *c : m_cursors)
        delete c;
}

void SqlState::closeCursor(dbe_cursor *cursor)
{
    if (m_cursors.erase(cursor))
        delete cursor;
}

Status SqlState::table(const std::string &path, std::shared_ptr<SqlTable> &out)
{
    auto it = std::find_if(m_tables.begin(), m_tables.end(),
                           [&](const auto &e) { return e.first == path; });
    if (it != m_tables.end()) {
        std::shared_ptr<SqlTable> t = it->second;
        m_tables.erase(it);
        if (!t->file->replacedOnDisk() && t->file->refresh()) {
            if (!(t->file->identity() == t->identity)) {
                t->orders.clear();
                t->identity = t->file->identity();
            }
            m_tables.insert(m_tables.begin(), {path, t});
            out = std::move(t);
            return Status::ok();
        }
        // Replaced, gone or re-laid out: open it anew below; cursors keep the old one.
    }
    std::unique_ptr<DbfFile> file;
    Status s = DbfFile::open(path, false, file);
    if (!s)
        return s;
    auto t = std::make_shared<SqlTable>();
    t->collation = Collation(file->codePage() == kCodePage1251 ? nullptr : file->toCp1251());
    t->identity = file->identity();
    t->file = std::move(file);
    m_tables.insert(m_tables.begin(), {path, t});
    if (m_tables.size() > kMaxTables)
        m_tables.pop_back();
    out = std::move(t);
    return Status::ok();
}

Status SqlState::query(dbe_engine *engine, const char *sql, const dbe_param *params,
                       size_t paramCount, dbe_cursor *&out)
{
    out = nullptr;
    sql::SelectStatement stmt;
    Status s = sql::parseSelect(sql, stmt);
    if (!s)
        return s;
    std::shared_ptr<SqlTable> t;
    s = table(stmt.table, t);
    if (!s)
        return s;
    const std::vector<FieldInfo> &fields = t->file->fields();

    auto cursor = std::make_unique<dbe_cursor>();
    cursor->engine = engine;
    cursor->table = t;
    if (stmt.allFields) {
        for (size_t i = 0; i < fields.size(); ++i)
            cursor->fields.push_back(int(i));
    } else {
        for (const std::string &name : stmt.fields) {
            const int f = sql::findField(fields, name);
            if (f < 0)
                return sqlerr::invalidField(name);
            cursor->fields.push_back(f);
        }
    }
    std::unique_ptr<sql::Predicate> where;
    if (stmt.where) {
        sql::BindContext ctx;
        ctx.fields = &fields;
        ctx.collation = &t->collation;
        ctx.params = params;
        ctx.paramCount = paramCount;
        s = sql::bindCondition(*stmt.where, ctx, where);
        if (!s)
            return s;
    }
    std::vector<SortTerm> terms;
    for (const sql::OrderTerm &o : stmt.orderBy) {
        SortTerm term;
        term.field = sql::findField(fields, o.field);
        if (term.field < 0)
            return sqlerr::invalidField(o.field);
        term.descending = o.descending;
        terms.push_back(term);
    }

    const uint32_t n = t->file->recordCount();
    std::vector<uint64_t> selected;
    uint32_t counts[kScanParts] = {};
    std::vector<uint32_t> partRows[kScanParts]; // without ORDER BY, in record order
    try {
        if (!terms.empty())
            selected.assign((size_t(n) + 63) / 64, 0);
        auto select = [&](unsigned part, uint32_t i, const uint8_t *rec) {
            if (rec[0] == dbf::kDeletedFlag)
                return;
            if (where && where->test(rec) != sql::Tri::True)
                return;
            ++counts[part];
            if (terms.empty())
                partRows[part].push_back(i + 1);
            else
                selected[i / 64] |= uint64_t(1) << (i % 64);
        };
        if (terms.empty()) {
            s = scanRecords(*t->file, n, select);
            if (!s)
                return s;
            cursor->rows = std::move(partRows[0]);
            for (unsigned p = 1; p < kScanParts; ++p)
                cursor->rows.insert(cursor->rows.end(), partRows[p].begin(), partRows[p].end());
        } else {
            // The order comes from the cache, or is built in the pass that filters.
            const std::string key = orderKey(terms);
            std::shared_ptr<const std::vector<uint32_t>> order;
            auto found = t->orders.find(key);
            if (found != t->orders.end()) {
                order = found->second;
                s = scanRecords(*t->file, n, select);
            } else if (where) {
                // No order to reuse: sorting only the matches is far cheaper than
                // ordering the whole table; the full order is built by a statement
                // without a condition.
                s = sortMatching(*t->file, t->collation, terms, [&](const uint8_t *rec) {
                    return rec[0] != dbf::kDeletedFlag && where->test(rec) == sql::Tri::True;
                }, cursor->rows);
                if (!s)
                    return s;
                cursor->mapping = mapRows(*t->file, cursor->rows, n);
                out = cursor.get();
                m_cursors.insert(cursor.release());
                return Status::ok();
            } else {
                auto built = std::make_shared<std::vector<uint32_t>>();
                s = buildOrder(*t->file, t->collation, terms, *built, select);
                if (s) {
                    if (t->orders.size() >= kMaxOrders)
                        t->orders.clear();
                    t->orders.emplace(key, built);
                }
                order = std::move(built);
            }
            if (!s)
                return s;
            uint32_t count = 0;
            for (uint32_t c : counts)
                count += c;
            cursor->rows.reserve(count);
            for (uint32_t recno : *order) {
                const uint32_t i = recno - 1;
                if (i < n && (selected[i / 64] >> (i % 64)) & 1)
                    cursor->rows.push_back(recno);
            }
        }
    } catch (const std::bad_alloc &) {
        return sqlerr::noMemory();
    }
    cursor->rows.shrink_to_fit();
    cursor->mapping = mapRows(*t->file, cursor->rows, n);
    out = cursor.get();
    m_cursors.insert(cursor.release());
    return Status::ok();
}

} // namespace dbe
