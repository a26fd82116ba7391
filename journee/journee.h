#pragma once

#include <ostream>

#include "journee/options.h"

namespace journee {

inline constexpr int SortieSucces = 0;
inline constexpr int SortieFichier = 1;    // a file that cannot be read or written
inline constexpr int SortieArguments = 2;  // a bad command line

// Runs the command line on parsed options, the site file looked for in the
// current directory. Results go to sortie, French messages to erreurs.
int Executer(const Options& options, std::ostream& sortie, std::ostream& erreurs);

}  // namespace journee
