#include "field_values.h"

#include "cp1251.h"
#include "messages.h"

namespace telbase {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A number: optional sign, digits, and for decimals > 0 an optional fraction of at most
// that many digits. Written back without "+" and leading zeros, as the field stores it.
std::string convertNumber(const dbe_field_desc &field, std::string_view cell, bool utf8,
                          std::string &out)
{
    const std::string_view text = trimBlanks(cell);
    out.clear();
    if (text.empty())
        return {};
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        ++i;
    }
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    std::string_view intPart = text.substr(intStart, i - intStart);
    std::string_view fraction;
    if (i < text.size() && text[i] == '.' && field.decimals > 0) {
        const std::size_t fracStart = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fraction = text.substr(fracStart, i - fracStart);
    }
    const bool wellFormed = i == text.size() && (!intPart.empty() || !fraction.empty()) &&
                            int(fraction.size()) <= field.decimals;
    if (!wellFormed) {
        const std::string shown = utf8 ? std::string(cell) : cp1251ToUtf8(cell);
        if (field.decimals == 0)
            return msg::notWholeNumber(field.name, shown);
        return msg::notNumber(field.name, shown, field.decimals);
    }
    while (intPart.size() > 1 && intPart.front() == '0')
        intPart.remove_prefix(1);
    const bool zero = intPart.find_first_not_of('0') == std::string_view::npos &&
                      fraction.find_first_not_of('0') == std::string_view::npos;
    if (negative && !zero)
        out.push_back('-');
    out.append(intPart.empty() ? std::string_view("0") : intPart);
    if (!fraction.empty()) {
        out.push_back('.');
        out.append(fraction);
    }
    // The field stores the number right-aligned, with all its decimals.
    const std::size_t intChars = out.size() - (fraction.empty() ? 0 : fraction.size() + 1);
    const std::size_t width = intChars + (field.decimals > 0 ? std::size_t(field.decimals) + 1 : 0);
    if (width > std::size_t(field.length))
        return msg::numberTooWide(field.name, text, field.length);
    return {};
}

std::string convertText(const dbe_field_desc &field, std::string_view cell, bool utf8,
                        std::string &out)
{
    out.clear();
    if (utf8) {
        const Cp1251Failure failure = appendUtf8AsCp1251(cell, out);
        if (failure.kind == Cp1251Failure::InvalidUtf8)
            return msg::invalidUtf8(field.name);
        if (failure.kind == Cp1251Failure::NotInCodePage)
            return msg::notInCodePage(field.name, failure.codePoint);
    } else {
        if (cell.find('\0') != std::string_view::npos)
            return msg::notInCodePage(field.name, 0);
        out.assign(cell);
    }
    if (field.type == 'C') {
        // The field pads with blanks, so trailing blanks are not part of the value.
        std::size_t end = out.size();
        while (end > 0 && out[end - 1] == ' ')
            --end;
        out.resize(end);
        if (out.size() > std::size_t(field.length))
            return msg::textTooLong(field.name, out.size(), field.length);
    }
    return {};
}

} // namespace

std::string convertCell(const dbe_field_desc &field, std::string_view cell, bool utf8,
                        std::string &out)
{
    if (field.type == 'N' || field.type == 'F') {
        // Digits and signs are the same bytes in UTF-8 and 1251; anything else is refused.
        return convertNumber(field, cell, utf8, out);
    }
    return convertText(field, cell, utf8, out);
}

} // namespace telbase
