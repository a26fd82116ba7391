#pragma once

#include <QString>
#include <cstddef>

#include "journee/modele.h"
#include "science/recalcul.h"

// What the day plot says of one record when the pointer rests on it.
namespace journee {

// Set aside by the cloud screening: a record without a depth has nothing to
// show faded (and without a site none has one recomputed).
bool Ecarte(const science::Resultat& r);

// Why a record was set aside, in French.
QString RaisonEcart(science::Critere c);

// The tooltip (rich text): line, hour, depths with their uncertainties when
// the site is known, voltages, the screening's verdict, the sun, and the
// series when the file has several.
QString TexteBulle(const PointJournee& p, const science::Resultat& r, bool site, size_t series);

}  // namespace journee
