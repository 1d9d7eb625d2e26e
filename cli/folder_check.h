// Looking at the folder to list before anything is written.
#pragma once

// Returns 1 when `folder` (an absolute path) exists, is a folder and can be
// searched through the platform table; 0 with errno set otherwise.
int folderCanBeListed(const char* folder);
