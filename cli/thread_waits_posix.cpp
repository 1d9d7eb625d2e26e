#include "thread_waits.h"

#include <sys/resource.h>

long threadWaits() {
    struct rusage usage;
    return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_nvcsw : -1;
}
