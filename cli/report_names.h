// How names and paths enter the engine. By default they are Windows-1252, the
// report's own encoding, as the Windows build reads them; on request they stay
// UTF-8, padded by the columns a terminal gives them.
#pragma once

#include "platform.h"

// The names layer over `below`: names in Windows-1252, or in UTF-8 when
// `utf8`, which only a build that reads names as bytes is asked for.
Platform reportNamesLayer(const Platform& below, bool utf8);
