#pragma once

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "measurement/astronomie.h"
#include "measurement/calculs.h"
#include "platform/textfile.h"
#include "science/gaz.h"
#include "science/historique_etalonnage.h"
#include "science/masse_air.h"
#include "science/recalcul.h"
#include "science/soleil.h"
#include "tests/support/matinee.h"

// A spring in Lyon as the instrument would record it, one file a day, one
// record every two minutes while the sun is up (UTC+1), the header first:
// the same model as the clear morning (tests/support/matinee.h) on any day,
// with the instrument's true V0 given per day and clouds over a half-day
// when asked. The header keeps the constants the instrument held.
struct JourSaison {
    science::Date date;
    double v0Vert = 0, v0Rouge = 0;  // the truth, volts at 1 AU
    bool nuagesMatin = false, nuagesApresMidi = false;
    double v0VertEnTete = 2.12, v0RougeEnTete = 2.05;
};

inline int JourDeLAnnee(const science::Date& d) {
    const double debut =
        std::floor(science::JourDemiJour({d.annee, 1, 1}, science::DemiJour::Matin));
    return static_cast<int>(std::floor(science::JourDemiJour(d, science::DemiJour::Matin)) -
                            debut) +
           1;
}

inline std::vector<std::string> LignesJourSaison(const JourSaison& j, unsigned graine) {
    static const char* const jours[] = {"Lundi",    "Mardi",  "Mercredi", "Jeudi",
                                        "Vendredi", "Samedi", "Dimanche"};
    static const char* const mois[] = {"Janvier",   "Février", "Mars",     "Avril",
                                       "Mai",       "Juin",    "Juillet",  "Août",
                                       "Septembre", "Octobre", "Novembre", "Décembre"};
    char texte[128];
    std::vector<std::string> lignes;
    std::snprintf(texte, sizeof texte, "-- Date     : %s %d %s - ",
                  jours[science::JourDeLaSemaine(j.date) - 1], j.date.jour, mois[j.date.mois - 1]);
    lignes.push_back(texte);
    lignes.push_back("-- Photomètre n°7 Logiciel v1,2");
    lignes.push_back("-- Pression : 1008 hPa");
    lignes.push_back("-- Angle d'élévation solaire : 15 deg");
    lignes.push_back("ETALONNAGE");
    const auto volts = [](double v) {
        std::string t = std::to_string(v);
        t.erase(t.find_last_not_of('0') + 1);
        if (t.back() == '.') t += '0';
        for (char& c : t)
            if (c == '.') c = ',';
        return t;
    };
    lignes.push_back("-- V0Vert  = " + volts(j.v0VertEnTete) + "V VnVert  = 0,01V");
    lignes.push_back("-- V0Rouge = " + volts(j.v0RougeEnTete) + "V VnRouge = 0,01V");
    lignes.push_back("Mode;Heure;VVert;EOVert;VRouge;EORouge;Température");

    science::Soleil soleil;
    std::mt19937 generateur(graine);
    std::normal_distribution<double> bruit(0, 0.003);
    std::uniform_real_distribution<double> transmission(0.3, 0.9);
    const int doy = JourDeLAnnee(j.date);
    const auto minuit = static_cast<int64_t>(
        std::floor(science::JourDemiJour(j.date, science::DemiJour::Matin)) * 86400);
    const double ozone = science::OzoneClimatologie(SiteLyon.latitude, SiteLyon.longitude, doy);
    const double rayleighVert = *science::TauRayleigh(505, 1008);
    const double rayleighRouge = *science::TauRayleigh(625, 1008);
    const double ozoneVert = *science::TauOzone(505, ozone);
    const double ozoneRouge = *science::TauOzone(625, ozone);
    for (int t = 5 * 3600; t <= 19 * 3600 + 1800; t += 120) {
        const auto p =
            soleil.Position(static_cast<double>(minuit + t - 3600), SiteLyon, {1008, 15});
        const auto m = science::MasseAirKastenYoung(p.elevationApparente);
        const auto mOzone = science::MasseAirOzone(p.elevationApparente, SiteLyon.altitude);
        if (!m || !mOzone || p.elevationApparente < 2) continue;
        const bool matin = t < 12 * 3600 + 1800;
        const double nuage =
            (matin ? j.nuagesMatin : j.nuagesApresMidi) ? transmission(generateur) : 1;
        const double d2 = p.distance * p.distance;
        const auto v = [&](double v0, double aerosol, double rayleigh, double tauOzone) {
            return 0.01 + v0 / d2 * std::exp(-*m * (aerosol + rayleigh) - *mOzone * tauOzone) *
                              nuage * (1 + bruit(generateur));
        };
        const double vVert = v(j.v0Vert, 0.08, rayleighVert, ozoneVert);
        const double vRouge = v(j.v0Rouge, 0.065, rayleighRouge, ozoneRouge);
        std::snprintf(texte, sizeof texte, "Simple;%02d:%02d:%02d  ;%.4f;0,1;%.4f;0,08;21",
                      t / 3600, t / 60 % 60, t % 60, vVert, vRouge);
        std::string ligne = texte;
        // Only the voltages' decimal points: the depths are written already.
        for (size_t i = 0; i < ligne.size(); ++i)
            if (ligne[i] == '.') ligne[i] = ',';
        lignes.push_back(ligne);
    }
    return lignes;
}

inline void EcrireJourSaison(const std::string& chemin, const JourSaison& j, unsigned graine) {
    WriteTextFile(chemin, LignesJourSaison(j, graine));
}

// Thirty days every other day from 2 March: V0 drifting from 2.05 V (green)
// and 2.00 V (red) by 2 % a year, every fourth day's afternoon cloudy and
// one morning in seven too.
inline std::vector<JourSaison> Printemps() {
    std::vector<JourSaison> jours;
    for (int i = 0; i < 30; ++i) {
        JourSaison j;
        const int n = 2 + 2 * i;  // day of March, 32 and after into April
        j.date = n <= 31 ? science::Date{2026, 3, n} : science::Date{2026, 4, n - 31};
        const double derive = 1 + 0.02 * (2 * i) / 365.0;
        j.v0Vert = 2.05 * derive;
        j.v0Rouge = 2.00 * derive;
        j.nuagesApresMidi = i % 4 == 1;
        j.nuagesMatin = i % 7 == 3;
        jours.push_back(j);
    }
    return jours;
}
