#pragma once

#include <string>
#include <vector>

#include "tools/simulator/photometre_simule.h"

namespace simulateur {

struct Options {
    Reglages reglages;
    bool aide = false;
    bool discret = false;
};

// Reads the command line (without the program name). Errors are raised as
// std::runtime_error with a French text naming the option.
Options LireOptions(const std::vector<std::string>& arguments);
std::string TexteAide();

}  // namespace simulateur
