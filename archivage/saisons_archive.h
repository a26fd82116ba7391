#pragma once

#include <string>

#include "archivage/options.h"
#include "saisons/fenetre_saisons.h"

// solvenare-archive without a command: the seasons window over the archive.
namespace archivage {

// The archive's days, read again at each call (F5 shows a new import). The
// archive is opened for reading only: looking never creates it; a missing
// one raises saisons::ArchiveAbsente.
saisons::SourceJours SourceArchive(std::string chemin);

// Starts the day view on a day clicked, detached: from its file or from
// the archive (see CommandeJour); on a half-day's Langley when given. False
// when it could not be started.
bool OuvrirJour(const std::string& archive, const archive::ResumeJour& jour,
                std::optional<science::DemiJour> demi = {});

// Every instrument's calibration history, read at each call.
saisons::SourceHistoriques SourceEtalonnage(std::string chemin);

// The window and its event loop; the exit code.
int MontrerSaisons(const Options& options, int argc, char** argv);

}  // namespace archivage
