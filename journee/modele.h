#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journee/suivi.h"
#include "science/fichier_journee.h"
#include "science/langley.h"
#include "science/recalcul.h"
#include "science/site.h"
#include "science/verdict_langley.h"

// What the day view shows, without a window: the records of a data file as
// points on a local-time axis, followed while the file grows, and the Langley
// fit of a chosen range with its verdict.
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
    };
    // Takes the lines appended since the last call.
    Changement Actualiser();

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
    void Calculer();
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

// Which points of a curve to draw at a width of `colonnes` slices across
// [xmin, xmax] so that it looks as it would whole: in each slice its first,
// lowest, highest and last point, plus the nearest point on each side of the
// range so that the line runs to the edges. x in drawing order (time, not
// decreasing); the indices come back in that order.
std::vector<size_t> PointsADessiner(const std::vector<double>& x, const std::vector<double>& y,
                                    double xmin, double xmax, size_t colonnes);

// The same thinning, kept up to date while points are appended to the curve:
// only the last slice is thinned again, so that following a file that grows
// costs what the new points cost, not what the whole day does. The result is
// always what PointsADessiner gives for the curve as it is.
class Eclaircie {
  public:
    const std::vector<size_t>& Points(const std::vector<double>& x, const std::vector<double>& y,
                                      double xmin, double xmax, size_t colonnes);
    // How many of the last result's first entries later points cannot change
    // (those before the last slice), while the range and width stay.
    size_t Fixes() const { return fixes_; }

  private:
    double xmin_ = 0, xmax_ = 0;
    size_t colonnes_ = 0;
    size_t n_ = 0;  // the curve's points last seen
    bool tous_ = false;
    size_t debut_ = 0;  // the first point in range
    size_t fin_ = 0;    // the first point beyond it
    std::vector<size_t> garde_;
    // garde_'s entries that later points cannot change, and the point from
    // which thinning goes on: the first of the last slice.
    size_t fixes_ = 0;
    size_t reprise_ = 0;
    // The last slice as scanned: up to balaye_, its lowest and highest.
    size_t balaye_ = 0, bas_ = 0, haut_ = 0;
};

// --- Langley ---

enum class DemiJournee { Matin, ApresMidi };

struct PlageLangley {
    size_t serie = 0;
    int debut = 0, fin = 0;  // times of day on the series' clock, seconds
};

// The records of a series before (morning) or after (afternoon) its highest
// sun; nothing when the series has no elevation.
std::optional<PlageLangley> PlageDemiJournee(const std::vector<science::Resultat>& resultats,
                                             size_t serie, DemiJournee demi);

// A range dragged on the plot, in the points' hours: the series with the
// most records in it.
std::optional<PlageLangley> PlageHeures(const std::vector<PointJournee>& points,
                                        const std::vector<science::Resultat>& resultats,
                                        double debut, double fin);

using science::CanalLangley;
using science::CriteresLangley;

struct VerdictLangley {
    bool bon = false;
    std::string code;                  // CodeVerdict's: "ok" or "r2+dispersion"
    std::string titre;                 // one sentence
    std::vector<std::string> raisons;  // what failed, or what was checked
};

struct Langley {
    PlageLangley plage;
    CanalLangley vert, rouge;
    VerdictLangley verdict;
};

Langley CalculerLangley(const std::vector<science::Resultat>& resultats, const PlageLangley& plage,
                        const CriteresLangley& criteres = {});

// "08:12:30"
std::string TexteHeure(int secondes);

}  // namespace journee
