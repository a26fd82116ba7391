#pragma once

#include <limits>
#include <utility>
#include <vector>

// The span of the day plot's depth axis. It fits the level-1.5 values and
// their uncertainty bands: a cloud passage at τ 2 would otherwise squash the
// clear-sky curve into a flat line at the foot of the plot. Screened records
// beyond it fall outside the view; their tooltip still gives their value.
namespace journee {

// What some values span; empty until one is added.
struct Etendue {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();

    bool Vide() const { return !(min <= max); }
    void Ajouter(double bas, double haut);
    void Ajouter(const Etendue& autre);
};

// One series of the file: its kept (level-1.5) depths with their bands, and
// every depth, screened ones included.
struct EtendueSerie {
    Etendue retenues, toutes;
};

// The depth axis' range before rounding: the series' kept values, or all
// its values where it has no kept one; from 0 (or below) to 0.5 (or above),
// with 5 % room over the top, in tenths.
std::pair<double, double> PlageProfondeurs(const std::vector<EtendueSerie>& series);

}  // namespace journee
