#include "report_names.h"

#include "text.h"

// Names come from the ANSI searches, already Windows-1252; the wide names
// behind them are not read, so UTF-8 cannot be offered.
int useReportEncoding(bool utf8) {
    return !utf8;
}

int reportPath(const char* real, char* out, size_t capacity) {
    return copyText(out, capacity, real);
}
