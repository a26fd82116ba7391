#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "science/recalcul.h"

// The recomputed records as CSV (RFC 4180: comma, CR LF, UTF-8), decimal
// point, times in ISO 8601, empty cells for values that have no meaning.
namespace science {

inline constexpr char EnTeteCsv[] =
    "utc,heure_locale,latitude,longitude,altitude_m,pression_hpa,elevation_deg,masse_air,"
    "v_vert,v_rouge,eo_vert,eo_rouge,angstrom,temperature_c,mode,ligne,ozone_du,tau_rayleigh_vert,"
    "tau_rayleigh_rouge,tau_ozone_vert,tau_ozone_rouge,u_eo_vert,u_eo_rouge,u_angstrom,niveau,"
    "filtre";

// "2003-10-17T19:30:30Z"
std::string IsoUtc(int64_t utc);
// "2003-10-17T12:30:30-07:00"
std::string IsoLocal(int64_t utc, int32_t decalage);

void EcrireCsv(std::ostream& sortie, const std::vector<Resultat>& resultats, const Site& site);

}  // namespace science
