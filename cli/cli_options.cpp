#include "cli_options.h"

#include <getopt.h>
#include <string.h>

#include <string>

#include "i18n.h"

namespace {

#ifdef _WIN32
const bool WINDOWS = true;
#else
const bool WINDOWS = false;
#endif

enum OptionId {
    OPT_NO_LENGTH = 256,
    OPT_NO_TYPE,
    OPT_NO_MODIFIED,
    OPT_WORD,
    OPT_ENCODING,
    OPT_VERSION,
};

// One option: what getopt_long matches and the lines --help gives it.
struct CliOption {
    const char* name;
    int id;            // its letter, or an OptionId
    const char* value; // the value's name in --help, or null
    const char* help;  // continuation lines after '\n'
};

const CliOption OPTIONS[] = {
    {"recursive", 'R', nullptr, N_("list every folder below FOLDER too (the default)")},
    {"no-subfolders", '1', nullptr, N_("list FOLDER alone, one level")},
    {"no-length", OPT_NO_LENGTH, nullptr, N_("leave out each file's length")},
    {"no-type", OPT_NO_TYPE, nullptr, N_("leave out each file's type (extension)")},
    {"no-modified", OPT_NO_MODIFIED, nullptr, N_("leave out each file's last write (UTC)")},
    {"sort", 's', N_("KEY"),
     N_("order files by KEY: name (default), type, length,\n"
        "or time (last write, oldest first)")},
    {"reverse", 'r', nullptr, N_("reverse the order of the files")},
    {"options", OPT_WORD, N_("WORD"),
     N_("the dialog's option word, 0 to 127: 1 subfolders,\n"
        "2 length, 4 type, 8 last write, 16 by name,\n"
        "32 by type, 64 by length; default 31")},
    {"output", 'o', N_("FILE"), N_("write the report to FILE; '-' is standard output")},
#ifdef _WIN32
    {"encoding", OPT_ENCODING, N_("NAME"),
     N_("names and paths in windows-1252, the only\n"
        "encoding of this build")},
    {"jobs", 'j', "N",
     N_("read up to N folders at once, ahead of the walk\n"
        "and the report, in at most 4 MB (default: one per\n"
        "core; 1 to 64)")},
#else
    {"encoding", OPT_ENCODING, N_("NAME"),
     N_("names and paths in NAME: utf-8 (as they are,\n"
        "aligned by display columns) or windows-1252\n"
        "(other characters become '?'); default: the\n"
        "locale's, windows-1252 for a Latin-1 locale")},
    {"one-file-system", 'x', nullptr,
     N_("leave out folders on other file systems,\n"
        "naming each on standard error")},
    {"jobs", 'j', "N",
     N_("read up to N folders at once, ahead of the walk\n"
        "and the report, in at most 4 MB: one per core, more\n"
        "while folders come late; 1 to 64; by default up to\n"
        "16, and only once folders come late")},
#endif
    {"quiet", 'q', nullptr, N_("no progress or closing line on standard error")},
    {"help", 'h', nullptr, N_("show this help and exit")},
    {"version", OPT_VERSION, nullptr, N_("show the version and exit")},
};
const int OPTION_COUNT = sizeof OPTIONS / sizeof OPTIONS[0];

const ListingOptions SORT_BITS = SORT_BY_NAME | SORT_BY_TYPE | SORT_BY_LENGTH | SORT_BY_TIME;
const ListingOptions DIALOG_WORD_LIMIT = 127;

struct Parser {
    CliOptions& options;
    char* error;
    size_t capacity;
};

template <typename... Details> int fail(Parser& p, const char* format, Details... details) {
    snprintf(p.error, p.capacity, format, details...);
    return 0;
}

// The decimal number `text`, or `limit` + 1 when it exceeds `limit` or has a non-digit.
long decimal(const char* text, long limit) {
    long value = 0;
    for (const char* c = text; *c && value <= limit; ++c)
        value = *c < '0' || *c > '9' ? limit + 1 : value * 10 + (*c - '0');
    return value;
}

int parseWord(Parser& p, const char* text) {
    ListingOptions value = static_cast<ListingOptions>(decimal(text, DIALOG_WORD_LIMIT));
    if (!*text || value > DIALOG_WORD_LIMIT)
        return fail(p, _("invalid option word '%s' (0 to 127)"), text);
    // The word sets every setting but the reversal and -x, which it cannot say.
    p.options.word = value | (p.options.word & (SORT_REVERSED | STAY_ON_FILE_SYSTEM));
    return 1;
}

int parseSortKey(Parser& p, const char* key) {
    static const char* const KEYS[] = {"name", "type", "length", "time"};
    static const ListingOptions BITS[] = {SORT_BY_NAME, SORT_BY_TYPE, SORT_BY_LENGTH, SORT_BY_TIME};
    for (int i = 0; i < 4; ++i) {
        if (strcmp(key, KEYS[i]) != 0) continue;
        p.options.word = (p.options.word & ~SORT_BITS) | BITS[i];
        return 1;
    }
    return fail(p, _("invalid sort key '%s'; valid keys: name, type, length, time"), key);
}

int parseEncoding(Parser& p, const char* name) {
    if (strcasecmp(name, "windows-1252") == 0) p.options.encoding = ENCODING_WINDOWS_1252;
    else if (!WINDOWS && strcasecmp(name, "utf-8") == 0) p.options.encoding = ENCODING_UTF8;
    else if (WINDOWS) return fail(p, _("invalid encoding '%s'; this build writes windows-1252"), name);
    else return fail(p, _("invalid encoding '%s'; valid encodings: utf-8, windows-1252"), name);
    return 1;
}

int parseJobs(Parser& p, const char* text) {
    int value = static_cast<int>(decimal(text, 64));
    if (value < 1 || value > 64) return fail(p, _("invalid number of jobs '%s'"), text);
    p.options.jobs = value;
    return 1;
}

int apply(Parser& p, int id, const char* value) {
    ListingOptions& word = p.options.word;
    switch (id) {
    case 'R': word |= LIST_SUBFOLDERS; break;
    case '1': word &= ~LIST_SUBFOLDERS; break;
    case OPT_NO_LENGTH: word &= ~SHOW_LENGTH; break;
    case OPT_NO_TYPE: word &= ~SHOW_TYPE; break;
    case OPT_NO_MODIFIED: word &= ~SHOW_MODIFIED; break;
    case 's': return parseSortKey(p, value);
    case 'r': word |= SORT_REVERSED; break;
    case OPT_WORD: return parseWord(p, value);
    case OPT_ENCODING: return parseEncoding(p, value);
    case 'x': word |= STAY_ON_FILE_SYSTEM; break;
    case 'j': return parseJobs(p, value);
    case 'o':
        if (!*value) return fail(p, "%s", _("empty FILE for the report"));
        p.options.output = value;
        break;
    case 'q': p.options.quiet = true; break;
    case 'h': p.options.help = true; break;
    case OPT_VERSION: p.options.version = true; break;
    }
    return 1;
}

// Why getopt_long refused `word`, a long option, told alike on both builds
// (no option's name is the start of another's, so a match is a prefix match).
int failLong(Parser& p, const char* word) {
    const char* name = word + 2;
    size_t length = strcspn(name, "=");
    const CliOption* found = nullptr;
    int matches = 0;
    char list[512] = "";
    for (const CliOption& option : OPTIONS) {
        if (strncmp(option.name, name, length) != 0) continue;
        found = &option;
        ++matches;
        size_t used = strlen(list);
        snprintf(list + used, sizeof list - used, " '--%s'", option.name);
    }
    char given[256];
    snprintf(given, sizeof given, "--%.*s", static_cast<int>(length), name);
    if (matches == 0) return fail(p, _("unrecognized option '%s'"), given);
    if (matches > 1) return fail(p, _("option '%s' is ambiguous; possibilities:%s"), given, list);
    if (found->value) return fail(p, _("option '--%s' requires an argument"), found->name);
    return fail(p, _("option '--%s' doesn't allow an argument"), found->name);
}

} // namespace

