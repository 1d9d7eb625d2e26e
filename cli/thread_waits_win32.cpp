#include "thread_waits.h"

// Windows counts no voluntary waits per thread: readers stay as many as asked.
ThreadWaits threadWaits() {
    return ThreadWaits();
}
