#include "quote.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "utf8.h"

// The escape of a byte inside $'...'.
static std::string escaped(unsigned char byte) {
    static const char NAMED[] = "\a\b\t\n\v\f\r";
    const char* named = byte ? strchr(NAMED, byte) : nullptr;
    if (named) return std::string("\\") + "abtnvfr"[named - NAMED];
    char octal[5];
    snprintf(octal, sizeof octal, "\\%03o", byte);
    return octal;
}

std::string quoteName(const char* name) {
    std::string out;
    bool escaping = false; // inside $'...' rather than '...'
    out += '\'';
    for (const char* c = name; *c;) {
        uint32_t point = 0;
        size_t length = decodeUtf8(c, point);
        bool plain = length > 0 && point >= 0x20 && (point < 0x7F || point >= 0xA0);
        if (plain == escaping) {
            out += plain ? "''" : "'$'"; // close one kind of quotes, open the other
            escaping = !plain;
        }
        if (!plain) {
            out += escaped(static_cast<unsigned char>(*c++));
            continue;
        }
        if (*c == '\'')
            out += "'\\''";
        else
            out.append(c, length);
        c += length;
    }
    out += '\'';
    // A name that starts with an escape needs no empty '' before it.
    if (out.compare(0, 3, "''$") == 0) out.erase(0, 2);
    return out;
}
