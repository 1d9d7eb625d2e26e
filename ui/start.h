// The program's start: what follows its name on the command line. WinMain,
// declared by <windows.h>, is defined beside it.
#pragma once

#include <windows.h>

// The command line after the program's name and the spaces that follow it. A
// name in double quotes ends at the closing quote (with none, the whole line is
// the tail); otherwise at the first space. Tabs are not spaces here.
char* commandLineTail(char* line);
