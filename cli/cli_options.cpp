#include "cli_options.h"

#include <stdio.h>
#include <string.h>

const char CLI_USAGE[] =
    "Usage: elenco [OPTION]... [FOLDER]\n"
    "Write the listing of FOLDER (default: the current directory) to\n"
    "elenco_dei_files.txt in the current directory.\n"
    "\n"
    "  -R, --recursive         list every folder below FOLDER too (the default)\n"
    "  -1, --no-subfolders     list FOLDER alone, one level\n"
    "      --no-length         leave out each file's length\n"
    "      --no-type           leave out each file's type (extension)\n"
    "      --no-modified       leave out each file's last write (UTC)\n"
    "  -s, --sort=KEY          order files by KEY: name (default), type, length,\n"
    "                          or time (last write, oldest first)\n"
    "  -r, --reverse           reverse the order of the files\n"
    "      --options=WORD      the dialog's option word, 0 to 127, as it stands\n"
    "                          (overrides the options above but -r):\n"
    "                          1 subfolders, 2 length, 4 type, 8 last write,\n"
    "                          16 by name, 32 by type, 64 by length; default 31.\n"
    "                          -s time adds 128 and -r adds 256 to the word\n"
    "  -o, --output=FILE       write the report to FILE; '-' is standard output\n"
    "      --encoding=NAME     the report's names and paths in NAME: windows-1252\n"
    "                          (default: other characters become '?') or utf-8\n"
    "                          (as they are, aligned by display columns)\n"
    "  -j, --jobs=N            read up to N folders at once, ahead of the report, in\n"
    "                          at most 4 MB (default: one per core; 1 to 64)\n"
    "  -q, --quiet             no progress or closing line on standard error\n"
    "  -h, --help              show this help and exit\n"
    "      --version           show the version and exit\n"
    "\n"
    "Long options may be abbreviated while they stay unambiguous. The report\n"
    "replaces FILE only once it is complete; until then it is written to a\n"
    "temporary file beside it.\n"
    "\n"
    "Exit status: 0 report written; 1 bad usage; 2 the listing is incomplete\n"
    "(FOLDER, or a folder below it, could not be read or was left out for the\n"
    "length of its path, or a file's details could not be read); 3 the report\n"
    "could not be opened or written; 4 memory exhausted. With several failures,\n"
    "the highest.\n";

namespace {

enum OptionId {
    OPT_RECURSIVE,
    OPT_NO_SUBFOLDERS,
    OPT_NO_LENGTH,
    OPT_NO_TYPE,
    OPT_NO_MODIFIED,
    OPT_SORT,
    OPT_REVERSE,
    OPT_WORD,
    OPT_OUTPUT,
    OPT_ENCODING,
    OPT_JOBS,
    OPT_QUIET,
    OPT_HELP,
    OPT_VERSION,
};

struct LongOption {
    const char* name;
    OptionId id;
    bool takesValue;
};

const LongOption LONG_OPTIONS[] = {
    {"recursive", OPT_RECURSIVE, false},
    {"no-subfolders", OPT_NO_SUBFOLDERS, false},
    {"no-length", OPT_NO_LENGTH, false},
    {"no-type", OPT_NO_TYPE, false},
    {"no-modified", OPT_NO_MODIFIED, false},
    {"sort", OPT_SORT, true},
    {"reverse", OPT_REVERSE, false},
    {"options", OPT_WORD, true},
    {"output", OPT_OUTPUT, true},
    {"encoding", OPT_ENCODING, true},
    {"jobs", OPT_JOBS, true},
    {"quiet", OPT_QUIET, false},
    {"help", OPT_HELP, false},
    {"version", OPT_VERSION, false},
};

struct ShortOption {
    char letter;
    OptionId id;
    bool takesValue;
};

const ShortOption SHORT_OPTIONS[] = {
    {'R', OPT_RECURSIVE, false}, {'1', OPT_NO_SUBFOLDERS, false}, {'s', OPT_SORT, true},
    {'r', OPT_REVERSE, false},   {'o', OPT_OUTPUT, true},         {'q', OPT_QUIET, false},
    {'h', OPT_HELP, false},      {'j', OPT_JOBS, true},
};

const ListingOptions SORT_BITS = SORT_BY_NAME | SORT_BY_TYPE | SORT_BY_LENGTH | SORT_BY_TIME;
const ListingOptions DIALOG_WORD_LIMIT = 127;

struct Parser {
    CliOptions& options;
    ListingOptions flags;
    bool wordGiven;
    char* error;
    size_t capacity;
};

int fail(Parser& p, const char* format, const char* detail) {
    snprintf(p.error, p.capacity, format, detail);
    return 0;
}

int parseWord(Parser& p, const char* text) {
    if (!*text || strlen(text) > 3) return fail(p, "invalid option word '%s' (0 to 127)", text);
    ListingOptions value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return fail(p, "invalid option word '%s' (0 to 127)", text);
        value = value * 10 + static_cast<ListingOptions>(*c - '0');
    }
    if (value > DIALOG_WORD_LIMIT) return fail(p, "invalid option word '%s' (0 to 127)", text);
    p.options.word = value;
    p.wordGiven = true;
    return 1;
}

int parseSortKey(Parser& p, const char* key) {
    ListingOptions bit = 0;
    if (strcmp(key, "name") == 0) bit = SORT_BY_NAME;
    if (strcmp(key, "type") == 0) bit = SORT_BY_TYPE;
    if (strcmp(key, "length") == 0) bit = SORT_BY_LENGTH;
    if (strcmp(key, "time") == 0) bit = SORT_BY_TIME;
    if (!bit) return fail(p, "invalid sort key '%s'; valid keys: name, type, length, time", key);
    p.flags = (p.flags & ~SORT_BITS) | bit;
    return 1;
}

