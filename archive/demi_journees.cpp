#include "archive/demi_journees.h"

#include "archive/niveau2.h"

#include "archive/lecture.h"
#include "science/verdict_langley.h"

namespace archive {

void CalculDemiJournees::Ajouter(const science::Resultat& r) {
    if (serie_ && *serie_ != r.serie) Ajuster();
    if (!r.elevation) return;
    serie_ = r.serie;
    if (!premier_) premier_ = r;
    if (!haut_ || *r.elevation > *haut_->elevation) haut_ = r;
    dernier_ = r;
    const science::ReglagesLangley plage;
    if (!r.masseAir || *r.masseAir < plage.masseMin || *r.masseAir > plage.masseMax) return;
    Point p{r.secondesHorloge, std::nullopt, std::nullopt};
    const std::vector<science::Resultat> un = {r};
    for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge}) {
        const auto x = science::PointsLangley(un, r.serie, voie, r.secondesHorloge,
                                              r.secondesHorloge, altitude_);
        if (!x.empty()) (voie == science::Voie::Vert ? p.vert : p.rouge) = x.front();
    }
    if (p.vert || p.rouge) points_.push_back(p);
}

void CalculDemiJournees::Ajuster() {
    if (!serie_ || !haut_) {
        serie_.reset();
        points_.clear();
        return;
    }
    const size_t s = *serie_;
    const std::vector<science::Resultat> bornes = {*premier_, *haut_, *dernier_};
    const auto date = DateLocale(*haut_);
    for (const science::DemiJour demi : {science::DemiJour::Matin, science::DemiJour::ApresMidi})
        for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge}) {
            const auto b = science::BornesDemiJour(bornes, s, demi);
            if (!date || !b) break;
            // PointsLangley's window, on the points it made.
            std::vector<science::PointLangley> points;
            for (const Point& p : points_) {
                const auto& x = voie == science::Voie::Vert ? p.vert : p.rouge;
                const bool dedans = b->first <= b->second
                                        ? p.secondes >= b->first && p.secondes <= b->second
                                        : p.secondes >= b->first || p.secondes <= b->second;
                if (x && dedans) points.push_back(*x);
            }
            const auto l = science::ResumerLangley(science::AjusterVoie(std::move(points)));
            if (!l) continue;
            DemiJournee d;
            d.serie = s;
            d.date = *date;
            d.demi = demi;
            d.voie = voie;
            d.langley = *l;
            faites_.push_back(std::move(d));
        }
    serie_.reset();
    premier_.reset();
    haut_.reset();
    dernier_.reset();
    points_.clear();
}

std::vector<DemiJournee> CalculDemiJournees::Conclure(const science::Journee& enTetes) {
    Ajuster();
    std::vector<DemiJournee> faites = std::move(faites_);
    faites_.clear();
    for (DemiJournee& d : faites) {
        if (d.serie >= enTetes.series.size()) continue;
        const science::EnTeteSerie& h = enTetes.series[d.serie].enTete;
        d.ligneSerie = h.ligne;
        d.instrument = h.photometre;
        d.logiciel = h.logiciel;
        d.v0VertEnTete = h.v0Vert;
        d.vnVertEnTete = h.vnVert;
        d.v0RougeEnTete = h.v0Rouge;
        d.vnRougeEnTete = h.vnRouge;
    }
    return faites;
}

const char* NomDemi(science::DemiJour demi) {
    return demi == science::DemiJour::Matin ? "matin" : "apres-midi";
}

const char* NomVoie(science::Voie voie) {
    return voie == science::Voie::Vert ? "vert" : "rouge";
}

void EcrireDemiJournees(Connexion& base, int64_t fichier, const std::vector<DemiJournee>& ds) {
    // The calibration knots are computed again once for a batch of files.
    MarquerNoeudsARevoir(base);
    Requete efface(base,
                   "DELETE FROM langleys WHERE serie IN (SELECT id FROM series WHERE fichier = ?)");
    efface.Lier(1, fichier).Executer();
    Requete serie(base, "SELECT id, instrument FROM series WHERE fichier = ? AND ligne = ?");
    Requete ajoute(base,
                   "INSERT INTO langleys (serie, instrument, canal, jour, demi, v0_vert_entete, "
                   "vn_vert_entete, v0_rouge_entete, vn_rouge_entete, v0, erreur_type, pente, r2, "
                   "points, exclus, verdict, accepte) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                   "?, ?, ?, ?, ?)");
    for (const DemiJournee& d : ds) {
        serie.Lier(1, fichier).Lier(2, d.ligneSerie);
        const bool trouvee = serie.Pas();
        const int64_t id = trouvee ? serie.Entier(0) : 0;
        const int64_t instrument = trouvee ? serie.Entier(1) : 0;
        serie.Reprendre();
        if (!trouvee) continue;
        const science::LangleyDemiJour& l = d.langley;
        ajoute.Lier(1, id).Lier(2, instrument).Lier(3, NomVoie(d.voie));
        ajoute.Lier(4, TexteDate(d.date)).Lier(5, NomDemi(d.demi));
        ajoute.Lier(6, d.v0VertEnTete).Lier(7, d.vnVertEnTete);
        ajoute.Lier(8, d.v0RougeEnTete).Lier(9, d.vnRougeEnTete);
        ajoute.Lier(10, l.v0).Lier(11, l.erreurTypeV0).Lier(12, l.pente).Lier(13, l.r2);
        ajoute.Lier(14, l.points).Lier(15, l.exclus).Lier(16, l.verdict);
        ajoute.Lier(17, l.accepte ? 1 : 0).Executer();
    }
}

}  // namespace archive
