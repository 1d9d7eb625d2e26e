// The texts the engine shows the user, in Windows-1252 ("\xE8" is "è").
#pragma once

#include "platform.h"

extern const UserMessage OUT_OF_MEMORY_AT_START; // caption "ERRORE"
extern const UserMessage OUT_OF_MEMORY;          // caption "ATTENZIONE"
extern const UserMessage INVALID_HANDLE;
extern const UserMessage CANNOT_OPEN_REPORT;
extern const UserMessage CANNOT_WRITE_REPORT;

// The report's name: opened by this bare name, so it lands in the working directory.
extern const char REPORT_FILE_NAME[];