int writeCliUsage(FILE* out) {
    fputs(_("Usage: elenco [OPTION]... [FOLDER]\n"
            "Write the listing of FOLDER (default: the current directory) to\n"
            "elenco_dei_files.txt in the current directory.\n"
            "\n"),
          out);
    for (const CliOption& option : OPTIONS) {
        char head[64];
        int used = snprintf(head, sizeof head, option.id < 256 ? "  -%c, --%s" : "  %c   --%s",
                            option.id < 256 ? option.id : ' ', option.name);
        if (option.value) snprintf(head + used, sizeof head - used, "=%s", _(option.value));
        fprintf(out, "%-26s", head);
        // Each line of the help after the first starts in the same column.
        for (const char* line = _(option.help); *line;) {
            size_t length = strcspn(line, "\n");
            fprintf(out, "%s%.*s\n", line == _(option.help) ? "" : "                          ",
                    static_cast<int>(length), line);
            line += length + (line[length] == '\n');
        }
    }
    fputs(_("\n"
            "Long options may be abbreviated while they stay unambiguous. Of -1 and -R,\n"
            "of -s and of -r, the last one given wins, setting by setting; --options\n"
            "sets all but -r.\n"
            "The report replaces FILE only once it is complete; until then it is\n"
            "written to a temporary file beside it. A FILE you may write in a folder\n"
            "you may not, or one with other names (hard links), is rewritten in place\n"
            "once the listing is complete.\n"
            "\n"
            "Exit status: 0 report written; 1 bad usage; 2 the listing is incomplete\n"
            "(FOLDER, or a folder below it, could not be read or was left out for the\n"
            "length of its path, or a file's details could not be read); 3 the report\n"
            "could not be opened or written; 4 memory exhausted. With several failures,\n"
            "the highest.\n"),
          out);
    if (WINDOWS) fputs(_("/? is --help.\n"), out);
    return fflush(out) == 0 && !ferror(out);
}

