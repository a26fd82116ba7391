#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "archive/jours.h"

// The days as CSV: one row per day, site and instrument (RFC 4180: comma,
// CR LF, UTF-8, quotes where a name needs them), ISO dates, decimal point,
// empty cells where the day has no level-1.5 value. Columns named like the
// day's CSV; the last two say how many records are at level 2.0 and the
// level of the values ("2.0" or "1.5", empty without a value).
namespace saisons {

inline constexpr char EnTeteCsvSaisons[] =
    "jour,site,instrument,mesures,mesures_niveau_15,eo_vert_mediane,eo_vert_min,eo_vert_max,"
    "eo_rouge_mediane,eo_rouge_min,eo_rouge_max,angstrom_mediane,angstrom_min,angstrom_max,"
    "mesures_niveau_20,niveau";

// One row, without its line end.
std::string LigneCsvSaisons(const archive::ResumeJour& jour);

void EcrireCsvSaisons(std::ostream& sortie, const std::vector<archive::ResumeJour>& jours);

}  // namespace saisons
