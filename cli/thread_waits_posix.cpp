#include "thread_waits.h"

#include <sys/resource.h>

ThreadWaits threadWaits() {
    struct rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) != 0) return ThreadWaits();
    long long worked = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                       usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    return {usage.ru_nvcsw, usage.ru_nivcsw, std::chrono::microseconds(worked)};
}
