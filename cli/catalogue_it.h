// The Italian catalogue of the command line's texts, as msgfmt writes it.
#pragma once

extern const unsigned char ITALIAN_CATALOGUE[];
