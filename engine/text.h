// Bounded text operations: every copy into a fixed buffer goes through these,
// so nothing is ever written past one.
#pragma once

#include <stddef.h>

// Copies `source` into `target` of `capacity` bytes (terminator included).
// Returns 1, or 0 when it did not fit: `target` then holds as much as fits.
int copyText(char* target, size_t capacity, const char* source);

// Appends `count` bytes of `source` to the text in `target`. Same results as copyText.
int appendText(char* target, size_t capacity, const char* source, size_t count);

// The full path of `name` in `parent`: `name` alone when `parent` is empty,
// joined by one separator otherwise (no second one after a root such as "/");
// `target` may be `parent` itself. Returns 1, or 0 when it does not fit
// `capacity`; `target` is then empty.
int joinPath(char* target, size_t capacity, const char* parent, const char* name);

// Case-insensitive comparison as the C runtime's _strcmpi in its default
// locale: A to Z count as a to z, then bytes compare as unsigned values.
int compareIgnoringCase(const char* a, const char* b);

// The byte as compareIgnoringCase sees it: A to Z become a to z.
inline unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// True for the entries "." and ".." that directory searches report.
inline bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}
