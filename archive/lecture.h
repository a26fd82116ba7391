#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "science/recalcul.h"

// The archive read back as the science takes it: a source file's series and
// records rebuilt as the data file's reader gave them, and the settings of
// its import, so that the recomputation gives what solvenare-journee gives
// on the file itself.
namespace archive {

struct FichierArchive {
    int64_t id = 0;
    std::string chemin;
    int64_t site = 0;
    std::string nomSite;
    science::ReglagesRecalcul reglages;
};

// Every source file, in the order of import.
std::vector<FichierArchive> Fichiers(Archive& archive);
FichierArchive Fichier(Archive& archive, int64_t id);

// The file's series (in line order) with their records.
science::Journee JourneeDe(Archive& archive, int64_t fichier);

// Every record computed again and cloud-screened, in file order.
std::vector<science::Resultat> Resultats(const FichierArchive& fichier,
                                         const science::Journee& journee);

// The site's local date of a result; nothing for an undated one.
std::optional<science::Date> DateLocale(const science::Resultat& r);

// "2026-12-07" and back.
std::string TexteDate(const science::Date& d);
std::optional<science::Date> LireDate(const std::string& texte);

// Voltages and depths are stored in millionths: exact for the file's six
// decimals at most.
int64_t Millioniemes(double valeur);
double DepuisMillioniemes(int64_t valeur);

}  // namespace archive
