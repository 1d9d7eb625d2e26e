#include "report_file_stdio.h"

#include <stdio.h>

// Binary mode: the writer puts CR LF itself, so every platform writes the same bytes.
ReportFile* stdioOpenReport(const char* name) {
    return reinterpret_cast<ReportFile*>(fopen(name, "wb"));
}

int stdioWriteReport(ReportFile* file, const char* bytes, size_t length) {
    return fwrite(bytes, 1, length, reinterpret_cast<FILE*>(file)) == length;
}

int stdioCloseReport(ReportFile* file) {
    FILE* stream = reinterpret_cast<FILE*>(file);
    bool flushed = fflush(stream) == 0 && !ferror(stream);
    bool closed = fclose(stream) == 0;
    return flushed && closed;
}
