#pragma once

#include <string>
#include <vector>

#include "archive/jours.h"

// The day's figures in French, as the hover shows them.
namespace saisons {

// "15 avril 2026", "1er mai 2026"
std::string DateEnFrancais(const science::Date& date);

// "15 avril 2026 — niveau 1,5 : vert 0,102 (0,095–0,110), rouge 0,081
// (0,070–0,090), α 1,05 (0,98–1,12), 412 mesures dont 398 de niveau 1,5"
std::string TexteJour(const archive::ResumeJour& jour);

// Several sites or instruments on the same day: the date once, then one
// line for each, named.
std::string TexteJours(const std::vector<archive::ResumeJour>& jours);

}  // namespace saisons
