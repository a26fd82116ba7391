#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace banc {

// Latencies in 1 µs bins up to 100 ms, the rest counted above. Its memory is
// taken and touched once, so a long run does not grow it.
class Histogramme {
  public:
    Histogramme();
    void Ajouter(std::chrono::nanoseconds latence);
    void Vider();
    uint64_t Nombre() const { return nombre_; }
    // The smallest latency that q of the samples do not exceed, in µs.
    double Quantile(double q) const;
    double MaxMicrosecondes() const { return static_cast<double>(max_.count()) / 1000.0; }

  private:
    std::vector<uint32_t> cases_;
    uint64_t nombre_ = 0;
    uint64_t dessus_ = 0;
    std::chrono::nanoseconds max_{0};
};

}  // namespace banc
