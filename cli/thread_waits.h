// How often the calling thread has waited for the system: what tells a reader
// that its folders come from a share that answers each request late.
#pragma once

// The times the calling thread gave up the processor to wait (for a disk, a
// network, a lock); -1 where the system does not tell.
long threadWaits();
