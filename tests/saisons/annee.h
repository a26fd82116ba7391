#pragma once

#include <cmath>
#include <vector>

#include "archive/jours.h"
#include "saisons/selection.h"

// A year of days as the archive would give them: Lyon with instrument 12
// nearly every day (a gap in February, every ninth day cloudy and absent),
// Brest with instrument 7 every third day from March to October, and one
// overcast day in Lyon with records but no level-1.5 value.
inline archive::ResumeJour JourDe(const science::Date& d, const std::string& site,
                                  const std::string& instrument, double saison, double bruit) {
    archive::ResumeJour j;
    j.jour = d;
    j.site = site;
    j.instrument = instrument;
    j.enregistrements = 300 + static_cast<int>(150 * saison);
    j.niveau15 = j.enregistrements - 20 - static_cast<int>(40 * bruit);
    const double vert = 0.07 + 0.09 * saison + 0.03 * bruit;
    j.vert = archive::Plage{vert, vert * 0.8, vert * 1.3};
    const double rouge = vert * 0.78;
    j.rouge = archive::Plage{rouge, rouge * 0.8, rouge * 1.35};
    const double alpha = 1.1 + 0.4 * saison - 0.3 * bruit;
    j.angstrom = archive::Plage{alpha, alpha - 0.25, alpha + 0.2};
    return j;
}

inline const science::Date JourCouvert{2026, 6, 10};

inline std::vector<archive::ResumeJour> AnneeSynthetique() {
    std::vector<archive::ResumeJour> jours;
    const int debut = saisons::NumeroJour({2026, 1, 1});
    for (int n = debut; n < debut + 365; ++n) {
        const science::Date d = saisons::DateDuNumero(n);
        // Summer haze: the depths peak in July.
        const double saison = 0.5 + 0.5 * std::cos((n - debut - 190) * 2 * M_PI / 365);
        const double bruit = 0.5 + 0.5 * std::sin(n * 2.7);
        const bool trouFevrier = d.mois == 2 && d.jour >= 5 && d.jour <= 24;
        if (!trouFevrier && (n - debut) % 9 != 4) {
            archive::ResumeJour j = JourDe(d, "Lyon", "12", saison, bruit);
            if (d.annee == JourCouvert.annee && d.mois == JourCouvert.mois &&
                d.jour == JourCouvert.jour) {
                j.enregistrements = 40;
                j.niveau15 = 0;
                j.vert = j.rouge = j.angstrom = std::nullopt;
            }
            jours.push_back(j);
        }
        if (d.mois >= 3 && d.mois <= 10 && (n - debut) % 3 == 0)
            jours.push_back(JourDe(d, "Brest", "7", saison * 0.7, 1 - bruit));
    }
    return jours;
}
