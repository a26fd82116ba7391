#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "science/historique_etalonnage.h"
#include "science/langley_demi_journee.h"
#include "science/recalcul.h"

// Each half-day's Langley fit of each channel, kept in the archive: made
// from the records an import or a recomputation computes anyway, a series
// at a time, so that no file is read or computed twice for it.
namespace archive {

struct DemiJournee {
    size_t serie = 0;        // in the file's series
    size_t ligneSerie = 0;   // the series' "-- Date" line in its file
    std::string instrument;  // the photometer's number
    std::string logiciel;
    science::Date date;  // local, of the series' highest sun
    science::DemiJour demi = science::DemiJour::Matin;
    science::Voie voie = science::Voie::Vert;
    std::optional<double> v0VertEnTete, vnVertEnTete, v0RougeEnTete, vnRougeEnTete;
    science::LangleyDemiJour langley;
};

// Takes a file's computed records in file order; each series' half-days
// are fitted when the next series starts and at the end, the site's
// altitude giving the ozone's air mass.
class CalculDemiJournees {
  public:
    explicit CalculDemiJournees(double altitudeM) : altitude_(altitudeM) {}
    void Ajouter(const science::Resultat& r);
    // The headers are read at the end: a torn one is completed by then.
    std::vector<DemiJournee> Conclure(const science::Journee& enTetes);

  private:
    void Ajuster();
    double altitude_;
    // What a fit can use of the series' records in its air-mass range (each
    // channel's point, made by the science's own PointsLangley), and the
    // records that bound its half-days (first, highest, last): memory stays
    // small for a long series.
    struct Point {
        int secondes = 0;
        std::optional<science::PointLangley> vert, rouge;
    };
    std::vector<Point> points_;
    std::optional<size_t> serie_;
    std::optional<science::Resultat> premier_, haut_, dernier_;
    std::vector<DemiJournee> faites_;
};

// The file's half-days replace those it had, within the caller's transaction.
void EcrireDemiJournees(Connexion& base, int64_t fichier, const std::vector<DemiJournee>& d);

const char* NomDemi(science::DemiJour demi);  // "matin", "apres-midi"
const char* NomVoie(science::Voie voie);      // "vert", "rouge"

}  // namespace archive
