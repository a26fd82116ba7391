#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "science/recalcul.h"

namespace archivage {

// A bad command line; the text is French and names the option.
class ErreurArguments : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool aide = false;
    std::string commande;              // empty: none given
    std::vector<std::string> chemins;  // the command's files
    std::optional<std::string> archive;
    // importer
    std::optional<std::string> site, fuseau;
    std::optional<int> annee;
    std::optional<double> ozone;
    // jours, exporter (--instrument for etalonnage too)
    std::optional<science::Date> du, au;
    std::optional<std::string> instrument;
    std::optional<std::string> csv;  // "-" for standard output
    // etalonnage
    std::optional<std::string> canal;  // "vert" or "rouge"
};

// The arguments without the program's name; "--option valeur" and
// "--option=valeur" both work, --archive anywhere on the line.
Options LireOptions(const std::vector<std::string>& arguments);

std::string TexteUsage();

}  // namespace archivage