int parseCliOptions(int argc, char** argv, CliOptions& options, char* error, size_t errorCapacity) {
    options = CliOptions();
    options.word = LIST_SUBFOLDERS | SHOW_LENGTH | SHOW_TYPE | SHOW_MODIFIED | SORT_BY_NAME;
    Parser p = {options, error, errorCapacity};
    for (int i = 1; WINDOWS && i < argc; ++i)
        options.help = options.help || strcmp(argv[i], "/?") == 0;
    if (options.help) return 1;
    struct option table[OPTION_COUNT + 1] = {};
    std::string letters = ":";
    for (int i = 0; i < OPTION_COUNT; ++i) {
        table[i] = {OPTIONS[i].name, OPTIONS[i].value ? required_argument : no_argument, nullptr,
                    OPTIONS[i].id};
        if (OPTIONS[i].id >= 256) continue;
        letters += static_cast<char>(OPTIONS[i].id);
        if (OPTIONS[i].value) letters += ':';
    }
    opterr = 0;
    optind = 0; // a fresh scan, on glibc and mingw-w64 alike
    for (int id; (id = getopt_long(argc, argv, letters.c_str(), table, nullptr)) != -1;) {
        if (id == '?' || id == ':') {
            const char* word = argv[optind - 1];
            if (word[0] == '-' && word[1] == '-') return failLong(p, word);
            char letter[2] = {static_cast<char>(optopt), '\0'};
            return fail(p, id == ':' ? _("option requires an argument -- '%s'")
                                     : _("invalid option -- '%s'"),
                        letter);
        }
        if (!apply(p, id, optarg)) return 0;
    }
    for (int i = optind; i < argc; ++i) {
        if (options.folder) return fail(p, _("extra operand '%s'"), argv[i]);
        if (!*argv[i]) return fail(p, "%s", _("empty FOLDER name"));
        options.folder = argv[i];
    }
    if (!options.folder) options.folder = ".";
    return 1;
}
