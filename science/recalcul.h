#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "science/aerosol.h"
#include "science/critere_nuages.h"
#include "science/fichier_journee.h"
#include "science/fuseau.h"
#include "science/nombre_facultatif.h"
#include "science/site.h"
#include "science/soleil.h"

// Each record of a data file computed again: its instant, the sun's place
// then, the air mass, the optical depths from the header's pressure and
// constants with that air mass and the ephemeris distance, and the Ångström
// exponent. A value that has no meaning is nothing, never a number.
namespace science {

struct Date {
    int annee = 0, mois = 0, jour = 0;
};

struct ReglagesRecalcul {
    Site site;
    // The header's date has no year: this one if given, else the year that
    // puts the date on or before the file's last change.
    std::optional<int> annee;
    Date modification;
    double lambdaVert = 505;   // nm
    double lambdaRouge = 625;  // nm
    double deltaT = DeltaTDefaut;
    // Air temperature for refraction: the records carry the instrument's,
    // which stands in the sun.
    double temperatureAir = 15;
    // The station's pressure (hPa) in place of every header's.
    std::optional<double> pression;
    // The ozone column (DU) in place of the site's and the climatology's.
    std::optional<double> ozone;
    // The depths by the main window's formula (its Rayleigh constants, no
    // ozone) with the true air mass, to compare with the panel.
    bool formuleProgramme = false;
    IncertitudesEntrees incertitudes;
};

struct Resultat {
    size_t serie = 0;  // index in Journee::series
    size_t ligne = 0;
    Mode mode = Mode::Simple;
    int secondesHorloge = 0;      // time of day as recorded
    std::optional<int64_t> utc;   // seconds since 1970; nothing for an undated series
    int32_t decalage = 0;         // local time − UTC, seconds
    std::optional<int> pression;  // hPa, from the header
    std::optional<int> temperature;
    NombreFacultatif elevation;  // apparent, degrees
    NombreFacultatif elevationVraie;
    NombreFacultatif distance;  // AU
    NombreFacultatif masseAir;
    NombreFacultatif vVert, vRouge, vnVert, vnRouge;
    NombreFacultatif eoVert, eoRouge;
    NombreFacultatif angstrom;
    // The gases removed: the ozone column (Dobson units) and the vertical
    // Rayleigh and ozone depths of each channel at the record's pressure.
    NombreFacultatif ozoneDu;
    NombreFacultatif tauRayleighVert, tauRayleighRouge, tauOzoneVert, tauOzoneRouge;
    // One standard uncertainty of each aerosol depth and of α.
    NombreFacultatif uEoVert, uEoRouge, uAngstrom;
    // The cloud screening's verdict; nothing until a screening has been made.
    std::optional<Critere> critere;
    // Passed, and its depths, α and their uncertainties computed with V0s
    // interpolated in the instrument's calibration history (level 2.0).
    bool niveau20 = false;

    // The CSV's `niveau` ("1.0", "1.5", "2.0") and `filtre` (the first criterion
    // failed): empty until a screening has been made.
    std::string Niveau() const;
    std::string Filtre() const;
};

// A day's results are held whole by the day view and the library's callers:
// each value's "nothing" costs no room of its own.
static_assert(sizeof(Resultat) <= 240);

// The year of a header's date (day, month) for a file last changed on that
// date: the latest year that puts it no later than one day after the change.
int AnneeProbable(int jour, int mois, const Date& modification);

// Monday is 1.
int JourDeLaSemaine(const Date& date);

// Whether the day exists in that month of that year.
bool DateValide(const Date& date);

// The day of the file's last change, on the local clock; raises EInOutError.
Date DateModification(const std::string& chemin);

// α = −ln(τ_green/τ_red) / ln(λ_green/λ_red); nothing unless both depths are positive.
std::optional<double> ExposantAngstrom(std::optional<double> eoVert, std::optional<double> eoRouge,
                                       double lambdaVert, double lambdaRouge);

// The computation one record at a time, for a file that grows: the time
// zone's and the ephemeris' caches are kept between records.
class Recalculateur {
  public:
    explicit Recalculateur(const ReglagesRecalcul& reglages);

    // What the computation notices, when set: the year given to a series
    // whose weekday disagrees with the file's date and a pressure far from
    // the site's altitude (said at its first record), a local time the
    // clock skipped (said at its line).
    std::function<void(const Anomalie&)> OnAnomalie;

    // The record r of series s, records of a series given in file order. Only
    // the series' header is read: the series may hold no records (a reader
    // that hands them out as it reads them).
    Resultat Calculer(const Journee& journee, size_t s, const Enregistrement& r);
    // The year given to a series and what to say of it: the given year, or
    // the file's, or, when the header's weekday falls in another year, the
    // nearest such year within six of the file's. Nothing for an undated
    // series (or a 29 February in a year given that has none).
    struct AnneeSerie {
        std::optional<int> annee;
        std::optional<std::string> remarque;  // French
    };
    AnneeSerie Annee(const EnTeteSerie& e) const;

  private:
    // The override, else the header's unless refused.
    std::optional<double> PressionUtilisee(const EnTeteSerie& e) const;

    struct EtatSerie {
        size_t ligne = 0;  // the header's, to see a series replaced
        std::optional<int> annee;
        std::optional<int64_t> dernierUtc;  // the last record's
    };

    // The gases' depths change with the pressure and the day only.
    struct Gaz {
        std::optional<double> pression;
        std::optional<int64_t> jour;  // days since 1970
        double ozone = 0;
        std::optional<double> ozoneVert, ozoneRouge, rayleighVert, rayleighRouge;
    };

    ReglagesRecalcul reglages_;
    Gaz gaz_;
    Fuseau fuseau_;
    Soleil soleil_;
    std::vector<std::optional<EtatSerie>> series_;
};

// One result per record, in file order; what the computation notices goes to
// anomalies when given. An unknown time zone in the site raises ErreurFuseau.
std::vector<Resultat> Recalculer(const Journee& journee, const ReglagesRecalcul& reglages,
                                 std::vector<Anomalie>* anomalies = nullptr);

}  // namespace science
