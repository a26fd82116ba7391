#include "journee/troncons.h"

namespace journee {

bool Trou(double avant, double apres, double trou) {
    return apres - avant > trou || apres < avant;
}

std::vector<size_t> Troncons(const std::vector<double>& x, double trou) {
    std::vector<size_t> debuts;
    for (size_t i = 0; i < x.size(); ++i)
        if (i == 0 || Trou(x[i - 1], x[i], trou)) debuts.push_back(i);
    return debuts;
}

}  // namespace journee
