#include "thread_waits.h"

// Windows counts no voluntary waits per thread: readers stay as many as asked.
long threadWaits() {
    return -1;
}
