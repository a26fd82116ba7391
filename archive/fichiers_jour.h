#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "science/recalcul.h"

// The source files that hold a day of the archive, so that the day can be
// opened from its file, or rebuilt from the archive when the file is gone.
namespace archive {

struct FichierDuJour {
    int64_t id = 0;
    std::string chemin;
    std::string origine;  // another station's archive it was merged from; "" for ours
    int64_t taille = 0;   // the imported bytes
    std::string empreinte;
    std::string instrument, site;  // the site's name
    int64_t enregistrements = 0;   // the whole file's
};

// The files with records on that local day, for that instrument and site
// when given; the one with the most records first, then the latest import.
std::vector<FichierDuJour> FichiersDuJour(Archive& archive, const science::Date& jour,
                                          const std::optional<std::string>& instrument,
                                          const std::optional<std::string>& site);

// Whether the file at `chemin` still begins with the bytes imported (it may
// have grown since).
bool OctetsIntacts(const std::string& chemin, int64_t taille, const std::string& empreinte);

}  // namespace archive
