#include "journee/etendue_profondeurs.h"

#include <algorithm>
#include <cmath>

namespace journee {

void Etendue::Ajouter(double bas, double haut) {
    if (!std::isfinite(bas) || !std::isfinite(haut)) return;
    min = std::min(min, bas);
    max = std::max(max, haut);
}

void Etendue::Ajouter(const Etendue& autre) {
    if (!autre.Vide()) Ajouter(autre.min, autre.max);
}

std::pair<double, double> PlageProfondeurs(const std::vector<EtendueSerie>& series) {
    Etendue e;
    for (const EtendueSerie& s : series) e.Ajouter(s.retenues.Vide() ? s.toutes : s.retenues);
    double min = 0, max = 0;
    if (!e.Vide()) {
        min = std::min(0.0, e.min);
        max = e.max;
    }
    return {std::floor(min * 10) / 10, std::ceil(std::max(0.5, max) * 10 * 1.05) / 10};
}

}  // namespace journee
