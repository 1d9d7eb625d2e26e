// What the case runner lends a build that can also drive the program's dialog.
#pragma once

#include <string>
#include <vector>

#include "platform.h"

// A case's "> VERB ARGUMENT..." lines, split into words with @ROOT@ placed.
using DialogSteps = std::vector<std::vector<std::string>>;

// Runs a case's dialog steps in the running program's dialog, whose listings
// reach the system through `system`; set only in the build that has the
// dialog, where the runner then runs only dialog cases.
extern void (*runDialogSteps)(const DialogSteps& steps, const Platform& system);
