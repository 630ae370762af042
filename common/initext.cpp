#include "initext.h"

namespace {

constexpr char kSectionOpen = '[';
constexpr char kSectionClose = ']';
constexpr char kKeyValue = '=';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr QByteArrayView kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isComment(char c)
{
    return c == ';' || c == '#';
}

enum class LineKind { Other, Section, Key };

// One line of the text: [begin, contentEnd) without its line ending, [begin, end) with it.
// For a section line, name is its name; for a key line, name is the key and
// [valueBegin, contentEnd) its value.
struct Line {
    qsizetype begin = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;
    LineKind kind = LineKind::Other;
    QByteArrayView name;
    qsizetype valueBegin = 0;
};

QByteArrayView trimmed(QByteArrayView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// Reads the line starting at begin.
Line readLine(const QByteArray &text, qsizetype begin)
{
    Line line;
    line.begin = begin;
    qsizetype lf = text.indexOf(kLineFeed, begin);
    line.end = lf < 0 ? text.size() : lf + 1;
    line.contentEnd = lf < 0 ? text.size() : lf;
    if (line.contentEnd > begin && text[line.contentEnd - 1] == kCarriageReturn)
        --line.contentEnd;

    const QByteArrayView all(text);
    qsizetype p = begin;
    if (begin == 0 && all.startsWith(kUtf8Bom))
        p += kUtf8Bom.size();
    while (p < line.contentEnd && isBlank(text[p]))
        ++p;
    if (p == line.contentEnd || isComment(text[p]))
        return line;
    const QByteArrayView content = all.sliced(p, line.contentEnd - p);
    if (text[p] == kSectionOpen) {
        const qsizetype close = content.indexOf(kSectionClose);
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = trimmed(content.sliced(1, close - 1));
        }
        return line;
    }
    const qsizetype eq = content.indexOf(kKeyValue);
    if (eq < 0)
        return line;
    const QByteArrayView key = trimmed(content.first(eq));
    if (key.isEmpty())
        return line;
    line.kind = LineKind::Key;
    line.name = key;
    line.valueBegin = p + eq + 1;
    while (line.valueBegin < line.contentEnd && isBlank(text[line.valueBegin]))
        ++line.valueBegin;
    return line;
}

} // namespace

struct IniText::Place {
    bool sectionFound = false;
    // Where a new key of the section goes: after its last key line, or after its header.
    qsizetype insertAt = 0;
    bool insertNeedsNewLine = false;
    std::optional<Line> key;
};

IniText::IniText(QByteArray bytes, Decode decode) : m_bytes(std::move(bytes)), m_decode(decode) {}

bool IniText::sameName(QByteArrayView a, QByteArrayView b) const
{
    if (a == b)
        return true;
    return m_decode(a).compare(m_decode(b), Qt::CaseInsensitive) == 0;
}

std::optional<IniText::Place> IniText::find(QByteArrayView section, QByteArrayView key) const
{
    Place place;
    bool inSection = false;
    for (qsizetype at = 0; at < m_bytes.size();) {
        const Line line = readLine(m_bytes, at);
        at = line.end;
        if (line.kind == LineKind::Section) {
            // Only the first section of a name counts; its repeats are left alone.
            if (inSection)
                break;
            if (sameName(line.name, section)) {
                inSection = true;
                place.sectionFound = true;
                place.insertAt = line.end;
                place.insertNeedsNewLine = line.end == line.contentEnd;
            }
            continue;
        }
        if (!inSection || line.kind != LineKind::Key)
            continue;
        place.insertAt = line.end;
        place.insertNeedsNewLine = line.end == line.contentEnd;
        if (sameName(line.name, key)) {
            place.key = line;
            break;
        }
    }
    return place;
}

std::optional<QByteArray> IniText::value(QByteArrayView section, QByteArrayView key) const
{
    const auto place = find(section, key);
    if (!place || !place->key)
        return std::nullopt;
    const Line &line = *place->key;
    return m_bytes.mid(line.valueBegin, line.contentEnd - line.valueBegin);
}

bool IniText::hasSection(QByteArrayView section) const
{
    const auto place = find(section, {});
    return place && place->sectionFound;
}

QByteArray IniText::newLine() const
{
    qsizetype crlf = 0;
    qsizetype lf = 0;
    for (qsizetype at = m_bytes.indexOf(kLineFeed); at >= 0; at = m_bytes.indexOf(kLineFeed, at + 1)) {
        if (at > 0 && m_bytes[at - 1] == kCarriageReturn)
            ++crlf;
        else
            ++lf;
    }
    return crlf > lf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

void IniText::append(const QByteArray &lines)
{
    if (!m_bytes.isEmpty() && !m_bytes.endsWith(kLineFeed))
        m_bytes.append(newLine());
    m_bytes.append(lines);
}

void IniText::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const QByteArray eol = newLine();
    const auto place = find(section, key);
    if (place->key) {
        const Line &line = *place->key;
        m_bytes.replace(line.valueBegin, line.contentEnd - line.valueBegin, value);
        return;
    }
    QByteArray keyLine = key.toByteArray() + kKeyValue + value.toByteArray() + eol;
    if (place->sectionFound) {
        if (place->insertNeedsNewLine)
            keyLine.prepend(eol);
        m_bytes.insert(place->insertAt, keyLine);
        return;
    }
    append(kSectionOpen + section.toByteArray() + kSectionClose + eol + keyLine);
}

void IniText::addSection(QByteArrayView section)
{
    if (hasSection(section))
        return;
    append(kSectionOpen + section.toByteArray() + kSectionClose + newLine());
}
