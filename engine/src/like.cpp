#include "like.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dbe {

namespace {
constexpr char kAnyRun = '%';
constexpr char kOneChar = '_';
} // namespace

size_t trimmedLength(const uint8_t *text, size_t len)
{
    // Eight padding bytes at a time first: fields are mostly padding.
    constexpr uint64_t kBlanks = 0x2020202020202020ull;
    while (len >= 8) {
        uint64_t word;
        std::memcpy(&word, text + len - 8, 8);
        if (word != kBlanks && word != 0)
            break;
        len -= 8;
    }
    while (len > 0 && (text[len - 1] == ' ' || text[len - 1] == 0))
        --len;
    return len;
}

LikePattern::LikePattern(std::string_view pattern, const Collation &collation)
    : m_fold(collation.fold)
{
    const ByteTable &fold1251 = foldTable1251();
    m_anchoredStart = pattern.empty() || pattern.front() != kAnyRun;
    m_anchoredEnd = pattern.empty() || pattern.back() != kAnyRun;

    Segment current;
    bool sawAnyRun = false;
    auto flush = [&](bool force) {
        if (current.chars.empty() && !force)
            return;
        m_segments.push_back(std::move(current));
        current = Segment();
    };
    for (char ch : pattern) {
        if (ch == kAnyRun) {
            sawAnyRun = true;
            flush(false);
        } else if (ch == kOneChar) {
            current.chars.push_back(kAnyChar);
        } else {
            current.chars.push_back(fold1251[uint8_t(ch)]);
        }
    }
    // An empty pattern is one empty, anchored segment: it matches only empty text.
    flush(!sawAnyRun && m_segments.empty());
    m_matchesAll = sawAnyRun && m_segments.empty();

    for (Segment &s : m_segments) {
        s.endsSolid = !s.chars.empty() && s.chars.back() != kAnyChar && s.chars.back() != ' ';
        for (size_t k = 0; k < s.chars.size(); ++k) {
            if (s.chars[k] != kAnyChar) {
                s.key = int(k);
                break;
            }
        }
        if (s.key < 0)
            continue;
        const size_t key = size_t(s.key);
        const bool pair = key + 1 < s.chars.size() && s.chars[key + 1] != kAnyChar;
        for (int b = 0; b < 256; ++b) {
            if (m_fold[uint8_t(b)] == s.chars[key])
                s.keyBytes.push_back(uint8_t(b));
            if (pair && m_fold[uint8_t(b)] == s.chars[key + 1])
                s.nextBytes.push_back(uint8_t(b));
        }
        if (s.keyBytes.empty())
            m_impossible = true;
    }
}

bool LikePattern::segmentAt(const Segment &s, const uint8_t *text, size_t at) const
{
    const size_t n = s.chars.size();
    for (size_t k = 0; k < n; ++k) {
        const int16_t c = s.chars[k];
        if (c != kAnyChar && m_fold[text[at + k]] != uint8_t(c))
            return false;
    }
    return true;
}

long LikePattern::findSegment(const Segment &s, const uint8_t *text, size_t from,
                              size_t limit) const
{
    const size_t n = s.chars.size();
    if (from + n > limit)
        return -1;
    if (s.key < 0)
        return long(from);
    const size_t key = size_t(s.key);
    // Candidates are positions of the key char: from + key .. last.
    size_t j = from + key;
    const size_t last = limit - n + key;

#if defined(__SSE2__)
    // Candidates 16 at a time: where the key char (and the one after it, when fixed) is
    // one of the bytes that fold to it.
    const size_t nk = s.keyBytes.size(), nn = s.nextBytes.size();
    const size_t span = nn > 0 ? 17 : 16; // bytes read from a block's start
    if (limit >= span && nk <= 4 && nn <= 4) {
        __m128i want[4], next[4];
        for (size_t v = 0; v < nk; ++v)
            want[v] = _mm_set1_epi8(char(s.keyBytes[v]));
        for (size_t v = 0; v < nn; ++v)
            next[v] = _mm_set1_epi8(char(s.nextBytes[v]));
        while (j <= last) {
            // Never read past `limit`: the last block overlaps the one before it.
            size_t base = j;
            if (base + span > limit)
                base = limit - span;
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + base));
            __m128i eq = _mm_cmpeq_epi8(x, want[0]);
            for (size_t v = 1; v < nk; ++v)
                eq = _mm_or_si128(eq, _mm_cmpeq_epi8(x, want[v]));
            if (nn > 0) {
                const __m128i y =
                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + base + 1));
                __m128i eq2 = _mm_cmpeq_epi8(y, next[0]);
                for (size_t v = 1; v < nn; ++v)
                    eq2 = _mm_or_si128(eq2, _mm_cmpeq_epi8(y, next[v]));
                eq = _mm_and_si128(eq, eq2);
            }
            uint32_t mask = uint32_t(_mm_movemask_epi8(eq));
            mask &= ~((1u << (j - base)) - 1u);
            if (last - base < 15)
                mask &= (2u << (last - base)) - 1u;
            while (mask) {
                const size_t at = base + size_t(__builtin_ctz(mask)) - key;
                if (segmentAt(s, text, at))
                    return long(at);
                mask &= mask - 1;
            }
            j = base + 16;
        }
        return -1;
    }
#endif
    const uint8_t want = uint8_t(s.chars[key]);
    for (; j <= last; ++j) {
        if (m_fold[text[j]] == want && segmentAt(s, text, j - key))
            return long(j - key);
    }
    return -1;
}

bool LikePattern::matches(const uint8_t *text, size_t len) const
{
    if (m_matchesAll)
        return true;
    if (m_impossible)
        return false;
    // The trimmed length is found only once something matched: most rows fail earlier.
    size_t trimmed = SIZE_MAX;
    auto textEnd = [&] {
        if (trimmed == SIZE_MAX)
            trimmed = trimmedLength(text, len);
        return trimmed;
    };
    const size_t count = m_segments.size();
    size_t pos = 0;
    size_t first = 0;
    size_t end = count;
    if (m_anchoredStart) {
        const Segment &s = m_segments.front();
        if (s.chars.size() > len || !segmentAt(s, text, 0))
            return false;
        pos = s.chars.size();
        if (!s.endsSolid && pos > textEnd())
            return false;
        if (count == 1)
            return !m_anchoredEnd || pos == textEnd();
        first = 1;
    }
    size_t limit = len;
    if (m_anchoredEnd) {
        const Segment &s = m_segments.back();
        if (s.chars.size() + pos > textEnd() || !segmentAt(s, text, textEnd() - s.chars.size()))
            return false;
        end = count - 1;
        limit = textEnd() - s.chars.size();
    }
    // Leftmost matches are enough: segments have fixed lengths, so the leftmost match of
    // one leaves the most room for the rest, and ends earliest.
    for (size_t i = first; i < end; ++i) {
        const long at = findSegment(m_segments[i], text, pos, limit);
        if (at < 0)
            return false;
        pos = size_t(at) + m_segments[i].chars.size();
        if (!m_segments[i].endsSolid && pos > textEnd())
            return false;
    }
    return true;
}

} // namespace dbe
