#include "report_names.h"

// Names come from the ANSI searches, already Windows-1252; the wide names
// behind them are not read, so the options offer no UTF-8 here.
Platform reportNamesLayer(const Platform& below, bool) {
    return layerOver(below, nullptr);
}
