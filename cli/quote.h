// Names in messages, quoted as GNU tools quote them for a terminal.
#pragma once

#include <string>

// `name` in single quotes, its bytes as they are; a quote inside becomes '\'',
// and each control character or byte that is not part of a UTF-8 character
// goes outside the quotes as $'\n' or $'\033', so that no byte of a name can
// start a line or reach the terminal as an escape. A shell reads the result
// back as the name.
std::string quoteName(const char* name);
