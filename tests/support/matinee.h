#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "measurement/astronomie.h"
#include "measurement/calculs.h"
#include "platform/textfile.h"
#include "science/gaz.h"
#include "science/masse_air.h"
#include "science/site.h"
#include "science/soleil.h"

// A clear December morning in Lyon as the instrument would record it, one
// record every 30 s from 08:20 to 12:00 (UTC+1), the header first. The
// voltages are what the recomputation inverts (science/aerosol.cpp):
//   V = Vn + V0/d² · exp(−m·(τ_a + τ_R) − m_O3·τ_O3) · (1 + noise)
// with the sun's true distance d and apparent elevation at 1008 hPa and
// 15 °C, m by Kasten and Young, m_O3 for the 22 km layer, τ_R at 1008 hPa,
// τ_O3 from the site's climatology on 7 December, and some noise (0.5 % by
// default). The aerosol: τ_a about 0.10 green and 0.08 red (α about 1).
// The header's V0 (2.12 V, 2.05 V) are those the tests usually take as the
// true ones: the recomputed depths are then the aerosol's.
inline const science::Site SiteLyon{45.764, 4.8357, 170, "UTC+1"};

// The aerosol's depths at local second t of the morning (green, red).
inline std::pair<double, double> AerosolMatineeClaire(int t) {
    // A steady background (α 1) and a thin, coarser dawn haze (α 0.5) that
    // lifts by 09:10, before the air masses a Langley fit takes (under 6).
    const double brume = 0.003 * std::max(0.0, 1 - (t - (8 * 3600 + 1200)) / 3000.0);
    const double rapport = 625.0 / 505.0;
    return {0.098 + brume, 0.098 / rapport + brume / std::sqrt(rapport)};
}

// The header's calibration, as the instrument used it.
inline constexpr double V0VertMatinee = 2.12, V0RougeMatinee = 2.05;

inline std::vector<std::string> EnTeteMatineeClaire() {
    return {
        "-- Date     : Lundi 7 Décembre - ",
        "-- Photomètre n°7 Logiciel v1,2",
        "-- Pression : 1008 hPa",
        "-- Angle d'élévation solaire : 15 deg",
        "ETALONNAGE",
        "-- V0Vert  = 2,12V VnVert  = 0,01V",
        "-- V0Rouge = 2,05V VnRouge = 0,01V",
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
    const double ozone = science::OzoneClimatologie(SiteLyon.latitude, SiteLyon.longitude, 341);
    const double rayleighVert = *science::TauRayleigh(505, 1008);
    const double rayleighRouge = *science::TauRayleigh(625, 1008);
    const double ozoneVert = *science::TauOzone(505, ozone);
    const double ozoneRouge = *science::TauOzone(625, ozone);
    const double distanceEntete = measurement::DistanceTerreSoleil(341);
    for (int t = 8 * 3600 + 1200; t <= 12 * 3600; t += pas) {
        const auto p =
            soleil.Position(static_cast<double>(minuit + t - 3600), SiteLyon, {1008, 15});
        const double m = *science::MasseAirKastenYoung(p.elevationApparente);
        const double mOzone = *science::MasseAirOzone(p.elevationApparente, SiteLyon.altitude);
        const double d2 = p.distance * p.distance;
        const auto [aerosolVert, aerosolRouge] = AerosolMatineeClaire(t);
        double nuage = 1;
        for (const PassageNuageux& n : nuages)
            if (t >= n.debut && t < n.fin) nuage = transmission(ciel);
        const auto v = [&](double v0, double aerosol, double rayleigh, double tauOzone) {
            const double attenuation = std::exp(-m * (aerosol + rayleigh) - mOzone * tauOzone);
            return 0.01 + v0 / d2 * attenuation * nuage * (1 + bruit(generateur));
        };
        // One after the other, so that the noise drawn for each is the same
        // with any compiler.
        const double vVert = v(v0Vert, aerosolVert, rayleighVert, ozoneVert);
        const double vRouge = v(v0Rouge, aerosolRouge, rayleighRouge, ozoneRouge);
        // The depths as the instrument wrote them: its own formula, with the
        // elevation typed in the header (15°) whatever the sun's.
        const auto eo = [&](double volts, double v0Entete, double rayleigh) {
            return measurement::TexteEO(measurement::EpaisseurOptique(
                volts, v0Entete, 0.01, rayleigh, distanceEntete, measurement::RapportPression(1008),
                measurement::MasseAir(15)));
        };
        char ligne[96];
        std::snprintf(ligne, sizeof ligne, "Simple;%02d:%02d:%02d  ;%.3f;", t / 3600, t / 60 % 60,
                      t % 60, vVert);
        std::string texte = ligne;
        std::snprintf(ligne, sizeof ligne, "%.3f;", vRouge);
        texte +=
            eo(std::round(vVert * 1000) / 1000, V0VertMatinee, measurement::TauRayleighVert) + ";" +
            ligne +
            eo(std::round(vRouge * 1000) / 1000, V0RougeMatinee, measurement::TauRayleighRouge) +
            ";21";
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

// The same morning twice in one file, on Monday 7 and Tuesday 8 December:
// two series, a date each.
inline void EcrireDeuxMatinees(const std::string& chemin) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05)) lignes.push_back(l);
    std::vector<std::string> mardi = EnTeteMatineeClaire();
    mardi[0] = "-- Date     : Mardi 8 Décembre - ";
    for (auto& l : mardi) lignes.push_back(l);
    for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05)) lignes.push_back(l);
    WriteTextFile(chemin, lignes);
}
