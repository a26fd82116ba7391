#pragma once

#include "saisons/fenetre_saisons.h"

namespace saisons {

// The seasons window on its own, for `solvenare-archive`: the application
// (Qt's dialogs in French), the window, its event loop; the exit code.
// `ouvrirJour` receives the days clicked, `ouvrirDemiJournee` the
// calibration tab's half-days.
int Montrer(
    int argc, char** argv, SourceJours source,
    std::function<void(const archive::ResumeJour&)> ouvrirJour = {},
    SourceHistoriques historiques = {},
    std::function<void(const archive::ResumeJour&, science::DemiJour)> ouvrirDemiJournee = {});

}  // namespace saisons
