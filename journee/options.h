#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace journee {

// A bad command line; the text is French and names the option.
class ErreurArguments : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool aide = false;
    bool resume = false;  // the summary on standard output instead of the window
    std::string fichier;
    std::optional<std::string> site;  // "LAT,LON[,ALT]"; otherwise the site file
    std::optional<int> annee;
    std::optional<std::string> fuseau;
    std::optional<std::string> csv;  // "-" for standard output
    // The instrument's nominal wavelengths, nm: Rayleigh, ozone and Ångström.
    double lambdaVert = 505, lambdaRouge = 625;
    std::optional<double> pression;  // hPa, in place of the headers'
    std::optional<double> ozone;     // DU, in place of the site's and the climatology's
    bool formuleProgramme = false;   // the main window's formula, for comparison
    // Times of day in seconds on the file's clock.
    std::optional<std::pair<int, int>> langley;
    // The archive the view adds to, and reads a day from with --jour.
    std::optional<std::string> archive;
    std::optional<std::string> jour;  // AAAA-MM-JJ: that day rebuilt from the archive
    std::optional<std::string> instrument;
    // The Langley page opened on a half-day of the day shown: "matin" or
    // "apres-midi", after "AAAA-MM-JJ," for a file holding several days.
    std::optional<std::string> demiJournee;      // "matin" or "apres-midi"
    std::optional<std::string> jourDemiJournee;  // AAAA-MM-JJ
};

// Without --csv, --langley or --resume the day view opens, on the file if
// one is given.
bool VueJournee(const Options& options);

// The arguments without the program's name. "--option valeur" and
// "--option=valeur" both work.
Options LireOptions(const std::vector<std::string>& arguments);

std::string TexteUsage();

}  // namespace journee
