#include "saisons/graduations.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "saisons/selection.h"

namespace saisons {

namespace {

constexpr const char* MoisCourts[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                      "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

std::string JourMois(int numero) {
    const science::Date d = DateDuNumero(numero);
    return std::to_string(d.jour) + " " + MoisCourts[d.mois - 1];
}

// Every `pas`-th month from January, from the one that holds `debut`.
std::vector<Graduation> Mois(int debut, int fin, int pas) {
    std::vector<Graduation> unites;
    const science::Date d = DateDuNumero(debut);
    int annee = d.annee, mois = d.mois - (d.mois - 1) % pas;
    while (NumeroJour({annee, mois, 1}) < fin) {
        const int a = annee, m = mois;
        if ((mois += pas) > 12) mois -= 12, ++annee;
        unites.push_back(
            {NumeroJour({a, m, 1}), NumeroJour({annee, mois, 1}),
             std::string(MoisCourts[m - 1]) + (m == 1 ? " " + std::to_string(a) : "")});
    }
    return unites;
}

}  // namespace

std::vector<Graduation> Graduations(double debutAxe, double finAxe) {
    std::vector<Graduation> unites;
    const double largeur = finAxe - debutAxe;
    if (!(largeur > 0) || largeur > 1e6) return unites;
    const int debut = static_cast<int>(std::floor(debutAxe));
    const int fin = static_cast<int>(std::ceil(finAxe));
    bool mois = false;
    if (largeur <= 21) {
        for (int j = debut; j < fin; ++j) unites.push_back({j, j + 1, JourMois(j)});
    } else if (largeur <= 120) {
        // 1970-01-01 was a Thursday: Monday is three days before.
        for (int j = debut - ((debut + 3) % 7 + 7) % 7; j < fin; j += 7)
            unites.push_back({j, j + 7, JourMois(j)});
    } else if (largeur <= 450) {
        unites = Mois(debut, fin, 1);
        mois = true;
    } else if (largeur <= 1500) {
        unites = Mois(debut, fin, 3);
        mois = true;
    } else {
        const int pas = std::max(1, static_cast<int>(std::ceil(largeur / 365.25 / 12)));
        int a = DateDuNumero(debut).annee;
        a -= ((a % pas) + pas) % pas;
        for (; NumeroJour({a, 1, 1}) < fin; a += pas)
            unites.push_back({NumeroJour({a, 1, 1}), NumeroJour({a + pas, 1, 1}),
                              pas == 1 ? std::to_string(a)
                                       : std::to_string(a) + "–" + std::to_string(a + pas - 1)});
    }
    std::erase_if(unites, [&](const Graduation& g) {
        const double vu = std::min<double>(g.fin, finAxe) - std::max<double>(g.debut, debutAxe);
        return vu < (g.fin - g.debut) / 3.0;
    });
    if (mois && !unites.empty()) {
        // The first says its year; a window that meets a month twice says every year.
        std::set<std::string> vus;
        bool double_ = false;
        for (const Graduation& g : unites) double_ = double_ || !vus.insert(g.texte).second;
        for (Graduation& g : unites)
            if ((double_ || &g == &unites.front()) && g.texte.find(' ') == std::string::npos)
                g.texte += " " + std::to_string(DateDuNumero(g.debut).annee);
    }
    return unites;
}

}  // namespace saisons
