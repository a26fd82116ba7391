#include "saisons/selection.h"

#include <algorithm>
#include <chrono>
#include <set>

namespace saisons {

using namespace std::chrono;

int NumeroJour(const science::Date& date) {
    const year_month_day ymd{year{date.annee}, month{static_cast<unsigned>(date.mois)},
                             day{static_cast<unsigned>(date.jour)}};
    return static_cast<int>(sys_days{ymd}.time_since_epoch().count());
}

science::Date DateDuNumero(int numero) {
    const year_month_day ymd{sys_days{days{numero}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

Periode PeriodeDe(Etendue etendue, int jour) {
    const science::Date d = DateDuNumero(jour);
    switch (etendue) {
        case Etendue::Semaines: {
            // 1970-01-01 was a Thursday: Monday is three days before.
            const int lundi = jour - (((jour + 3) % 7) + 7) % 7;
            return {lundi, lundi + 7};
        }
        case Etendue::Mois: {
            const int debut = NumeroJour({d.annee, d.mois, 1});
            const int fin = d.mois == 12 ? NumeroJour({d.annee + 1, 1, 1})
                                         : NumeroJour({d.annee, d.mois + 1, 1});
            return {debut, fin};
        }
        case Etendue::Annees:
            break;
    }
    return {NumeroJour({d.annee, 1, 1}), NumeroJour({d.annee + 1, 1, 1})};
}

Periode PeriodeVoisine(Etendue etendue, const Periode& periode, int sens) {
    if (sens < 0) return PeriodeDe(etendue, periode.debut - 1);
    if (sens > 0) return PeriodeDe(etendue, periode.fin);
    return periode;
}

std::vector<archive::ResumeJour> Filtrer(const std::vector<archive::ResumeJour>& jours,
                                         const archive::ChoixJours& choix) {
    const int du = choix.du ? NumeroJour(*choix.du) : INT32_MIN;
    const int au = choix.au ? NumeroJour(*choix.au) : INT32_MAX;
    std::vector<archive::ResumeJour> gardes;
    for (const archive::ResumeJour& j : jours) {
        const int n = NumeroJour(j.jour);
        if (n < du || n > au) continue;
        if (choix.site && j.site != *choix.site) continue;
        if (choix.instrument && j.instrument != *choix.instrument) continue;
        gardes.push_back(j);
    }
    return gardes;
}

std::vector<std::string> Sites(const std::vector<archive::ResumeJour>& jours) {
    std::set<std::string> noms;
    for (const archive::ResumeJour& j : jours) noms.insert(j.site);
    return {noms.begin(), noms.end()};
}

namespace {

bool Chiffres(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> Instruments(const std::vector<archive::ResumeJour>& jours) {
    std::set<std::string> noms;
    for (const archive::ResumeJour& j : jours) noms.insert(j.instrument);
    std::vector<std::string> tries(noms.begin(), noms.end());
    // "9" before "12"; numbers before any other name.
    std::stable_sort(tries.begin(), tries.end(), [](const std::string& a, const std::string& b) {
        const bool na = Chiffres(a), nb = Chiffres(b);
        if (na != nb) return na;
        if (na && a.size() != b.size()) return a.size() < b.size();
        return a < b;
    });
    return tries;
}

std::vector<size_t> JoursDuNumero(const std::vector<archive::ResumeJour>& jours, int numero) {
    std::vector<size_t> indices;
    for (size_t i = 0; i < jours.size(); ++i)
        if (NumeroJour(jours[i].jour) == numero) indices.push_back(i);
    return indices;
}

}  // namespace saisons
