#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "science/recalcul.h"

namespace science {

// Counts the records that have no optical depth because the sun was below
// the horizon, fed one result at a time (a followed file grows), so that the
// day view and the command line say why a night's records are missing.
class SousHorizon {
  public:
    void Ajouter(const Resultat& r);

    // Records fed in all, and those with the sun below the horizon.
    size_t Total() const { return total_; }
    size_t Nombre() const { return nombre_; }
    // Local time of the earliest and latest of them, seconds since 1970 on
    // the local clock; nothing while there is none.
    std::optional<int64_t> Premier() const { return premier_; }
    std::optional<int64_t> Dernier() const { return dernier_; }
    // The sun's lowest and highest apparent elevation among them, degrees.
    std::optional<double> ElevationMin() const { return elevationMin_; }
    std::optional<double> ElevationMax() const { return elevationMax_; }

    // In French, with the decimal comma: how many, between which hours and
    // how low the sun was; "" while there is none.
    std::string Phrase() const;

  private:
    size_t total_ = 0;
    size_t nombre_ = 0;
    std::optional<int64_t> premier_, dernier_;
    std::optional<double> elevationMin_, elevationMax_;
};

// A record the sun's position leaves without a depth: its elevation is known
// and gives no air mass.
bool SoleilSousHorizon(const Resultat& r);

}  // namespace science
