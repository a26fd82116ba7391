#pragma once

#include <string>
#include <vector>

#include "archive/archive.h"

// Keeping the archive: a copy made while it may be in use, and its checks.
namespace archive {

// SQLite's online backup into a file beside the target, then renamed over
// it: an interrupted copy leaves the old target whole. Raises ErreurArchive.
void Sauvegarder(Archive& archive, const std::string& cible);

// The integrity check and the foreign-key check: what they find, in French;
// empty when the archive is sound.
std::vector<std::string> Verifier(Archive& archive);

}  // namespace archive
