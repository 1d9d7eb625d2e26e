// The engine's texts are Windows-1252; terminals want UTF-8.
#pragma once

#include <stddef.h>

// Converts `text` into `target` of `capacity` bytes, cutting at a whole
// character when it does not fit. Returns the length written.
size_t cp1252ToUtf8(const char* text, char* target, size_t capacity);
