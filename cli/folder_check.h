// Looking at the folder to list before anything is written.
#pragma once

#include "platform.h"

// Returns 1 when `folder` (an absolute path) exists, is a folder and can be
// searched through `platform`; 0 with errno set otherwise.
int folderCanBeListed(const Platform& platform, const char* folder);
