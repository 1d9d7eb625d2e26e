// Windows-1252 names over the POSIX searches. Each name is converted as the
// search reports it, so every width, order and path of the engine is in the
// report's bytes. A folder whose converted name differs from its own is
// remembered by its converted path, which later searches are given and which
// leads back to the real one.
#include "report_names.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <mutex>

#include "cp1252.h"
#include "platform.h"
#include "text.h"
#include "utf8.h"

enum { REAL_PATH = 4096 };

// Converted path -> real path, each slot one block "converted\0real\0".
struct PathMap {
    char** slots;
    size_t capacity;
    size_t count;
};

static PathMap realPaths;
// Readers ahead of the report search from threads of their own.
static std::mutex realPathsLock;

static uint32_t hashOf(const char* text, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

// The slot of the `length` bytes of `converted`: its own, or the empty one it would take.
static char** slotOf(const char* converted, size_t length) {
    size_t mask = realPaths.capacity - 1;
    for (size_t i = hashOf(converted, length) & mask;; i = (i + 1) & mask) {
        char* key = realPaths.slots[i];
        if (!key || (strncmp(key, converted, length) == 0 && key[length] == '\0'))
            return &realPaths.slots[i];
    }
}

static const char* realPathOf(const char* converted, size_t length) {
    if (realPaths.count == 0) return nullptr;
    const char* key = *slotOf(converted, length);
    return key ? key + length + 1 : nullptr;
}

static bool grow() {
    size_t capacity = realPaths.capacity ? realPaths.capacity * 2 : 256;
    char** slots = static_cast<char**>(calloc(capacity, sizeof(char*)));
    if (!slots) return false;
    PathMap old = realPaths;
    realPaths.slots = slots;
    realPaths.capacity = capacity;
    for (size_t i = 0; i < old.capacity; ++i) {
        if (old.slots[i]) *slotOf(old.slots[i], strlen(old.slots[i])) = old.slots[i];
    }
    free(old.slots);
    return true;
}

static bool remember(const char* converted, const char* real) {
    if ((realPaths.count + 1) * 2 > realPaths.capacity && !grow()) return false;
    size_t convertedSize = strlen(converted) + 1;
    size_t realSize = strlen(real) + 1;
    char** slot = slotOf(converted, convertedSize - 1);
    if (*slot) return strcmp(*slot + convertedSize, real) == 0;
    char* block = static_cast<char*>(malloc(convertedSize + realSize));
    if (!block) return false;
    memcpy(block, converted, convertedSize);
    memcpy(block + convertedSize, real, realSize);
    *slot = block;
    ++realPaths.count;
    return true;
}

// The real path of a converted one: the longest remembered folder above it
// (or itself), with the rest, whose names are their own, added.
static void resolve(const char* converted, char* real, size_t capacity) {
    size_t length = strlen(converted);
    while (length > 0) {
        const char* known = realPathOf(converted, length);
        if (known) {
            copyText(real, capacity, known);
            appendText(real, capacity, converted + length, strlen(converted + length));
            return;
        }
        while (length > 0 && converted[length - 1] != '/')
            --length;
        if (length > 0) --length;
    }
    copyText(real, capacity, converted);
}

struct NamedSearch {
    DirSearch* inner;
    char converted[PATH_BUFFER];
    char real[REAL_PATH];
};

// A folder may go by its converted name only when that leads back to it alone:
// no other folder of the same parent took it first, and no entry there holds
// it as its own. Otherwise, or when memory runs out, the folder keeps its own
// bytes, which lead to it as they are.
static bool mayConvert(const NamedSearch& search, const char* name, const char* converted) {
    char key[PATH_BUFFER];
    char real[REAL_PATH];
    char sibling[REAL_PATH];
    // A path past the searchable length is left out of the walk: never searched.
    if (!joinPath(key, sizeof key, search.converted, converted)) return true;
    if (!joinPath(real, sizeof real, search.real, name) ||
        !joinPath(sibling, sizeof sibling, search.real, converted))
        return false;
    const char* known = realPathOf(key, strlen(key));
    if (known) return strcmp(known, real) == 0;
    struct stat info;
    if (lstat(sibling, &info) == 0) return false;
    return remember(key, real);
}

// A name of ASCII bytes alone is its own conversion.
static bool plainAscii(const char* name) {
    for (; *name; ++name) {
        if (static_cast<unsigned char>(*name) >= 0x80) return false;
    }
    return true;
}

static void convertEntry(const NamedSearch& search, DirEntry* entry) {
    if (plainAscii(entry->name)) return;
    char converted[PATH_BUFFER];
    utf8ToCp1252(entry->name, converted, sizeof converted);
    if (strcmp(converted, entry->name) == 0) return;
    if (entry->attributes & FOLDER_ATTRIBUTE) {
        std::lock_guard<std::mutex> hold(realPathsLock);
        if (!mayConvert(search, entry->name, converted)) return;
    }
    copyText(entry->name, sizeof entry->name, converted);
}

static NamedSearch* named(DirSearch* search) {
    return reinterpret_cast<NamedSearch*>(search);
}

static DirSearch* convertingFindFirst(const Platform& self, const char* folder,
                                      SearchDetail detail, DirEntry* entry) {
    NamedSearch* search = static_cast<NamedSearch*>(malloc(sizeof(NamedSearch)));
    if (!search) return nullptr;
    copyText(search->converted, sizeof search->converted, folder);
    {
        std::lock_guard<std::mutex> hold(realPathsLock);
        resolve(folder, search->real, sizeof search->real);
    }
    search->inner = findFirst(*self.below, search->real, detail, entry);
    if (!search->inner) {
        free(search);
        return nullptr;
    }
    convertEntry(*search, entry);
    return reinterpret_cast<DirSearch*>(search);
}

static int convertingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    int step = findNext(*self.below, named(search)->inner, entry);
    if (step == SEARCH_ENTRY) convertEntry(*named(search), entry);
    return step;
}

static void convertingFindClose(const Platform& self, DirSearch* search) {
    findClose(*self.below, named(search)->inner);
    free(search);
}

static size_t utf8TextColumns(const Platform&, const char* text) {
    return utf8Columns(text);
}

int reportNamesLayer(const Platform& below, bool utf8, Platform& layer) {
    layer = layerOver(below, nullptr);
    if (utf8) {
        layer.textColumns = utf8TextColumns;
        return 1;
    }
    layer.findFirst = convertingFindFirst;
    layer.findNext = convertingFindNext;
    layer.findClose = convertingFindClose;
    return 1;
}

int reportPath(const char* real, bool utf8, char* out, size_t capacity) {
    if (utf8) return copyText(out, capacity, real);
    if (!utf8ToCp1252(real, out, capacity)) return 0;
    return strcmp(out, real) == 0 || remember(out, real);
}
