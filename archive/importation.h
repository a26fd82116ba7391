#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "science/site.h"

// Data files into the archive. Idempotent: a file imported again adds
// nothing; a file that grew (its imported bytes unchanged) adds its new
// lines; a file whose earlier bytes changed, or imported with other
// settings, is imported again whole. One transaction per file, so an
// interruption leaves each file either as before or imported.
namespace archive {

struct ReglagesImport {
    science::Site site;           // its zone resolved (never empty when the system names one)
    std::optional<int> annee;     // else the file's modification date's rule
    std::optional<double> ozone;  // DU; else the site's, else the climatology
};

enum class Issue {
    Nouveau,   // imported for the first time
    DejaLa,    // nothing new
    Agrandi,   // new lines added
    Remplace,  // changed since its import: imported again whole
    Ignore,    // not a data file
};

struct BilanImport {
    std::string chemin;
    Issue issue = Issue::Nouveau;
    size_t ajoutes = 0;                    // records added
    size_t anomalies = 0;                  // lines the reader reported
    std::string raison;                    // French: why a file was ignored or imported again
    std::vector<std::string> instruments;  // the photometers of its half-day Langleys
};

// Only complete lines are imported: a last line without its end (a write
// under way) waits for the next import.
BilanImport ImporterFichier(Archive& archive, const std::string& chemin,
                            const ReglagesImport& reglages);

// Files and folders to the data files they hold (folders searched
// recursively, in name order); the other files go to `ignores` with the
// reason. A path that cannot be read raises EInOutError.
std::vector<std::string> FichiersAImporter(const std::vector<std::string>& chemins,
                                           std::vector<BilanImport>& ignores);

// The instrument's row, made when it is new.
int64_t IdInstrument(Connexion& base, const std::string& numero, const std::string& version);

// "45.764000,4.835700,170", as --site takes it.
std::string NomSite(const science::Site& site);

}  // namespace archive
