#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journee/suivi.h"
#include "science/fichier_journee.h"
#include "science/recalcul.h"
#include "science/site.h"

// What the day view shows, without a window: the records of a data file as
// points on a local-time axis, followed while the file grows.
namespace journee {

// One record as plotted.
struct PointJournee {
    size_t resultat = 0;  // index in Resultats()
    size_t serie = 0;
    science::Mode mode = science::Mode::Simple;
    size_t ligne = 0;
    double heure = 0;  // local time, hours after midnight of the file's first day
    // Recomputed with the site's sun when the site is known; otherwise the
    // depths as recorded, computed from the elevation the user typed.
    std::optional<double> eoVert, eoRouge, angstrom;
    std::optional<double> elevation;  // apparent, degrees; only with a site
};

struct ReglagesModele {
    std::optional<science::Site> site;  // nothing: not known
    std::optional<int> annee;
    double lambdaVert = 505, lambdaRouge = 625;  // nm
    std::optional<double> ozone;                 // DU, in place of the site's
    std::optional<double> pression;              // hPa, in place of the headers'
    // The date the year rule reads, in place of the file's own (a day
    // rebuilt from the archive: the date of its import).
    std::optional<science::Date> modification;
};

class ModeleJournee {
  public:
    explicit ModeleJournee(ReglagesModele reglages = {});

    // Reads the whole file and follows it from then on; EInOutError when it
    // cannot be read.
    void Ouvrir(const std::string& chemin);
    const std::string& Chemin() const { return chemin_; }

    struct Changement {
        bool tout = false;  // everything was read again: start the plot over
        size_t debut = 0;   // else the new points are [debut, Points().size())
        // A series' cloud screening depends on all its records: the results
        // from here on may have another niveau and filtre.
        size_t niveaux = 0;
    };
    // Takes the lines appended since the last call.
    Changement Actualiser();

    // Series already read (a day rebuilt from the archive), shown under
    // `source`'s name and never followed.
    void Charger(science::Journee journee, const std::string& source);
    bool Suivi() const { return suivi_ != nullptr; }
    const ReglagesModele& Reglages() const { return reglages_; }

    // Another site (or none): every point is computed again.
    void ChangerSite(std::optional<science::Site> site);
    const std::optional<science::Site>& Site() const { return reglages_.site; }

    const science::Journee& Journee() const { return lecteur_.journee; }
    const std::vector<science::Resultat>& Resultats() const { return resultats_; }
    const std::vector<PointJournee>& Points() const { return points_; }
    // Midnight of the file's first day, local, seconds since 1970 on the
    // local clock; the hours of the points count from it.
    std::optional<int64_t> Origine() const { return origine_; }

  private:
    void Lignes(const SuiviFichier::Lecture& lecture);
    // Returns the first result whose screening may have changed.
    size_t Calculer();
    size_t Cribler(size_t debut);
    void Recommencer(bool garderLecture = false);

    ReglagesModele reglages_;
    std::string chemin_;
    std::unique_ptr<SuiviFichier> suivi_;
    science::LecteurJournee lecteur_;
    std::unique_ptr<science::Recalculateur> calcul_;
    std::vector<science::Resultat> resultats_;
    std::vector<PointJournee> points_;
    std::optional<int64_t> origine_;
    // Records already computed, per series.
    std::vector<size_t> faits_;
};

}  // namespace journee