int parseEncoding(Parser& p, const char* name) {
    if (strcmp(name, "utf-8") != 0 && strcmp(name, "windows-1252") != 0)
        return fail(p, "invalid encoding '%s'; valid encodings: windows-1252, utf-8", name);
    p.options.utf8 = name[0] == 'u';
    return 1;
}

int parseJobs(Parser& p, const char* text) {
    int value = 0;
    for (const char* c = text; *c && value <= 64; ++c) {
        if (*c < '0' || *c > '9') return fail(p, "invalid number of jobs '%s'", text);
        value = value * 10 + (*c - '0');
    }
    if (value < 1 || value > 64) return fail(p, "invalid number of jobs '%s'", text);
    p.options.jobs = value;
    return 1;
}

int apply(Parser& p, OptionId id, const char* value) {
    switch (id) {
    case OPT_RECURSIVE:
        p.flags |= LIST_SUBFOLDERS;
        break;
    case OPT_NO_SUBFOLDERS:
        p.flags &= ~LIST_SUBFOLDERS;
        break;
    case OPT_NO_LENGTH:
        p.flags &= ~SHOW_LENGTH;
        break;
    case OPT_NO_TYPE:
        p.flags &= ~SHOW_TYPE;
        break;
    case OPT_NO_MODIFIED:
        p.flags &= ~SHOW_MODIFIED;
        break;
    case OPT_SORT:
        return parseSortKey(p, value);
    case OPT_REVERSE:
        p.flags |= SORT_REVERSED;
        break;
    case OPT_WORD:
        return parseWord(p, value);
    case OPT_ENCODING:
        return parseEncoding(p, value);
    case OPT_JOBS:
        return parseJobs(p, value);
    case OPT_OUTPUT:
        if (!*value) return fail(p, "%s", "empty FILE for the report");
        p.options.output = value;
        break;
    case OPT_QUIET:
        p.options.quiet = true;
        break;
    case OPT_HELP:
        p.options.help = true;
        break;
    case OPT_VERSION:
        p.options.version = true;
        break;
    }
    return 1;
}

// The long option that `name` (its first `length` characters) names: itself,
// or the one option it is the start of.
const LongOption* matchLong(Parser& p, const char* name, size_t length) {
    const LongOption* found = nullptr;
    int matches = 0;
    for (const LongOption& option : LONG_OPTIONS) {
        if (strncmp(option.name, name, length) != 0) continue;
        if (option.name[length] == '\0') return &option;
        found = &option;
        ++matches;
    }
    if (matches == 1) return found;
    char text[256];
    snprintf(text, sizeof text, "%.*s", static_cast<int>(length), name);
    if (matches == 0) {
        fail(p, "unrecognized option '--%s'", text);
        return nullptr;
    }
    char list[512] = "";
    for (const LongOption& option : LONG_OPTIONS) {
        if (strncmp(option.name, name, length) != 0) continue;
        size_t used = strlen(list);
        snprintf(list + used, sizeof list - used, " '--%s'", option.name);
    }
    snprintf(p.error, p.capacity, "option '--%s' is ambiguous; possibilities:%s", text, list);
    return nullptr;
}

int parseLong(Parser& p, int argc, char** argv, int& i) {
    const char* name = argv[i] + 2;
    const char* equals = strchr(name, '=');
    size_t length = equals ? static_cast<size_t>(equals - name) : strlen(name);
    const LongOption* option = matchLong(p, name, length);
    if (!option) return 0;
    const char* value = equals ? equals + 1 : nullptr;
    if (!option->takesValue && value)
        return fail(p, "option '--%s' doesn't allow an argument", option->name);
    if (option->takesValue && !value) {
        if (i + 1 >= argc) return fail(p, "option '--%s' requires an argument", option->name);
        value = argv[++i];
    }
    return apply(p, option->id, value);
}

// A cluster of short options such as -1q or -stime; a value takes the rest
// of the word, or the next word.
int parseShort(Parser& p, int argc, char** argv, int& i) {
    for (const char* c = argv[i] + 1; *c; ++c) {
        const ShortOption* option = nullptr;
        for (const ShortOption& candidate : SHORT_OPTIONS) {
            if (candidate.letter == *c) option = &candidate;
        }
        char letter[2] = {*c, '\0'};
        if (!option) return fail(p, "invalid option -- '%s'", letter);
        if (!option->takesValue) {
            if (!apply(p, option->id, nullptr)) return 0;
            continue;
        }
        const char* value = c[1] ? c + 1 : (i + 1 < argc ? argv[++i] : nullptr);
        if (!value) return fail(p, "option requires an argument -- '%s'", letter);
        return apply(p, option->id, value);
    }
    return 1;
}

} // namespace

int parseCliOptions(int argc, char** argv, CliOptions& options, char* error, size_t errorCapacity) {
    options = CliOptions();
    Parser p = {options, 31, false, error, errorCapacity};
    bool onlyOperands = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        int ok = 1;
        if (onlyOperands || arg[0] != '-' || arg[1] == '\0') {
            if (options.folder) return fail(p, "extra operand '%s'", arg);
            if (!*arg) return fail(p, "%s", "empty FOLDER name");
            options.folder = arg;
        } else if (strcmp(arg, "--") == 0) {
            onlyOperands = true;
        } else if (arg[1] == '-') {
            ok = parseLong(p, argc, argv, i);
        } else {
            ok = parseShort(p, argc, argv, i);
        }
        if (!ok) return 0;
    }
    // The dialog's word stands as given; only the reversal lies outside it.
    options.word = p.wordGiven ? options.word | (p.flags & SORT_REVERSED) : p.flags;
    if (!options.folder) options.folder = ".";
    return 1;
}
