#include "utf8.h"

#include <algorithm>

size_t decodeUtf8(const char* text, uint32_t& point) {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = c[0];
    size_t length = 0;
    if (lead > 0 && lead < 0x80)
        length = 1;
    else if (lead >= 0xC2 && lead < 0xE0)
        length = 2;
    else if (lead >= 0xE0 && lead < 0xF0)
        length = 3;
    else if (lead >= 0xF0 && lead < 0xF5)
        length = 4;
    if (length == 0) return 0;
    static const uint32_t LEAD_BITS[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    // The least value each length may hold: anything below is overlong.
    static const uint32_t LEAST[] = {0, 0, 0x80, 0x800, 0x10000};
    point = lead & LEAD_BITS[length];
    for (size_t i = 1; i < length; ++i) {
        if ((c[i] & 0xC0) != 0x80) return 0;
        point = point << 6 | (c[i] & 0x3F);
    }
    bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    if (point < LEAST[length] || surrogate || point > 0x10FFFF) return 0;
    return length;
}

struct Range {
    uint32_t first;
    uint32_t last;
};

template <size_t N> static bool within(const Range (&ranges)[N], uint32_t point) {
    return std::any_of(ranges, ranges + N,
                       [point](const Range& r) { return point >= r.first && point <= r.last; });
}

// The blocks of combining marks, and of East Asian wide and full-width characters.
static const Range COMBINING[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
};
static const Range WIDE[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2E80, 0x303E},   {0x3041, 0x33FF},
    {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// The sum of `weight` over the characters of `text`, each byte that is not
// part of a well-formed character weighing one.
template <typename Weight> static size_t measure(const char* text, Weight weight) {
    size_t total = 0;
    while (*text) {
        uint32_t point = 0;
        size_t length = decodeUtf8(text, point);
        total += length ? weight(point) : 1;
        text += length ? length : 1;
    }
    return total;
}

size_t utf8Columns(const char* text) {
    return measure(text, [](uint32_t point) -> size_t {
        return within(WIDE, point) ? 2 : within(COMBINING, point) ? 0 : 1;
    });
}

size_t utf8Length(const char* text) {
    return measure(text, [](uint32_t) -> size_t { return 1; });
}
