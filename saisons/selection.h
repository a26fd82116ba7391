#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/jours.h"

// What the seasons window shows: days as numbers on its time axis, the span
// shown at once and the site and instrument filters.
namespace saisons {

// Days since 1970-01-01 (proleptic Gregorian): the time axis's unit.
int NumeroJour(const science::Date& date);
science::Date DateDuNumero(int numero);

enum class Etendue { Semaines, Mois, Annees };

// Days [debut, fin) on the time axis.
struct Periode {
    int debut = 0, fin = 0;
    bool operator==(const Periode&) const = default;
};

// The calendar week (from Monday), month or year that holds the day.
Periode PeriodeDe(Etendue etendue, int jour);
// The one before (sens < 0) or after (sens > 0).
Periode PeriodeVoisine(Etendue etendue, const Periode& periode, int sens);

// The days the filters keep, in the order given; nothing set keeps every day.
std::vector<archive::ResumeJour> Filtrer(const std::vector<archive::ResumeJour>& jours,
                                         const archive::ChoixJours& choix);

// The sites and the instruments met, sorted, each once (instruments by
// number when they are numbers).
std::vector<std::string> Sites(const std::vector<archive::ResumeJour>& jours);
std::vector<std::string> Instruments(const std::vector<archive::ResumeJour>& jours);

// The indices of the days of `jours` that fall on day `numero`.
std::vector<size_t> JoursDuNumero(const std::vector<archive::ResumeJour>& jours, int numero);

}  // namespace saisons
