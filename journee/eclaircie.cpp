#include "journee/eclaircie.h"

#include <algorithm>
#include <cmath>

namespace journee {

std::vector<size_t> PointsADessiner(const std::vector<double>& x, const std::vector<double>& y,
                                    double xmin, double xmax, size_t colonnes) {
    Eclaircie eclaircie;
    return eclaircie.Points(x, y, xmin, xmax, colonnes);
}

const std::vector<size_t>& Eclaircie::Points(const std::vector<double>& x,
                                             const std::vector<double>& y, double xmin, double xmax,
                                             size_t colonnes) {
    const size_t n = x.size();
    // Going on is sound only for the same range and width, with the points
    // seen before still there and the new ones after them in time.
    const bool suite = n_ > 0 && n >= n_ && xmin == xmin_ && xmax == xmax_ &&
                       colonnes == colonnes_ && (n == n_ || x[n_] >= x[n_ - 1]);
    if (suite && n == n_) return garde_;
    const size_t vus = suite ? n_ : 0;
    xmin_ = xmin;
    xmax_ = xmax;
    colonnes_ = colonnes;
    n_ = 0;
    if (n == 0 || !(xmax > xmin) || colonnes == 0) {
        garde_.clear();
        fixes_ = 0;
        return garde_;
    }
    // Going on, the points seen before keep their side of each edge: only
    // the new ones are searched, unless the edge lay beyond them all.
    n_ = n;
    const auto depuis = [&](size_t i) { return x.begin() + static_cast<std::ptrdiff_t>(i); };
    const size_t debut =
        suite && debut_ < vus
            ? debut_
            : static_cast<size_t>(std::lower_bound(depuis(suite ? debut_ : 0), x.end(), xmin) -
                                  x.begin());
    const size_t fin =
        suite && fin_ < vus
            ? fin_
            : static_cast<size_t>(std::upper_bound(depuis(suite ? fin_ : 0), x.end(), xmax) -
                                  x.begin());
    fin_ = fin;
    const bool tous = fin - debut <= 4 * colonnes;
    // The last slice's scan goes on where it stopped, unless all starts again.
    bool reprendre = true;
    if (!suite || tous != tous_ || debut != debut_) {
        reprendre = false;
        tous_ = tous;
        debut_ = debut;
        garde_.clear();
        fixes_ = 0;
        if (debut > 0) {
            garde_.push_back(debut - 1);
            fixes_ = 1;
        }
        reprise_ = debut;
    }
    garde_.resize(fixes_);
    if (tous) {
        for (size_t i = reprise_; i < fin; ++i) garde_.push_back(i);
        fixes_ = garde_.size();
        reprise_ = fin;
    } else {
        const double largeur = (xmax - xmin) / static_cast<double>(colonnes);
        size_t i = reprise_;
        while (i < fin) {
            fixes_ = garde_.size();
            reprise_ = i;
            const double bord = xmin + largeur * (std::floor((x[i] - xmin) / largeur) + 1);
            size_t bas = i, haut = i, j = i;
            if (reprendre) {
                bas = bas_;
                haut = haut_;
                j = balaye_;
                reprendre = false;
            }
            for (; j < fin && x[j] < bord; ++j) {
                if (y[j] < y[bas]) bas = j;
                if (y[j] > y[haut]) haut = j;
            }
            bas_ = bas;
            haut_ = haut;
            if (j == i) j = i + 1;  // rounding at the slice's edge
            balaye_ = j;
            const size_t dernier = j - 1;
            for (size_t k : {i, std::min(bas, haut), std::max(bas, haut), dernier})
                if (garde_.empty() || garde_.back() < k) garde_.push_back(k);
            i = j;
        }
    }
    if (fin < n) garde_.push_back(fin);
    return garde_;
}

}  // namespace journee
