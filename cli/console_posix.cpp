#include <langinfo.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include "console.h"

// POSIX streams pass bytes through as they are.
void prepareStandardStreams() {}

static const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
// What each signal did before this front end's handler, by its number: read by the handler.
static struct sigaction before[NSIG];

static void clearLineAndGoOn(int signal) {
    static const char CLEAR[] = "\r\033[K";
    ssize_t written = write(STDERR_FILENO, CLEAR, sizeof CLEAR - 1);
    (void)written; // nothing more can be done for the line
    sigaction(signal, &before[signal], nullptr);
    raise(signal);
}

void clearLineOnInterrupt() {
    for (int signal : ENDING_SIGNALS) {
        struct sigaction current;
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == clearLineAndGoOn ||
            current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = clearLineAndGoOn;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        before[signal] = current;
        sigaction(signal, &action, nullptr);
    }
}

// The character set of LC_CTYPE, which startTranslations has taken from the environment.
std::string systemTextAsUtf8(const char* text) {
    return text;
}

ReportEncoding encodingOfLocale() {
    static const char* const LATIN[] = {"ISO-8859-1", "ISO-8859-15", "CP1252", "WINDOWS-1252"};
    const char* codeset = nl_langinfo(CODESET);
    for (const char* latin : LATIN)
        if (strcasecmp(codeset, latin) == 0) return ENCODING_WINDOWS_1252;
    return ENCODING_UTF8;
}
