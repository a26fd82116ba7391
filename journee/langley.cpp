#include "journee/langley.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/numbers.h"
#include "science/historique_etalonnage.h"

namespace journee {

using namespace science;

std::optional<PlageLangley> PlageDemiJournee(const std::vector<Resultat>& resultats, size_t serie,
                                             DemiJournee demi) {
    const auto bornes = BornesDemiJour(resultats, serie, demi);
    if (!bornes) return std::nullopt;
    return PlageLangley{serie, bornes->first, bornes->second};
}

std::optional<size_t> SerieDuJour(const std::vector<Resultat>& resultats, size_t nombreSeries,
                                  const std::optional<science::Date>& jour) {
    if (!jour) return nombreSeries > 0 ? std::optional<size_t>(nombreSeries - 1) : std::nullopt;
    const auto voulu =
        static_cast<int64_t>(std::floor(science::JourDemiJour(*jour, science::DemiJour::Matin)));
    std::optional<size_t> serie;
    for (const Resultat& r : resultats) {
        if (!r.utc) continue;
        const int64_t local = *r.utc + r.decalage;
        // Floor division: a date before 1970 is still its own day.
        const int64_t jourLocal = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
        if (jourLocal == voulu && (!serie || r.serie > *serie)) serie = r.serie;
    }
    return serie;
}

std::optional<PlageLangley> PlageHeures(const std::vector<PointJournee>& points,
                                        const std::vector<Resultat>& resultats, double debut,
                                        double fin) {
    if (fin < debut) std::swap(debut, fin);
    std::vector<size_t> compte;
    std::vector<std::pair<int, int>> bornes;
    for (const PointJournee& p : points) {
        if (p.heure < debut || p.heure > fin) continue;
        if (compte.size() <= p.serie) {
            compte.resize(p.serie + 1, 0);
            bornes.resize(p.serie + 1, {0, 0});
        }
        const int t = resultats[p.resultat].secondesHorloge;
        if (compte[p.serie]++ == 0) bornes[p.serie].first = t;
        bornes[p.serie].second = t;
    }
    if (compte.empty()) return std::nullopt;
    const size_t s =
        static_cast<size_t>(std::max_element(compte.begin(), compte.end()) - compte.begin());
    return PlageLangley{s, bornes[s].first, bornes[s].second};
}

namespace {

VoieLangley Ajuster(const std::vector<Resultat>& resultats, const PlageLangley& plage, Voie voie,
                    double altitude) {
    return AjusterVoie(
        PointsLangley(resultats, plage.serie, voie, plage.debut, plage.fin, altitude));
}

std::string Bilan(const VoieLangley& c, const std::string& voie) {
    const AjustementLangley& a = *c.ajustement;
    return voie + " : " + std::to_string(a.points) + " points, masse d'air de " +
           FormatFixe(c.masseMin, 1) + " à " + FormatFixe(c.masseMax, 1) +
           ", R² = " + FormatFixe(a.r2, 4) + ", dispersion " + FormatFixe(c.ecartType * 100, 1) +
           " %";
}

}  // namespace

Langley CalculerLangley(const std::vector<Resultat>& resultats, const PlageLangley& plage,
                        double altitude, const CriteresLangley& criteres) {
    Langley l;
    l.plage = plage;
    l.vert = Ajuster(resultats, plage, Voie::Vert, altitude);
    l.rouge = Ajuster(resultats, plage, Voie::Rouge, altitude);
    auto defauts = DefautsLangley(l.vert, "voie verte", criteres);
    for (auto& d : DefautsLangley(l.rouge, "voie rouge", criteres)) defauts.push_back(std::move(d));
    const std::string plageTexte = "de " + TexteHeure(plage.debut) + " à " + TexteHeure(plage.fin);
    l.verdict.bon = defauts.empty();
    l.verdict.code = CodeVerdict(defauts);
    if (l.verdict.bon) {
        l.verdict.titre = "Ciel assez stable " + plageTexte + " pour étalonner.";
        l.verdict.raisons = {Bilan(l.vert, "voie verte"), Bilan(l.rouge, "voie rouge")};
    } else {
        l.verdict.titre = "Plage " + plageTexte + " insuffisante pour étalonner :";
        for (auto& d : defauts) l.verdict.raisons.push_back(std::move(d.texte));
    }
    return l;
}

std::string TexteHeure(int secondes) {
    char texte[16];
    secondes = ((secondes % 86400) + 86400) % 86400;
    std::snprintf(texte, sizeof texte, "%02d:%02d:%02d", secondes / 3600, secondes / 60 % 60,
                  secondes % 60);
    return texte;
}

}  // namespace journee
