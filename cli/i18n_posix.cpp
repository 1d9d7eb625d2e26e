#include "i18n.h"

#include <libintl.h>
#include <limits.h>
#include <locale.h>
#include <string.h>
#include <unistd.h>

// The catalogues beside the program in a build tree (build/locale), or where
// the program's own prefix keeps them once installed (bin/../share/locale),
// so that the .deb and any --prefix find theirs.
static void bindCatalogues() {
    static const char BUILT[] = "/locale";
    static const char INSTALLED[] = "/../share/locale";
    char folder[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", folder, sizeof folder - sizeof INSTALLED);
    char* slash = length > 0 ? static_cast<char*>(memrchr(folder, '/', length)) : nullptr;
    if (!slash) return; // the system's own place, then
    strcpy(slash, BUILT);
    if (access(folder, F_OK) != 0) strcpy(slash, INSTALLED);
    bindtextdomain("elenco", folder);
}

void startTranslations() {
    setlocale(LC_ALL, "");
    bindCatalogues();
    textdomain("elenco");
}

const char* translate(const char* text) {
    return gettext(text);
}

const char* translatePlural(const char* one, const char* many, unsigned long count) {
    return ngettext(one, many, count);
}
