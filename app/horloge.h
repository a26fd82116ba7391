#pragma once

#include <string>

#include "platform/clock.h"

// The clock's captions, in French. The data file copies them: the header the
// date caption, each record line the time caption, so their form is exact.
namespace horloge {

std::string NomJour(int weekday);  // 1 Lundi to 7 Dimanche
std::string NomMois(int month);    // 1 Janvier to 12 Décembre
// "Lundi 6 Décembre - ": no year, a blank at the end.
std::string LibelleDate(const TDateTime& t);
// "09:05:03  ": two digits each, two blanks at the end.
std::string LibelleHeure(const TDateTime& t);

}  // namespace horloge
