#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Numbers as the science modules read and write them. The program's own
// files carry the comma; a user may type a full stop: both are read.
// Exports (CSV, the command line's output) use the full stop, as
// spreadsheets and scripts expect.
namespace science {

// A decimal number with a comma or a full stop, blanks around it ignored;
// nothing when the text is not wholly a finite number.
std::optional<double> LireDecimal(std::string_view texte);

// A number as the program writes it in its data files: an optional minus,
// one to six digits, then a comma (a full stop is taken too) and one to six
// digits. Anything else (an exponent, a '+', "inf", blanks inside) is no
// number: a line holding one is damaged, not a huge value.
std::optional<double> LireNombreFichier(std::string_view texte);

// Fixed decimals with a full stop, "-0.000" written "0.000".
std::string Point(double valeur, int decimales);

// The fields between separators: "a,,b" gives "a", "", "b".
std::vector<std::string> Decouper(std::string_view texte, char separateur);

}  // namespace science
