#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "science/recalcul.h"

// The days' summaries are a cache: the values are the science's, computed
// again from the raw records, and stamped with the version of the
// computation that made them.
namespace archive {

// Raise it whenever the science's results change (a formula, a threshold,
// the screening): every archive then computes its summaries again.
// 2: the half-days' Langley fits are kept too.
// 3: the level 2.0.
inline constexpr int VersionCalcul = 3;

// The summaries of the days these files touch (before and after their
// import), within the caller's transaction; every day again when the
// archive's were made by another version of the computation.
void ActualiserResumes(Archive& archive, const std::vector<int64_t>& fichiers);

// What a day's summary needs of a record.
struct MesureResumee {
    size_t serie = 0;                   // in the file's series
    std::optional<science::Date> jour;  // the site's local date
    bool niveau15 = false;
    bool niveau20 = false;  // its values then the level 2.0's
    std::optional<double> vert, rouge, angstrom;
};

// The same for one file whose records the caller has just computed and
// screened (its series' headers in journee), so that an import computes
// them once.
void ActualiserResumes(Archive& archive, int64_t fichier, const science::Journee& journee,
                       const std::vector<MesureResumee>& mesures);

// Every day again.
void RecalculerResumes(Archive& archive);

// Whether the archive's computed values (summaries, half-days) are this
// version's.
bool CalculsAJour(Archive& archive);

}  // namespace archive
