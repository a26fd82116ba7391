#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "archive/archive.h"
#include "science/recalcul.h"

// The archive's records computed again and written as solvenare-journee's
// CSV: for one file imported whole, the same bytes as `solvenare-journee
// FICHIER --csv -` with the same settings, but for the records at level 2.0
// (`niveau` 2.0, their depths, α and uncertainties with the interpolated
// V0s), which one file alone never has.
namespace archive {

struct ChoixExport {
    std::optional<science::Date> du, au;  // the site's local dates, inclusive
    std::optional<std::string> instrument;
};

// The header once, then each file's records in file order, files in the
// order of their first day. `verifier` is called after each block written, so that a
// failed output stops the export. Returns the number of rows.
size_t Exporter(Archive& archive, const ChoixExport& choix, std::ostream& sortie,
                const std::function<void()>& verifier);

}  // namespace archive
