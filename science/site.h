#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/exception.h"

// The measuring site: where the photometer stands and the clock's time zone.
// It lives in "Site.txt" beside the settings file, Windows-1252 with CR LF
// like the program's other files:
//
//   Site de mesure Solvenare
//   [Site]
//   Latitude=45,7640
//   Longitude=4,8357
//   Altitude=170
//   Fuseau=Europe/Paris
//   Ozone=300
//
// Degrees north and east are positive; the altitude is in metres; the time
// zone is a name of the system's time-zone database, a fixed offset
// ("UTC+1", "UTC-07:00") or empty for the system's own zone; the optional
// ozone column is in Dobson units.
namespace science {

inline constexpr char NomFichierSite[] = "Site.txt";

struct Site {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    double altitude = 0;   // metres
    std::string fuseau;    // empty: the system's zone
    // The ozone column (Dobson units) when known ("Ozone=300"); otherwise a
    // climatology stands in.
    std::optional<double> ozone = std::nullopt;
};

// A bad entry: the French text names the line or the argument at fault.
class ErreurSite : public Exception {
  public:
    using Exception::Exception;
};

// Checks the ranges (latitude ±90°, longitude ±180°, altitude −500 to 9,000 m).
void VerifierSite(const Site& site);

// The site form's entries as typed: degrees and metres with a comma or a full
// stop, an empty altitude for 0, the zone as Fuseau takes it. The first wrong
// entry raises ErreurSite, in the form's order: a number that is not one,
// then the ranges, then the zone.
struct SaisieSite {
    std::string latitude, longitude, altitude, fuseau;
};
Site SiteDepuisSaisie(const SaisieSite& saisie);

// The file's lines (UTF-8) and back. Keys may come in any order; blank lines
// are ignored; the zone may be missing.
Site SiteDepuisLignes(const std::vector<std::string>& lignes);
std::vector<std::string> LignesSite(const Site& site);

// Reads or writes the file; a missing or unreadable file raises ErreurSite.
Site LireSite(const std::string& chemin);
void EcrireSite(const std::string& chemin, const Site& site);

// The command line's "LAT,LON[,ALT]" with full stops: "45.764,4.8357,170".
Site SiteDepuisArgument(const std::string& texte);

}  // namespace science
