#include "dbf_field.h"

#include <cstring>

#include "codepage.h"
#include "dbf_errors.h"
#include "dbf_format.h"

namespace dbe {

namespace {

bool isBlank(uint8_t c) { return c == ' ' || c == 0; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as text: sign, integer digits (no leading zeros), fraction digits.
struct Decimal
{
    bool negative = false;
    std::string integer;
    std::string fraction;
};

bool parseDecimal(std::string_view s, Decimal &out)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        out.negative = s[i] == '-';
        ++i;
    }
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        out.integer.push_back(s[i]);
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            out.fraction.push_back(s[i]);
            ++i;
            ++digits;
        }
    }
    if (i != s.size() || digits == 0)
        return false;
    size_t lead = out.integer.find_first_not_of('0');
    out.integer = lead == std::string::npos ? std::string() : out.integer.substr(lead);
    while (!out.fraction.empty() && out.fraction.back() == '0')
        out.fraction.pop_back();
    if (out.integer.empty() && out.fraction.empty())
        out.negative = false; // "-0" is zero
    return true;
}

bool validDate(std::string_view s)
{
    if (s.size() != 8)
        return false;
    for (char c : s) {
        if (!isDigit(c))
            return false;
    }
    int year = std::stoi(std::string(s.substr(0, 4)));
    int month = std::stoi(std::string(s.substr(4, 2)));
    int day = std::stoi(std::string(s.substr(6, 2)));
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int max = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= max;
}

} // namespace

NumberKind parseNumberKind(const uint8_t *bytes, int len, double &value)
{
    int b = 0, e = len;
    while (b < e && isBlank(bytes[b]))
        ++b;
    while (e > b && isBlank(bytes[e - 1]))
        --e;
    if (b == e)
        return NumberKind::Empty;
    bool stars = true;
    for (int i = b; i < e; ++i)
        stars = stars && bytes[i] == '*';
    if (stars)
        return NumberKind::Empty;
    int i = b;
    bool negative = false;
    if (bytes[i] == '+' || bytes[i] == '-') {
        negative = bytes[i] == '-';
        ++i;
    }
    // Digits are accumulated as integers so whole numbers come out exact.
    int64_t whole = 0;
    double fraction = 0, scale = 1;
    int digits = 0;
    bool big = false;
    double bigValue = 0;
    while (i < e && bytes[i] >= '0' && bytes[i] <= '9') {
        if (!big && whole > (INT64_MAX - 9) / 10) {
            big = true;
            bigValue = double(whole);
        }
        if (big)
            bigValue = bigValue * 10 + (bytes[i] - '0');
        else
            whole = whole * 10 + (bytes[i] - '0');
        ++i;
        ++digits;
    }
    if (i < e && bytes[i] == '.') {
        ++i;
        while (i < e && bytes[i] >= '0' && bytes[i] <= '9') {
            scale /= 10;
            fraction += (bytes[i] - '0') * scale;
            ++i;
            ++digits;
        }
    }
    if (i != e || digits == 0)
        return NumberKind::Invalid;
    double v = (big ? bigValue : double(whole)) + fraction;
    value = negative ? -v : v;
    return NumberKind::Value;
}

bool parseNumber(const uint8_t *bytes, int len, double &value)
{
    return parseNumberKind(bytes, len, value) == NumberKind::Value;
}

bool isWritableType(char type)
{
    return type == 'C' || type == 'N' || type == 'F' || type == 'L' || type == 'D';
}

