#pragma once

#include <string>
#include <vector>

// The time axis's calendar: the days, weeks, months, quarters or years in
// view, whichever puts about a dozen across, each labelled in its middle.
namespace saisons {

struct Graduation {
    int debut, fin;     // days [debut, fin) on the time axis
    std::string texte;  // "13 avr.", "avr.", "janv. 2027", "2026"
    bool operator==(const Graduation&) const = default;
};

// The units of [debut, fin) at least a third in view (a sliver at an edge
// would show only "…"), in order, their texts all different (the chart's
// axis needs them so). The first month or quarter says its year, and so
// does every January.
std::vector<Graduation> Graduations(double debut, double fin);

}  // namespace saisons
