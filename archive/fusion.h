#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "archive/archive.h"

// Another station's archive merged into this one. Files are known by their
// content (the imported bytes' size and hash), not by their row numbers nor
// their paths, so merging twice, or merging back an archive that holds some
// of ours, adds nothing twice. One transaction per file.
namespace archive {

struct BilanFusion {
    size_t fichiers = 0;         // added
    size_t dejaLa = 0;           // already here
    size_t enregistrements = 0;  // added
    // The photometers whose half-day Langleys the files added brought.
    std::vector<std::string> instruments;
};

BilanFusion Fusionner(Archive& archive, Archive& autre);

}  // namespace archive
