#include "i18n.h"

#include <stdint.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "catalogue_it.h"

// The built-in catalogue in force: the Italian one for an Italian user, none otherwise.
static const unsigned char* catalogue;

void startTranslations() {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ITALIAN) catalogue = ITALIAN_CATALOGUE;
}

static uint32_t word(size_t offset) {
    uint32_t value;
    memcpy(&value, catalogue + offset, sizeof value); // msgfmt writes the host's order: little-endian
    return value;
}

// The translation of `key` (`length` bytes, a plural's two forms joined by NUL),
// by binary search over msgfmt's sorted originals; null when there is none.
static const char* lookUp(const char* key, size_t length) {
    if (!catalogue) return nullptr;
    uint32_t low = 0, high = word(8), originals = word(12), translations = word(16);
    while (low < high) {
        uint32_t middle = (low + high) / 2;
        uint32_t size = word(originals + 8 * middle);
        const char* original = reinterpret_cast<const char*>(catalogue + word(originals + 8 * middle + 4));
        int order = memcmp(key, original, length < size ? length : size);
        if (order == 0) order = length < size ? -1 : length > size ? 1 : 0;
        if (order == 0) return reinterpret_cast<const char*>(catalogue + word(translations + 8 * middle + 4));
        if (order < 0) high = middle;
        else low = middle + 1;
    }
    return nullptr;
}

const char* translate(const char* text) {
    const char* found = lookUp(text, strlen(text));
    return found && *found ? found : text;
}

const char* translatePlural(const char* one, const char* many, unsigned long count) {
    std::string key = std::string(one) + '\0' + many;
    const char* found = lookUp(key.data(), key.size());
    // Italian, like English, uses the singular for one alone.
    if (!found) return count == 1 ? one : many;
    return count == 1 ? found : found + strlen(found) + 1;
}
