#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/jours.h"
#include "archive/resumes.h"

// The days' summaries gathered from computed records, a file at a time, and
// written to the archive: what the imports, the recomputations and the
// level 2.0 share.
namespace archive {

class Niveau2;

struct Cle {
    std::string jour;  // "2026-03-02"
    int64_t site = 0;
    std::string instrument;
    auto operator<=>(const Cle&) const = default;
};

struct Valeurs {
    int enregistrements = 0, niveau15 = 0, niveau20 = 0;
    // Each record's values at its own level.
    std::vector<double> vert, rouge, angstrom;
    std::vector<double> vert20, rouge20, angstrom20;
};

using Cumul = std::map<Cle, Valeurs>;

// Each record of the file in its day, when `garder` holds the day or is
// empty; the days the file holds.
std::set<Cle> Cumuler(int64_t site, const science::Journee& j,
                      const std::vector<MesureResumee>& mesures, Cumul& cumul,
                      const std::set<Cle>* garder);

// The same read from the archive, a record at a time; the file's half-day
// Langleys made again from the same records when asked; the level-2.0
// values when `niveau2` is given.
std::set<Cle> Cumuler(Archive& archive, int64_t id, Cumul& cumul, const std::set<Cle>* garder,
                      bool demiJournees = false, const Niveau2* niveau2 = nullptr);

// The day's summary replaces the one stored. Without its level-2.0 values
// (`niveau2Fait` false), a day near a calibration knot is left to review.
void Ecrire(Connexion& base, const Cle& cle, Valeurs& v, bool niveau2Fait);

// The days the file holds replace those noted.
void NoterFichier(Connexion& base, int64_t fichier, const std::set<Cle>& cles);

ResumeJour Resume(const Cle& cle, const std::string& site, Valeurs& v);

}  // namespace archive
