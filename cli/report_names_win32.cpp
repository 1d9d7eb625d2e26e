#include "report_names.h"

// Names come from the ANSI searches, already Windows-1252; the wide names
// behind them are not read, so UTF-8 cannot be offered.
int reportNamesLayer(const Platform& below, bool utf8, Platform& layer) {
    layer = layerOver(below, nullptr);
    return !utf8;
}
