// Expected reports, piece by piece, for tests that compare whole reports.
#pragma once

#include <initializer_list>
#include <string>

#include "listing_job.h"

// The option word of those reports: every folder, names only, in name order.
const ListingOptions NAMES_ONLY_TREE = LIST_SUBFOLDERS | SORT_BY_NAME;

// The section of one folder in a tree report listing names only (no columns):
// its files, already in order and without extensions, or "Nessun file".
std::string namesOnlySection(const std::string& path, int depth,
                             std::initializer_list<std::string> files);

// A tree report of `selected` made of `sections`, with its folder total.
std::string treeReport(const std::string& selected, const std::string& sections, int folders);
