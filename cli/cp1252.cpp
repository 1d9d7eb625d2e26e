#include "cp1252.h"

#include <stdint.h>

#include <algorithm>

#include "utf8.h"

// Code points of 0x80 to 0x9F; 0 where Windows-1252 leaves the byte undefined.
static const uint16_t HIGH_CONTROLS[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

size_t cp1252ToUtf8(const char* text, char* target, size_t capacity) {
    size_t used = 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        uint32_t point = *c;
        if (point >= 0x80 && point < 0xA0) point = HIGH_CONTROLS[point - 0x80];
        if (point == 0) point = 0xFFFD;
        size_t length = point < 0x80 ? 1 : point < 0x800 ? 2 : 3;
        if (used + length + 1 > capacity) break;
        // Six bits in each byte after the first, which marks the length.
        static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0};
        for (size_t i = length - 1; i > 0; --i, point >>= 6)
            target[used + i] = static_cast<char>(0x80 | (point & 0x3F));
        target[used] = static_cast<char>(LEAD[length] | point);
        used += length;
    }
    if (capacity > 0) target[used] = '\0';
    return used;
}

// The byte of `point`, or '?' when Windows-1252 has none (the undefined
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D included, as the C1 controls are).
static char byteOf(uint32_t point) {
    if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) return static_cast<char>(point);
    const uint16_t* found = std::find(HIGH_CONTROLS, HIGH_CONTROLS + 32, point);
    return found != HIGH_CONTROLS + 32 ? static_cast<char>(0x80 + (found - HIGH_CONTROLS)) : '?';
}

int utf8ToCp1252(const char* text, char* target, size_t capacity) {
    if (capacity == 0) return 0;
    size_t used = 0;
    while (*text && used + 1 < capacity) {
        uint32_t point = 0;
        size_t length = decodeUtf8(text, point);
        target[used++] = length ? byteOf(point) : *text;
        text += length ? length : 1;
    }
    // Read before the terminator, which may overwrite `text` when converting in place.
    int whole = *text == '\0';
    target[used] = '\0';
    return whole;
}
