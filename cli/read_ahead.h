// Reading folders ahead of the report: while one folder's section is written,
// other threads search the folders that follow it into buffers of their own,
// and the report's searches are answered from those buffers in the report's
// own order, so the report and its failures stay the same byte for byte.
#pragma once

// The most that the buffers of folders read ahead hold at once. A folder that
// does not fit its share, or whose buffer cannot be had, is searched by the
// report's own thread when its turn comes, as without reading ahead.
enum { READ_AHEAD_BYTES = 4 * 1024 * 1024 };

// Places reading ahead, with `threads` - 1 readers beside the report's own thread
// (which reads ahead too while it waits for them), between the engine and the
// searches now in `platform`; 1 or less leaves the table as it is. The readers
// run from the moment the report opens until its searches are over.
void installReadAhead(int threads);
