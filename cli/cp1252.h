// Windows-1252, the report's encoding, against UTF-8, the encoding of Linux
// names and terminals.
#pragma once

#include <stddef.h>

// Converts `text` into `target` of `capacity` bytes, cutting at a whole
// character when it does not fit. Returns the length written.
size_t cp1252ToUtf8(const char* text, char* target, size_t capacity);

// Converts a UTF-8 `text` into `target` of `capacity` bytes: each character
// becomes its Windows-1252 byte, or '?' when it has none; a byte that is not
// part of a well-formed character is kept as it is. `target` may be `text`
// itself, as the result is never the longer. Returns 1, or 0 when it was cut to fit.
int utf8ToCp1252(const char* text, char* target, size_t capacity);
