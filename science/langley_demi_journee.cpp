#include "science/langley_demi_journee.h"

namespace science {

std::optional<std::pair<int, int>> BornesDemiJour(const std::vector<Resultat>& resultats,
                                                  size_t serie, DemiJour demi) {
    const Resultat* premier = nullptr;
    const Resultat* dernier = nullptr;
    const Resultat* haut = nullptr;
    for (const Resultat& r : resultats) {
        if (r.serie != serie || !r.elevation) continue;
        if (premier == nullptr) premier = &r;
        dernier = &r;
        if (haut == nullptr || *r.elevation > *haut->elevation) haut = &r;
    }
    if (haut == nullptr) return std::nullopt;
    if (demi == DemiJour::Matin) return std::pair{premier->secondesHorloge, haut->secondesHorloge};
    return std::pair{haut->secondesHorloge, dernier->secondesHorloge};
}

std::optional<LangleyDemiJour> ResumerLangley(const VoieLangley& c, const CriteresLangley& k) {
    if (!c.ajustement) return std::nullopt;
    const AjustementLangley& a = *c.ajustement;
    LangleyDemiJour l;
    l.v0 = a.v0;
    l.erreurTypeV0 = a.erreurTypeV0;
    l.pente = a.pente;
    l.r2 = a.r2;
    l.points = a.points;
    l.exclus = a.exclus;
    l.verdict = CodeVerdict(DefautsLangley(c, "", k));
    l.accepte = l.verdict == "ok";
    return l;
}

std::optional<LangleyDemiJour> LangleyDemiJournee(const std::vector<Resultat>& resultats,
                                                  size_t serie, DemiJour demi, Voie voie,
                                                  double altitudeM, const CriteresLangley& k) {
    const auto bornes = BornesDemiJour(resultats, serie, demi);
    if (!bornes) return std::nullopt;
    return ResumerLangley(AjusterVoie(PointsLangley(resultats, serie, voie, bornes->first,
                                                    bornes->second, altitudeM)),
                          k);
}

}  // namespace science
