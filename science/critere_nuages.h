#pragma once

#include <cstdint>

// The cloud screening's verdict on a record (science/filtrage_nuages.h) and
// the CSV's words for it.
namespace science {

// In the order they are applied.
enum class Critere : uint8_t {
    Aucun,       // passed: level 1.5
    SansValeur,  // no green depth (night, V ≤ Vn, no constants): nothing to screen
    Triplet,     // too variable against its neighbours within a few minutes
    Effectif,    // fewer than three readings of the series left to judge it by
    Lissage,     // the series is not smooth around it
    TroisSigma,  // beyond three standard deviations of the series' mean
};

// The CSV's `filtre`: empty when passed, else a short ASCII name.
const char* NomCritere(Critere c);
// The CSV's `niveau`: "1.5" when passed, else "1.0" (every measurement, gases
// removed: a record without a depth is level 1.0 too, with `sans_valeur`).
const char* NiveauCritere(Critere c);

}  // namespace science
