#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/textfile.h"
#include "science/masse_air.h"
#include "science/site.h"
#include "science/soleil.h"

// A clear December morning in Lyon as the instrument would record it: the
// voltages follow V = Vn + V0/d² · exp(−τ m) with the sun's true air mass and
// some noise (0.5 % by default), one record every 30 s from 08:20 to 12:00
// (UTC+1). The header comes first, then the records.
inline const science::Site SiteLyon{45.764, 4.8357, 170, "UTC+1"};

inline std::vector<std::string> EnTeteMatineeClaire() {
    return {
        "-- Date     : Lundi 7 Décembre - ",
        "-- Photomètre n°7 Logiciel v1,2",
        "-- Pression : 1008 hPa",
        "-- Angle d'élévation solaire : 15 deg",
        "ETALONNAGE",
        "-- V0Vert  = 2,00V VnVert  = 0,01V",
        "-- V0Rouge = 2,00V VnRouge = 0,01V",
        "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température",
    };
}

// Clouds crossing the sun from `debut` to `fin` (local seconds): the direct
// light dimmed by 10 to 70 %, changing from one record to the next.
struct PassageNuageux {
    int debut, fin;
};

inline std::vector<std::string> EnregistrementsMatineeClaire(
    double v0Vert, double v0Rouge, double bruitRelatif = 0.005, int pas = 30,
    const std::vector<PassageNuageux>& nuages = {}) {
    std::vector<std::string> lignes;
    science::Soleil soleil;
    std::mt19937 generateur(12);
    std::normal_distribution<double> bruit(0, bruitRelatif);
    std::mt19937 ciel(34);
    std::uniform_real_distribution<double> transmission(0.3, 0.9);
    const int64_t minuit = 1796601600;  // 2026-12-07 00:00 UTC
    for (int t = 8 * 3600 + 1200; t <= 12 * 3600; t += pas) {
        const auto p =
            soleil.Position(static_cast<double>(minuit + t - 3600), SiteLyon, {1008, 15});
        const double m = *science::MasseAirKastenYoung(p.elevationApparente);
        const double d2 = p.distance * p.distance;
        double nuage = 1;
        for (const PassageNuageux& n : nuages)
            if (t >= n.debut && t < n.fin) nuage = transmission(ciel);
        const auto v = [&](double v0, double tau) {
            return 0.01 + v0 / d2 * std::exp(-tau * m) * nuage * (1 + bruit(generateur));
        };
        char ligne[96];
        std::snprintf(ligne, sizeof ligne, "Simple;%02d:%02d:%02d  ;%.3f;0,20;%.3f;0,10;21",
                      t / 3600, t / 60 % 60, t % 60, v(v0Vert, 0.25), v(v0Rouge, 0.13));
        std::string texte = ligne;
        std::replace(texte.begin(), texte.end(), '.', ',');
        lignes.push_back(texte);
    }
    return lignes;
}

inline void EcrireMatineeClaire(const std::string& chemin, double v0Vert, double v0Rouge,
                                double bruitRelatif = 0.005) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(v0Vert, v0Rouge, bruitRelatif))
        lignes.push_back(std::move(l));
    WriteTextFile(chemin, lignes);
}
