#include <langinfo.h>
#include <strings.h>

#include "console.h"

// POSIX streams pass bytes through as they are.
void prepareStandardStreams() {}

// The character set of LC_CTYPE, which startTranslations has taken from the environment.
ReportEncoding encodingOfLocale() {
    static const char* const LATIN[] = {"ISO-8859-1", "ISO-8859-15", "CP1252", "WINDOWS-1252"};
    const char* codeset = nl_langinfo(CODESET);
    for (const char* latin : LATIN) {
        if (strcasecmp(codeset, latin) == 0) return ENCODING_WINDOWS_1252;
    }
    return ENCODING_UTF8;
}
