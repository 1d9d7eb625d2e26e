// Standard streams as the front end needs them on each platform.
#pragma once

// Standard output carries the report's bytes unchanged (its CR LF included);
// standard error carries UTF-8 text.
void prepareStandardStreams();
