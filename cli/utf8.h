// Reading UTF-8 names one character at a time, and measuring them as a
// terminal shows them.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Decodes the character at `text` into `point`. Returns its length in bytes,
// or 0 when `text` does not start a well-formed character (a stray, truncated
// or overlong sequence, a surrogate, a value past U+10FFFF) or is at its end.
size_t decodeUtf8(const char* text, uint32_t& point);

// The columns `text` takes on a terminal: East Asian wide and full-width
// characters two, combining marks none, anything else one, and each byte
// that is not part of a well-formed character one.
size_t utf8Columns(const char* text);

// The characters of `text`: each well-formed character one, and each byte
// that is not part of one one.
size_t utf8Length(const char* text);
