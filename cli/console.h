// Standard streams and the user's locale as the front end needs them on each platform.
#pragma once

#include <string>

#include "cli_options.h"

// Standard output carries the report's bytes unchanged (its CR LF included);
// standard error carries text in the user's character set.
void prepareStandardStreams();

// Makes an interrupt (SIGINT, SIGTERM, SIGHUP) clear the progress line before
// whatever else it does. Called each time the line is shown, so that it stays
// ahead of the handlers installed since.
void clearLineOnInterrupt();

// The report's encoding when none is asked for: Windows-1252 where the user's
// character set is Latin-1 or Windows-1252 (and always on Windows), UTF-8 elsewhere.
ReportEncoding encodingOfLocale();

// A name as the system gives it (a path, an argument) as UTF-8 text for
// standard error: the same bytes on Linux, converted from the ANSI code page,
// Windows-1252, on Windows.
std::string systemTextAsUtf8(const char* text);
