#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "archive/importation.h"
#include "tests/archive/saison.h"

// A season of Langleys for the calibration tab: 75 days in Lyon from 2 March
// 2026, the instrument's V0 drifting up by 2 % a year (green) and 1.5 % (red),
// cloudy half-days (rejected), afternoons cut short (rejected, near the
// truth), hazy mornings whose haze thins as the sun rises (a clean line, a
// V0 too low: outliers), and new constants
// written into the instrument on 21 April (a second calibration period),
// still off the truth so that the window calls for new ones.
struct JourEtalonnage {
    JourSaison jour;
    double brumeMatin = 0;  // the haze's depth times the air mass, constant: V0 seen × e^−brume
    int finApresMidi = 24 * 60;  // minutes: the records stop (the instrument put away)
};

// Haze τ = b/m adds b to every m·τ: ln V falls by b at every air mass and
// the morning's line keeps its slope, its intercept off by e^−b.
inline std::vector<std::string> LignesJourEtalonnage(const JourEtalonnage& e, unsigned graine) {
    std::vector<std::string> lignes = LignesJourSaison(e.jour, graine);
    std::erase_if(lignes, [&](const std::string& l) {
        return l.starts_with("Simple;") &&
               std::stoi(l.substr(7, 2)) * 60 + std::stoi(l.substr(10, 2)) >= e.finApresMidi;
    });
    if (e.brumeMatin == 0) return lignes;
    // The records keep their order; the morning's voltages are scaled.
    for (std::string& l : lignes) {
        if (!l.starts_with("Simple;")) continue;
        const int h = std::stoi(l.substr(7, 2)), m = std::stoi(l.substr(10, 2));
        if (h * 60 + m >= 12 * 60 + 30) continue;
        const auto champs = [&] {
            std::vector<std::string> c;
            size_t debut = 0;
            for (size_t fin; (fin = l.find(';', debut)) != std::string::npos; debut = fin + 1)
                c.push_back(l.substr(debut, fin - debut));
            c.push_back(l.substr(debut));
            return c;
        }();
        const auto lire = [](std::string t) {
            for (char& c : t)
                if (c == ',') c = '.';
            return std::stod(t);
        };
        const double facteur = std::exp(-e.brumeMatin);
        char vert[32], rouge[32];
        std::snprintf(vert, sizeof vert, "%.4f", 0.01 + (lire(champs[2]) - 0.01) * facteur);
        std::snprintf(rouge, sizeof rouge, "%.4f", 0.01 + (lire(champs[4]) - 0.01) * facteur);
        std::string v = vert, r = rouge;
        for (std::string* t : {&v, &r})
            for (char& c : *t)
                if (c == '.') c = ',';
        l = champs[0] + ";" + champs[1] + ";" + v + ";" + champs[3] + ";" + r + ";" + champs[5] +
            ";" + champs[6];
    }
    return lignes;
}

inline std::vector<JourEtalonnage> SaisonEtalonnage() {
    std::vector<JourEtalonnage> jours;
    for (int i = 0; i < 75; ++i) {
        if (i % 11 == 10) continue;  // a day without measurements now and then
        JourEtalonnage e;
        JourSaison& j = e.jour;
        // The calendar date of that day.
        int mois = 3, jour = 2 + i;
        static const int longueurs[] = {31, 30, 31, 30};
        for (int k = 0; jour > longueurs[k]; ++k) {
            jour -= longueurs[k];
            ++mois;
        }
        j.date = {2026, mois, jour};
        j.v0Vert = 2.05 * (1 + 0.02 * i / 365.0);
        j.v0Rouge = 2.00 * (1 + 0.015 * i / 365.0);
        j.nuagesApresMidi = i % 5 == 2;
        j.nuagesMatin = i % 13 == 6;
        if (i % 9 == 4 && !j.nuagesMatin) e.brumeMatin = 0.12;
        // A thinner haze: off the recommendation, still on the chart.
        if (i % 17 == 8 && !j.nuagesMatin) e.brumeMatin = 0.006;
        // Put away at 17:20: the afternoon's air masses too short a span to
        // pass, its V0 near the truth all the same.
        if (i % 6 == 3 && !j.nuagesApresMidi) e.finApresMidi = 17 * 60 + 20;
        // New constants from 21 April: closer, still not the truth.
        if (i >= 50) {
            j.v0VertEnTete = 2.09;
            j.v0RougeEnTete = 2.00;
        }
        jours.push_back(e);
    }
    return jours;
}

// The season's files written in `dossier` and imported into `archive`.
inline void ImporterSaisonEtalonnage(const std::string& dossier, const std::string& chemin) {
    archive::Archive a(chemin, archive::Acces::Ecriture);
    archive::ReglagesImport r;
    r.site = SiteLyon;
    r.annee = 2026;
    const auto jours = SaisonEtalonnage();
    for (size_t i = 0; i < jours.size(); ++i) {
        const std::string fichier = dossier + "/j" + std::to_string(100 + i) + ".txt";
        WriteTextFile(fichier, LignesJourEtalonnage(jours[i], static_cast<unsigned>(200 + i)));
        archive::ImporterFichier(a, fichier, r);
    }
}
