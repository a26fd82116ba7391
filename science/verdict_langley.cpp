#include "science/verdict_langley.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/numbers.h"

namespace science {

VoieLangley AjusterVoie(std::vector<PointLangley> points) {
    VoieLangley c;
    c.points = std::move(points);
    c.ajustement = AjusterLangley(c.points);
    if (!c.ajustement) return c;
    const double a = std::log(c.ajustement->v0), b = c.ajustement->pente;
    double somme = 0;
    size_t n = 0;
    bool premier = true;
    for (size_t i = 0; i < c.points.size(); ++i) {
        if (!c.ajustement->retenus[i]) continue;
        const PointLangley& p = c.points[i];
        const double e = p.y - a - b * p.masseAir;
        somme += e * e;
        ++n;
        c.masseMin = premier ? p.masseAir : std::min(c.masseMin, p.masseAir);
        c.masseMax = premier ? p.masseAir : std::max(c.masseMax, p.masseAir);
        premier = false;
    }
    // n − 2: the line's two parameters come from the same points.
    c.ecartType = n > 2 ? std::sqrt(somme / static_cast<double>(n - 2)) : 0;
    return c;
}

std::vector<DefautLangley> DefautsLangley(const VoieLangley& c, const std::string& voie,
                                          const CriteresLangley& k) {
    std::vector<DefautLangley> d;
    const auto defaut = [&](CritereLangley critere, const std::string& texte) {
        d.push_back({critere, voie + " : " + texte});
    };
    if (!c.ajustement) {
        defaut(CritereLangley::Points,
               "moins de trois points utilisables entre les masses d'air 2 et 6");
        return d;
    }
    const AjustementLangley& a = *c.ajustement;
    if (a.points < k.pointsMin)
        defaut(CritereLangley::Points, std::to_string(a.points) + " points retenus (il en faut " +
                                           std::to_string(k.pointsMin) + ")");
    if (c.masseMax - c.masseMin < k.etendueMasse)
        defaut(CritereLangley::Etendue,
               "masse d'air de " + FormatFixe(c.masseMin, 1) + " à " + FormatFixe(c.masseMax, 1) +
                   " seulement (il faut une étendue de " + FormatFixe(k.etendueMasse, 1) + ")");
    if (a.r2 < k.r2Min)
        defaut(CritereLangley::R2, "R² = " + FormatFixe(a.r2, 3) + " (il faut au moins " +
                                       FormatFixe(k.r2Min, 2) + ")");
    if (c.ecartType > k.ecartTypeMax)
        defaut(CritereLangley::Dispersion, "dispersion de " + FormatFixe(c.ecartType * 100, 1) +
                                               " % autour de la droite, ciel instable (au plus " +
                                               FormatFixe(k.ecartTypeMax * 100, 0) + " %)");
    const size_t total = a.points + a.exclus;
    if (total > 0 && static_cast<double>(a.exclus) > k.exclusMax * static_cast<double>(total))
        defaut(CritereLangley::Exclus, std::to_string(a.exclus) + " points écartés sur " +
                                           std::to_string(total) + ", passages nuageux");
    if (!(a.pente < 0))
        defaut(CritereLangley::Pente, "le signal ne baisse pas quand la masse d'air croît");
    if (!(a.v0 <= k.v0Max))
        defaut(CritereLangley::V0, "V0 = " + FormatFixe(a.v0, 2) + " V dépasse " +
                                       FormatFixe(k.v0Max, 1) + " V, que le mode expert refuse");
    return d;
}

namespace {

// Each check's name in the code, and in a French sentence, in the checks' order.
constexpr std::array<std::pair<const char*, const char*>, 7> Noms = {{
    {"points", "trop peu de points"},
    {"etendue", "masse d'air trop peu étendue"},
    {"r2", "R² trop faible"},
    {"dispersion", "dispersion trop grande (ciel instable)"},
    {"exclus", "trop de points écartés (passages nuageux)"},
    {"pente", "le signal ne baisse pas quand la masse d'air croît"},
    {"v0", "V0 au-delà de ce que le mode expert accepte"},
}};

}  // namespace

std::string CodeVerdict(const std::vector<DefautLangley>& defauts) {
    std::array<bool, Noms.size()> echoue{};
    for (const DefautLangley& d : defauts) echoue[static_cast<size_t>(d.critere)] = true;
    std::string code;
    for (size_t i = 0; i < Noms.size(); ++i) {
        if (!echoue[i]) continue;
        if (!code.empty()) code += '+';
        code += Noms[i].first;
    }
    return code.empty() ? "ok" : code;
}

std::string TexteVerdict(const std::string& code) {
    if (code == "ok") return "toutes les vérifications passées";
    std::string texte;
    size_t debut = 0;
    while (debut <= code.size()) {
        const size_t fin = std::min(code.find('+', debut), code.size());
        const std::string nom = code.substr(debut, fin - debut);
        std::string dit = nom;  // a check this version does not know, as it is
        for (const auto& [cle, francais] : Noms)
            if (nom == cle) dit = francais;
        if (!dit.empty()) texte += (texte.empty() ? "" : ", ") + dit;
        debut = fin + 1;
    }
    return texte.empty() ? "—" : texte;
}

}  // namespace science
