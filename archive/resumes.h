#pragma once

#include <cstdint>
#include <vector>

#include "archive/archive.h"

// The days' summaries are a cache: the values are the science's, computed
// again from the raw records, and stamped with the version of the
// computation that made them.
namespace archive {

// Raise it whenever the science's results change (a formula, a threshold,
// the screening): every archive then computes its summaries again.
inline constexpr int VersionCalcul = 1;

// The summaries of the days these files touch (before and after their
// import), within the caller's transaction; every day again when the
// archive's were made by another version of the computation.
void ActualiserResumes(Archive& archive, const std::vector<int64_t>& fichiers);

// Every day again.
void RecalculerResumes(Archive& archive);

}  // namespace archive
