#include "i18n.h"

#include <libintl.h>
#include <limits.h>
#include <locale.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// The catalogues beside the program (a build tree), or where they are installed.
static void bindCatalogues() {
    char folder[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", folder, sizeof folder - sizeof "/locale");
    char* slash = length > 0 ? static_cast<char*>(memrchr(folder, '/', length)) : nullptr;
    struct stat info;
    if (slash) strcpy(slash, "/locale");
    bindtextdomain("elenco", slash && stat(folder, &info) == 0 ? folder : ZARPELLO_LOCALEDIR);
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
