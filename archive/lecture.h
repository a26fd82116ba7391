#pragma once

#include <cstdint>
#include <functional>
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

// Every source file, in the order of its first series' date, then of import.
std::vector<FichierArchive> Fichiers(Archive& archive);
FichierArchive Fichier(Archive& archive, int64_t id);

// The file's series (in line order) with their records.
science::Journee JourneeDe(Archive& archive, int64_t fichier);
// The same without the records: what a computation a record at a time reads.
science::Journee EnTetesDe(Archive& archive, int64_t fichier);
// Each record of the file in file order, with the index of its series in
// EnTetesDe's.
void ParcourirMesures(Archive& archive, int64_t fichier,
                      const std::function<void(size_t, const science::Enregistrement&)>& mesure);

// Every record computed again and cloud-screened, in file order.
std::vector<science::Resultat> Resultats(const FichierArchive& fichier,
                                         const science::Journee& journee);
// The same a record at a time, as solvenare-journee reads a file: the
// records are read twice (the screening's two passes) and memory does not
// grow with them. enTetes is EnTetesDe's.
void ParcourirResultats(Archive& archive, const FichierArchive& fichier,
                        const science::Journee& enTetes,
                        const std::function<void(science::Resultat&)>& resultat);

// The site's local date of a result; nothing for an undated one.
std::optional<science::Date> DateLocale(const science::Resultat& r);

// "2026-12-07" and back.
std::string TexteDate(const science::Date& d);
// Nothing for no date: a query's bound left open.
std::optional<std::string> TexteDate(const std::optional<science::Date>& d);
std::optional<science::Date> LireDate(const std::string& texte);

// Voltages and depths are stored in millionths: exact for the file's six
// decimals at most.
int64_t Millioniemes(double valeur);
double DepuisMillioniemes(int64_t valeur);

}  // namespace archive
