// Makes a synthetic tree for the benchmark, the same one for the same seed:
//   make_tree SHAPE SEED FOLDER      SHAPE: large, wide, small, million or folders
// Names mix case, spaces, digits, dots, underscores and accented letters; sizes
// run from 0 to past 4 GiB (sparse, so they cost no disk); last writes span
// four decades. FOLDER must not exist yet.
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct Shape {
    const char* name;
    int folders; // below the top one
    int files;
    int deepest;       // levels of folders below the top one
    bool onePerFolder; // each folder below the top holds one file; else files go anywhere
};

const Shape SHAPES[] = {
    {"large", 20000, 200000, 6, false},
    {"wide", 0, 100000, 0, false},
    {"small", 2000, 20000, 6, false},
    {"million", 0, 1000000, 0, false},    // a file server's folder of scans
    {"folders", 200000, 200000, 1, true}, // a record per folder, hardly any per file
};

// splitmix64: small, fast, and the same sequence everywhere.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint64_t below(uint64_t bound) { return next() % bound; }
    bool chance(int percent) { return below(100) < static_cast<uint64_t>(percent); }
    template <typename T, size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }
};

const char* const WORDS[] = {
    "foto",    "Relazione", "bilancio",  "IMG",        "DSC",   "lettera", "Fattura", "città",
    "perché",  "caffè",     "Ågot",      "niño",       "über",  "résumé",  "copia",   "bozza",
    "Nuova",   "cartella",  "backup",    "progetto",   "draft", "final",   "Vacanze", "mare",
    "Natale",  "scansione", "contratto", "preventivo", "José",  "Çelik",   "señal",   "Ölfarbe",
    "appunti", "README",    "Documento", "musica",     "video", "estate",  "tesi",    "verbale",
};

const char* const JOINS[] = {" ", "_", "-", ".", "", " - "};

// Weighted by repetition; empty means no extension, "tar.gz" a double one.
const char* const EXTENSIONS[] = {
    "jpg",  "jpg",  "jpg", "JPG", "jpeg", "png",    "png",     "gif",
    "tiff", "nef",  "pdf", "pdf", "pdf",  "docx",   "doc",     "xlsx",
    "xls",  "odt",  "txt", "txt", "csv",  "mp3",    "flac",    "mp4",
    "mov",  "avi",  "zip", "7z",  "rar",  "tar.gz", "tar.bz2", "iso",
    "html", "css",  "js",  "cpp", "h",    "py",     "log",     "ini",
    "bak",  "json", "xml", "",    "",     "",       "",        "backup-vecchio",
};

std::string caseOf(Random& random, const char* word) {
    std::string text = word;
    switch (random.below(4)) {
    case 0: // lower case, ASCII letters only: the accented bytes stay as they are
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        break;
    case 1:
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        break;
    default:
        break;
    }
    return text;
}

std::string baseName(Random& random, size_t longest) {
    std::string name;
    int words = 1 + static_cast<int>(random.below(3));
    for (int i = 0; i < words; ++i) {
        if (i > 0) name += random.pick(JOINS);
        name += caseOf(random, random.pick(WORDS));
    }
    if (random.chance(50)) {
        char digits[32];
        switch (random.below(3)) {
        case 0:
            snprintf(digits, sizeof digits, "_%04u", static_cast<unsigned>(random.below(10000)));
            break;
        case 1:
            snprintf(digits, sizeof digits, " %u", static_cast<unsigned>(1980 + random.below(45)));
            break;
        default:
            snprintf(digits, sizeof digits, " (%u)", static_cast<unsigned>(1 + random.below(9)));
            break;
        }
        name += digits;
    }
    // Cut at a character boundary, so the name stays valid UTF-8.
    while (name.size() > longest) {
        name.pop_back();
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
    }
    if (name.empty() || name == "." || name == "..") name = "x";
    return name;
}

std::string fileName(Random& random) {
    std::string name = random.chance(2) ? std::string() : baseName(random, 40);
    const char* extension = random.pick(EXTENSIONS);
    if (*extension) name = name + "." + extension;
    return name.empty() ? "x" : name;
}

// Mostly small files, some large, a few past 4 GiB: a bit length first, then a
// value of that length, so every order of magnitude is present.
uint64_t fileSize(Random& random) {
    if (random.chance(5)) return 0;
    int bits;
    uint64_t roll = random.below(1000);
    if (roll < 600)
        bits = 7 + static_cast<int>(random.below(11)); // 64 B .. 128 KiB
    else if (roll < 900)
        bits = 17 + static_cast<int>(random.below(7)); // .. 8 MiB
    else if (roll < 985)
        bits = 23 + static_cast<int>(random.below(8)); // .. 1 GiB
    else
        bits = 31 + static_cast<int>(random.below(3)); // .. 8 GiB
    uint64_t low = 1ULL << (bits - 1);
    return low + random.below(low);
}

// 1 January 1985 to 31 December 2024, with nanoseconds.
struct timespec lastWrite(Random& random) {
    const int64_t first = 473385600;
    const int64_t last = 1735689599;
    struct timespec time;
    time.tv_sec = static_cast<time_t>(first + static_cast<int64_t>(random.below(last - first)));
    time.tv_nsec = static_cast<long>(random.below(1000000000));
    return time;
}

struct Folder {
    std::string path;
    int depth;
};

bool makeFile(const std::string& path, uint64_t size, const struct timespec& time) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    struct timespec times[2] = {time, time};
    if (ftruncate(fd, static_cast<off_t>(size)) != 0 || futimens(fd, times) != 0) {
        perror(path.c_str());
        _exit(1);
    }
    close(fd);
    return true;
}

int fail(const std::string& what) {
    perror(what.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const Shape* shape = nullptr;
    if (argc == 4) {
        for (const Shape& s : SHAPES)
            if (strcmp(argv[1], s.name) == 0) shape = &s;
    }
    if (!shape) {
        fprintf(stderr, "usage: make_tree large|wide|small|million|folders SEED FOLDER\n");
        return 1;
    }
    Random random{strtoull(argv[2], nullptr, 10)};
    std::string top = argv[3];
    if (mkdir(top.c_str(), 0755) != 0) return fail(top);

    std::vector<Folder> folders{{top, 0}};
    std::vector<size_t> parents{0}; // folders that may still hold a subfolder
    while (static_cast<int>(folders.size()) <= shape->folders) {
        size_t parent = parents[random.below(parents.size())];
        int depth = folders[parent].depth + 1;
        std::string name = baseName(random, 30);
        if (random.chance(5)) name += ".old";
        std::string path = folders[parent].path + "/" + name;
        if (mkdir(path.c_str(), 0755) != 0) {
            if (errno == EEXIST) continue; // the same name twice: draw another
            return fail(path);
        }
        folders.push_back({path, depth});
        if (depth < shape->deepest) parents.push_back(folders.size() - 1);
    }
    for (int made = 0; made < shape->files;) {
        const Folder& folder =
            folders[shape->onePerFolder ? 1 + made : random.below(folders.size())];
        std::string path = folder.path + "/" + fileName(random);
        uint64_t size = fileSize(random);
        if (makeFile(path, size, lastWrite(random))) {
            ++made;
        } else if (errno != EEXIST) {
            return fail(path);
        }
    }
    // Last: making entries in a folder moves its own time.
    Random folderTimes{random.next()};
    for (const Folder& folder : folders) {
        struct timespec time = lastWrite(folderTimes);
        struct timespec times[2] = {time, time};
        if (utimensat(AT_FDCWD, folder.path.c_str(), times, 0) != 0) return fail(folder.path);
    }
    return 0;
}
