#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/cumul.h"
#include "archive/etalonnage.h"
#include "science/historique_etalonnage.h"

// The archive's level 2.0: each instrument's calibration knots (the
// recommendations at its accepted half-days) kept in the archive, and the
// days near a knot that appeared, went or moved computed again with V0s
// interpolated between them. Writing half-days only raises a flag; the
// knots are computed once for a batch of files.
namespace archive {

struct Noeud {
    std::string instrument;  // the photometer's number
    science::Voie voie = science::Voie::Vert;
    science::ConstantesEtalonnage enTete;  // its period's header constants
    science::RecommandationDatee recommandation;
};

// In order of instrument, channel, time.
std::vector<Noeud> CalculerNoeuds(const std::vector<HistoriqueInstrument>& historiques,
                                  const science::ReglagesEtalonnage& reglages = {});

// The knots a reading uses: those stored when they are up to date, else
// computed for it.
std::vector<Noeud> NoeudsActuels(Archive& archive);

// Takes screened records to level 2.0 where both channels' V0 interpolate.
class Niveau2 {
  public:
    explicit Niveau2(const std::vector<Noeud>& noeuds,
                     const science::ReglagesEtalonnage& reglages = {});
    bool Vide() const { return instruments_.empty(); }
    // The record of a series with that header: true when it is now at level 2.0.
    bool Appliquer(science::Resultat& r, const science::EnTeteSerie& enTete,
                   const science::ReglagesRecalcul& reglages) const;

  private:
    struct Canal {
        std::vector<science::RecommandationDatee> noeuds;  // in time order
        std::vector<science::ConstantesEtalonnage> enTetes;
        std::vector<double> jours;
    };
    std::optional<science::V0Niveau2> V0(const Canal& c, const science::ConstantesEtalonnage& e,
                                         double jour) const;
    science::ReglagesEtalonnage reglages_;
    std::map<std::string, std::array<Canal, 2>> instruments_;
};

// Writing a file's half-days, within the caller's transaction.
void MarquerNoeudsARevoir(Connexion& base);

// Whether knots of the day's instrument lie near enough to the day, on
// both sides, for its records to reach level 2.0.
bool NoeudsProches(Connexion& base, const Cle& jour);

// Whether the knots or some days are to be reviewed.
bool Niveau2ARevoir(Archive& archive);

// The knots computed again when flagged, the days near those that changed
// and the days marked computed again, all in one transaction: an
// interrupted run leaves the flag and the marks for the next. Nothing to do
// is cheap.
void ActualiserNiveau2(Archive& archive);

// The same for a reading of an archive that cannot be written: the days
// to review, computed, the archive untouched.
std::vector<ResumeJour> JoursRevus(Archive& archive);

}  // namespace archive
