#include "cli_options.h"

#include <stdio.h>
#include <string.h>

const char CLI_USAGE[] =
    "Usage: elenco [OPTION]... FOLDER\n"
    "Write the listing of FOLDER to elenco_dei_files.txt in the current directory.\n"
    "\n"
    "  -R, --no-subfolders     list FOLDER alone (default: every folder below it too)\n"
    "      --no-length         leave out each file's length\n"
    "      --no-type           leave out each file's type (extension)\n"
    "      --no-modified       leave out each file's last write (UTC)\n"
    "  -s, --sort=KEY          order files by KEY: name (default), type or length\n"
    "      --options=WORD      use the option word WORD as it stands (overrides the above):\n"
    "                          1 subfolders, 2 length, 4 type, 8 last write,\n"
    "                          16 by name, 32 by type, 64 by length; default 31\n"
    "  -o, --output=FILE       write the report to FILE; '-' is standard output\n"
    "      --encoding=NAME     the report's names and paths in NAME: windows-1252\n"
    "                          (default: other characters become '?') or utf-8\n"
    "                          (as they are, aligned by display columns)\n"
    "  -q, --quiet             no progress line on standard error\n"
    "  -j, --jobs=N            read up to N folders at once, ahead of the report, in\n"
    "                          at most 4 MB (default: one per core; 1 to 64)\n"
    "      --help              show this help and exit\n"
    "      --version           show the version and exit\n"
    "\n"
    "Exit status: 0 report written; 1 bad usage; 2 FOLDER could not be read (the\n"
    "report is still written); 3 the report could not be opened or written;\n"
    "4 memory exhausted. With several failures, the highest.\n";

static const ListingOptions SORT_BITS = SORT_BY_NAME | SORT_BY_TYPE | SORT_BY_LENGTH;

static int fail(char* error, size_t capacity, const char* what, const char* detail) {
    snprintf(error, capacity, "%s '%s'", what, detail);
    return 0;
}

static int parseWord(const char* text, ListingOptions& word) {
    if (!*text || strlen(text) > 10) return 0;
    unsigned long long value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(*c - '0');
    }
    if (value > 0xFFFFFFFFull) return 0;
    word = static_cast<ListingOptions>(value);
    return 1;
}

static int parseJobs(const char* text, int& jobs) {
    if (!text || !*text || strlen(text) > 2) return 0;
    int value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return 0;
        value = value * 10 + (*c - '0');
    }
    if (value < 1 || value > 64) return 0;
    jobs = value;
    return 1;
}

static int parseSortKey(const char* key, ListingOptions& flags) {
    ListingOptions bit = 0;
    if (strcmp(key, "name") == 0) bit = SORT_BY_NAME;
    if (strcmp(key, "type") == 0) bit = SORT_BY_TYPE;
    if (strcmp(key, "length") == 0) bit = SORT_BY_LENGTH;
    if (!bit) return 0;
    flags = (flags & ~SORT_BITS) | bit;
    return 1;
}

static int parseEncoding(const char* name, bool& utf8) {
    if (strcmp(name, "utf-8") != 0 && strcmp(name, "windows-1252") != 0) return 0;
    utf8 = name[0] == 'u';
    return 1;
}

// A long option's value: after '=' in the same word, or the next word.
static const char* longValue(const char* arg, size_t nameLength, int argc, char** argv, int& i) {
    if (arg[nameLength] == '=') return arg + nameLength + 1;
    if (arg[nameLength] != '\0' || i + 1 >= argc) return nullptr;
    return argv[++i];
}

static bool isLong(const char* arg, const char* name) {
    size_t length = strlen(name);
    return strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

int parseCliOptions(int argc, char** argv, CliOptions& options, char* error, size_t errorCapacity) {
    options = CliOptions();
    ListingOptions flags = 31;
    bool wordGiven = false;
    bool onlyOperands = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (onlyOperands || arg[0] != '-' || arg[1] == '\0') {
            if (options.folder) return fail(error, errorCapacity, "extra operand", arg);
            options.folder = arg;
        } else if (strcmp(arg, "--") == 0) {
            onlyOperands = true;
        } else if (arg[1] == '-') {
            const char* value = nullptr;
            if (strcmp(arg, "--no-subfolders") == 0) {
                flags &= ~LIST_SUBFOLDERS;
            } else if (strcmp(arg, "--no-length") == 0) {
                flags &= ~SHOW_LENGTH;
            } else if (strcmp(arg, "--no-type") == 0) {
                flags &= ~SHOW_TYPE;
            } else if (strcmp(arg, "--no-modified") == 0) {
                flags &= ~SHOW_MODIFIED;
            } else if (strcmp(arg, "--quiet") == 0) {
                options.quiet = true;
            } else if (strcmp(arg, "--help") == 0) {
                options.help = true;
            } else if (strcmp(arg, "--version") == 0) {
                options.version = true;
            } else if (isLong(arg, "--sort")) {
                value = longValue(arg, 6, argc, argv, i);
                if (!value || !parseSortKey(value, flags))
                    return fail(error, errorCapacity, "invalid sort key", value ? value : "");
            } else if (isLong(arg, "--options")) {
                value = longValue(arg, 9, argc, argv, i);
                if (!value || !parseWord(value, options.word))
                    return fail(error, errorCapacity, "invalid option word", value ? value : "");
                wordGiven = true;
            } else if (isLong(arg, "--encoding")) {
                value = longValue(arg, 10, argc, argv, i);
                if (!value || !parseEncoding(value, options.utf8))
                    return fail(error, errorCapacity, "invalid encoding", value ? value : "");
            } else if (isLong(arg, "--jobs")) {
                value = longValue(arg, 6, argc, argv, i);
                if (!parseJobs(value, options.jobs))
                    return fail(error, errorCapacity, "invalid number of jobs", value ? value : "");
            } else if (isLong(arg, "--output")) {
                value = longValue(arg, 8, argc, argv, i);
                if (!value || !*value) return fail(error, errorCapacity, "missing file for", arg);
                options.output = value;
            } else {
                return fail(error, errorCapacity, "unrecognized option", arg);
            }
        } else {
            for (const char* c = arg + 1; *c; ++c) {
                if (*c == 'R') {
                    flags &= ~LIST_SUBFOLDERS;
                } else if (*c == 'q') {
                    options.quiet = true;
                } else if (*c == 's' || *c == 'o' || *c == 'j') {
                    const char* value = c[1] ? c + 1 : (i + 1 < argc ? argv[++i] : nullptr);
                    if (*c == 'j' && !parseJobs(value, options.jobs))
                        return fail(error, errorCapacity, "invalid number of jobs",
                                    value ? value : "");
                    if (*c == 's' && (!value || !parseSortKey(value, flags)))
                        return fail(error, errorCapacity, "invalid sort key", value ? value : "");
                    if (*c == 'o' && (!value || !*value))
                        return fail(error, errorCapacity, "missing file for", "-o");
                    if (*c == 'o') options.output = value;
                    break;
                } else {
                    char option[3] = {'-', *c, '\0'};
                    return fail(error, errorCapacity, "invalid option", option);
                }
            }
        }
    }
    if (!wordGiven) options.word = flags;
    if (!options.folder && !options.help && !options.version)
        return fail(error, errorCapacity, "missing", "FOLDER");
    return 1;
}