void displayText(const FieldInfo &field, const uint8_t *bytes, const uint8_t *toCp1251,
                 std::string &out)
{
    out.clear();
    const int len = field.length;
    switch (field.type) {
    case 'N':
    case 'F': {
        int b = 0, e = len;
        while (b < e && isBlank(bytes[b]))
            ++b;
        while (e > b && isBlank(bytes[e - 1]))
            --e;
        bool stars = b < e;
        for (int i = b; i < e; ++i)
            stars = stars && bytes[i] == '*';
        if (!stars)
            out.assign(reinterpret_cast<const char *>(bytes + b), size_t(e - b));
        return;
    }
    case 'L': {
        switch (bytes[0]) {
        case 'T': case 't': case 'Y': case 'y': out.assign(1, 'T'); break;
        case 'F': case 'f': case 'N': case 'n': out.assign(1, 'F'); break;
        default: break;
        }
        return;
    }
    case 'D': {
        if (len != dbf::kDateLength)
            break;
        bool digits = true, zeros = true;
        for (int i = 0; i < len; ++i) {
            digits = digits && bytes[i] >= '0' && bytes[i] <= '9';
            zeros = zeros && bytes[i] == '0';
        }
        if (digits && !zeros)
            out.assign(reinterpret_cast<const char *>(bytes), size_t(len));
        return;
    }
    case 'I':
    case '+': {
        if (len != 4)
            break;
        int32_t v = int32_t(dbf::readLe32(bytes));
        out = std::to_string(v);
        return;
    }
    default: break;
    }
    // C and other text types: the stored text without trailing blanks or NULs.
    int e = len;
    // Eight at a time first: a text field is mostly padding. OR-ing in blanks leaves a
    // word of blanks only where every byte was a blank or a NUL.
    constexpr uint64_t kBlanks = 0x2020202020202020ULL;
    for (uint64_t word; e >= 8; e -= 8) {
        std::memcpy(&word, bytes + e - 8, 8);
        if ((word | kBlanks) != kBlanks)
            break;
    }
    while (e > 0 && isBlank(bytes[e - 1]))
        --e;
    out.resize(size_t(e));
    // Through a plain pointer: a store through the string's operator[] could, for all the
    // compiler knows, change the string itself, which keeps it from copying many at a time.
    char *dst = out.data();
    if (isIdentityTable(toCp1251)) {
        for (int i = 0; i < e; ++i)
            dst[i] = char(bytes[i] == 0 ? uint8_t(' ') : bytes[i]);
        return;
    }
    for (int i = 0; i < e; ++i)
        dst[i] = char(bytes[i] == 0 ? uint8_t(' ') : toCp1251[bytes[i]]);
}

Status encodeValue(const FieldInfo &field, std::string_view value, int codePage, uint8_t *dest)
{
    const int len = field.length;
    switch (field.type) {
    case 'C': {
        if (value.size() > size_t(len))
            return dbferr::tooLong(field.name, value.size(), len);
        std::string stored;
        if (!fromCp1251(codePage, value, stored))
            return dbferr::notInCodePage(field.name, codePage);
        std::memset(dest, ' ', size_t(len));
        std::memcpy(dest, stored.data(), stored.size());
        return Status::ok();
    }
    case 'N':
    case 'F': {
        std::string_view text = trim(value);
        if (text.empty()) {
            std::memset(dest, ' ', size_t(len));
            return Status::ok();
        }
        Decimal d;
        if (!parseDecimal(text, d))
            return dbferr::notNumber(field.name, std::string(text));
        if (int(d.fraction.size()) > field.decimals)
            return dbferr::tooManyDecimals(field.name, std::string(text), field.decimals);
        std::string out;
        if (d.negative)
            out.push_back('-');
        out += d.integer.empty() ? "0" : d.integer;
        if (field.decimals > 0) {
            out.push_back('.');
            out += d.fraction;
            out.append(size_t(field.decimals) - d.fraction.size(), '0');
        }
        if (out.size() > size_t(len))
            return dbferr::numberTooWide(field.name, std::string(text), len, field.decimals);
        std::memset(dest, ' ', size_t(len));
        std::memcpy(dest + (len - int(out.size())), out.data(), out.size());
        return Status::ok();
    }
    case 'L': {
        std::string_view text = trim(value);
        uint8_t c;
        if (text.empty()) {
            c = ' ';
        } else if (text.size() != 1) {
            return dbferr::notLogical(field.name, std::string(text));
        } else {
            switch (text[0]) {
            case 'T': case 't': case 'Y': case 'y': c = 'T'; break;
            case 'F': case 'f': case 'N': case 'n': c = 'F'; break;
            case '?': c = '?'; break;
            default: return dbferr::notLogical(field.name, std::string(text));
            }
        }
        std::memset(dest, ' ', size_t(len));
        dest[0] = c;
        return Status::ok();
    }
    case 'D': {
        std::string_view text = trim(value);
        if (text.empty()) {
            std::memset(dest, ' ', size_t(len));
            return Status::ok();
        }
        if (len != dbf::kDateLength || !validDate(text))
            return dbferr::notDate(field.name, std::string(text));
        std::memcpy(dest, text.data(), size_t(dbf::kDateLength));
        return Status::ok();
    }
    default: return dbferr::typeNotWritable(field.name, field.type);
    }
}

} // namespace dbe
