#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading a data file as the program writes it: an optional creation line,
// then series, each a header block (of either kind) followed by its record
// lines. A line that is torn, foreign or damaged is reported with its number
// and skipped; reading never fails on content.
namespace science {

enum class Mode { Simple, Continu };

struct EnTeteSerie {
    size_t ligne = 0;  // line of "-- Date", from 1
    char bloc = '?';   // 'A' after a plain validation, 'B' after a write into the photometer
    std::string date;  // as written: "Lundi 6 Décembre - "
    int jourSemaine = 0, jour = 0, mois = 0;  // Monday is 1; 0 where the date is unreadable
    std::string photometre, logiciel;
    std::optional<int> pression;  // hPa
    std::optional<int> angle;     // degrees, as the user typed it
    std::optional<double> v0Vert, vnVert, v0Rouge, vnRouge;
    // A pressure or a constant out of its range: the records keep their
    // voltages, but no depth is derived from values known to be wrong.
    bool valeursRefusees = false;
    bool pressionRefusee = false;  // nor any refraction from that pressure
};

struct Enregistrement {
    size_t ligne = 0;
    Mode mode = Mode::Simple;
    int jours = 0;     // days after the header's date: a series may run past midnight
    int secondes = 0;  // time of day on the clock
    // Nothing for the placeholders ("---", "------", "----").
    std::optional<double> vVert, eoVert, vRouge, eoRouge;
    std::optional<int> temperature;
};

struct Serie {
    EnTeteSerie enTete;
    std::vector<Enregistrement> enregistrements;
};

struct Anomalie {
    size_t ligne = 0;
    std::string message;  // French
};

struct Journee {
    std::vector<Serie> series;
    std::vector<Anomalie> anomalies;
};

// The reading a line at a time, for a file that grows while it is shown.
class LecteurJournee {
  public:
    Journee journee;

    // When set, each record goes here as it is read and is not kept in its
    // series (the series keep their headers): memory then does not grow with
    // the file. Records come in file order; the series' header is as complete
    // as the file made it by its first record.
    std::function<void(size_t serie, const Enregistrement&)> OnEnregistrement;
    // When set, each anomaly goes here instead of journee.anomalies.
    std::function<void(const Anomalie&)> OnAnomalie;

    // The next line (UTF-8), numbered after the last one.
    void Ligne(std::string_view ligne);
    void Ligne(size_t numero, std::string_view ligne);
    // A header torn before its end leaves the series without the values its
    // depths need: said once, at the header's first line. Called at the end
    // of a file and before each new series.
    void FinSerie();
    size_t Lignes() const { return numero_; }
    // An anomaly found outside the lines' content (their bytes, their encoding).
    void Signaler(size_t ligne, std::string message);

  private:
    void Signaler(std::string message);
    void NouvelleSerie(std::string_view date);
    // A header line of the current series; false when the line is none.
    bool EnTete(std::string_view ligne);
    void Constantes(std::string_view reste, std::string_view nomVn, std::optional<double>& v0,
                    std::optional<double>& vn);
    void VerifierConstantes(EnTeteSerie& e, const char* voie, const std::optional<double>& v0,
                            const std::optional<double>& vn);
    void Enregistrer(std::string_view ligne);

    size_t numero_ = 0;
    int lignesEnTete_ = 8;
    std::optional<int> dernieresSecondes_;
    int jours_ = 0;
    bool enregistre_ = false;  // the current series has a record
};

// The lines as UTF-8 (what ReadTextLines gives).
Journee LireJournee(const std::vector<std::string>& lignes);

// A file the program wrote as a data file: its creation line, or a series'
// first line when the creation line was lost. False for anything but a
// regular file.
bool FichierDeMesures(const std::string& chemin);

// Reads the file a block at a time into the reader, then ends its last
// series. Anything but a regular file (a named pipe, a device, a folder) is
// refused without waiting on it; that and a failed read raise EInOutError,
// whose French message says what went wrong.
void LireFichierJournee(const std::string& chemin, LecteurJournee& lecteur);

// The whole file, kept.
Journee LireFichierJournee(const std::string& chemin);

}  // namespace science
