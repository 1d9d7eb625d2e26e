// What the Win32 platform layer offers the rest of a Windows build.
#pragma once

// The errno value that says what a Windows error code says, so that the C
// runtime's strerror tells it in the same words on every platform.
int errnoOfWindowsError(unsigned long error);
