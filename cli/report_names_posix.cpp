// Windows-1252 names over the POSIX searches. Each name is converted once, as
// the search reports it, so that every width, order and path of the engine is
// in the report's bytes; the real name stays beside it, and the system's layer
// opens a folder by that, below its parent.
#include "report_names.h"

#include "cp1252.h"
#include "utf8.h"

static void convertName(DirEntry* entry) {
    // A name of ASCII bytes alone is its own conversion.
    const char* c = entry->name;
    while (*c && static_cast<unsigned char>(*c) < 0x80)
        ++c;
    if (*c) utf8ToCp1252(entry->name, entry->name, sizeof entry->name);
}

static DirSearch* convertingFindFirst(const Platform& self, const SearchFolder& folder,
                                      SearchDetail detail, DirEntry* entry) {
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    if (search) convertName(entry);
    return search;
}

static int convertingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    int step = findNext(*self.below, search, entry);
    if (step == SEARCH_ENTRY) convertName(entry);
    return step;
}

static int convertingShowName(const Platform&, const char* real, char* shown, size_t capacity) {
    return utf8ToCp1252(real, shown, capacity);
}

Platform reportNamesLayer(const Platform& below, bool utf8) {
    Platform layer = layerOver(below, nullptr);
    if (utf8) {
        layer.textColumns = [](const Platform&, const char* text) { return utf8Columns(text); };
        layer.textLength = [](const Platform&, const char* text) { return utf8Length(text); };
        return layer;
    }
    layer.findFirst = convertingFindFirst;
    layer.findNext = convertingFindNext;
    layer.showName = convertingShowName;
    return layer;
}
