#include "bench/histogramme.h"

#include <algorithm>
#include <cmath>

namespace banc {
namespace {

constexpr size_t NombreCases = 100000;  // 1 µs each

}  // namespace

Histogramme::Histogramme() : cases_(NombreCases, 0) {}

void Histogramme::Ajouter(std::chrono::nanoseconds latence) {
    latence = std::max(latence, std::chrono::nanoseconds{0});
    const auto us = static_cast<size_t>(latence.count() / 1000);
    if (us < cases_.size())
        ++cases_[us];
    else
        ++dessus_;
    ++nombre_;
    max_ = std::max(max_, latence);
}

void Histogramme::Vider() {
    std::fill(cases_.begin(), cases_.end(), 0);
    nombre_ = dessus_ = 0;
    max_ = std::chrono::nanoseconds{0};
}

double Histogramme::Quantile(double q) const {
    if (nombre_ == 0) return 0;
    const auto rang = static_cast<uint64_t>(std::ceil(q * static_cast<double>(nombre_)));
    uint64_t vus = 0;
    for (size_t i = 0; i < cases_.size(); ++i) {
        vus += cases_[i];
        // The bin's upper edge: no sample in it exceeds that.
        if (vus >= std::max<uint64_t>(rang, 1)) return static_cast<double>(i + 1);
    }
    return MaxMicrosecondes();
}

}  // namespace banc
