#include "text.h"

#include <string.h>

#include "platform.h"

int copyText(char* target, size_t capacity, const char* source) {
    if (capacity == 0) return 0;
    target[0] = '\0';
    return appendText(target, capacity, source, strlen(source));
}

int appendText(char* target, size_t capacity, const char* source, size_t count) {
    if (capacity == 0) return 0;
    size_t used = strnlen(target, capacity - 1);
    size_t room = capacity - 1 - used;
    size_t taken = count < room ? count : room;
    memcpy(target + used, source, taken);
    target[used + taken] = '\0';
    return taken == count;
}

int joinPath(char* target, size_t capacity, const char* parent, const char* name) {
    size_t parentLength = strlen(parent);
    size_t nameLength = strlen(name);
    bool separator = parentLength > 0 && parent[parentLength - 1] != PATH_SEPARATOR;
    size_t total = parentLength + (separator ? 1 : 0) + nameLength;
    if (total >= capacity) {
        if (capacity > 0) target[0] = '\0';
        return 0;
    }
    memmove(target, parent, parentLength);
    if (separator) target[parentLength] = PATH_SEPARATOR;
    memcpy(target + total - nameLength, name, nameLength + 1);
    return 1;
}

int compareIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char cx = foldAscii(static_cast<unsigned char>(*a));
        unsigned char cy = foldAscii(static_cast<unsigned char>(*b));
        if (cx != cy) return cx < cy ? -1 : 1;
        if (cx == '\0') return 0;
    }
}
