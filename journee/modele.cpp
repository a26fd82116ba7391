#include "journee/modele.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/numbers.h"
#include "platform/textfile.h"

namespace journee {

using namespace science;

namespace {

int64_t Plancher(int64_t a, int64_t b) {
    return (a >= 0 ? a : a - b + 1) / b;
}

}  // namespace

ModeleJournee::ModeleJournee(ReglagesModele reglages) : reglages_(std::move(reglages)) {
    Recommencer();
}

void ModeleJournee::Recommencer(bool garderLecture) {
    if (!garderLecture) lecteur_ = LecteurJournee();
    resultats_.clear();
    points_.clear();
    faits_.clear();
    origine_.reset();
    ReglagesRecalcul r;
    // Without a site the sun is not computed for the plot, but the clock's
    // zone (the system's) still dates the records.
    if (reglages_.site) r.site = *reglages_.site;
    r.annee = reglages_.annee;
    r.lambdaVert = reglages_.lambdaVert;
    r.lambdaRouge = reglages_.lambdaRouge;
    if (!chemin_.empty() && !reglages_.annee) {
        try {
            r.modification = DateModification(chemin_);
        } catch (const EInOutError&) {
            // Replaced while being read: the next reading says so.
        }
    }
    calcul_ = std::make_unique<Recalculateur>(r);
}

void ModeleJournee::Ouvrir(const std::string& chemin) {
    auto suivi = std::make_unique<SuiviFichier>(chemin);
    const SuiviFichier::Lecture lecture = suivi->Lire();
    chemin_ = chemin;
    suivi_ = std::move(suivi);
    Recommencer();
    Lignes(lecture);
    Calculer();
}

ModeleJournee::Changement ModeleJournee::Actualiser() {
    Changement c;
    if (!suivi_) return c;
    const SuiviFichier::Lecture lecture = suivi_->Lire();
    if (lecture.depuisDebut) {
        Recommencer();
        c.tout = true;
    }
    c.debut = points_.size();
    Lignes(lecture);
    Calculer();
    return c;
}

void ModeleJournee::ChangerSite(std::optional<science::Site> site) {
    reglages_.site = std::move(site);
    // The lines already read stay read: only the computation starts over.
    Recommencer(true);
    Calculer();
}

void ModeleJournee::Lignes(const SuiviFichier::Lecture& lecture) {
    // The bytes' anomalies come before their lines': both are in file order.
    auto anomalie = lecture.anomalies.begin();
    for (const SuiviFichier::Ligne& ligne : lecture.lignes) {
        for (; anomalie != lecture.anomalies.end() && anomalie->ligne <= ligne.numero; ++anomalie)
            lecteur_.Signaler(anomalie->ligne, anomalie->message);
        lecteur_.Ligne(ligne.numero, ligne.texte);
    }
    for (; anomalie != lecture.anomalies.end(); ++anomalie)
        lecteur_.Signaler(anomalie->ligne, anomalie->message);
}

void ModeleJournee::Calculer() {
    const auto& series = lecteur_.journee.series;
    faits_.resize(series.size(), 0);
    for (size_t s = 0; s < series.size(); ++s) {
        const auto& enregistrements = series[s].enregistrements;
        for (size_t k = faits_[s]; k < enregistrements.size(); ++k) {
            const Enregistrement& e = enregistrements[k];
            Resultat r = calcul_->Calculer(lecteur_.journee, s, e);
            PointJournee p;
            p.resultat = resultats_.size();
            p.serie = s;
            p.mode = e.mode;
            p.ligne = e.ligne;
            if (r.utc) {
                const int64_t local = *r.utc + r.decalage;
                if (!origine_) origine_ = Plancher(local, 86400) * 86400;
                p.heure = static_cast<double>(local - *origine_) / 3600.0;
            } else {
                p.heure = e.jours * 24.0 + e.secondes / 3600.0;
            }
            if (reglages_.site) {
                p.eoVert = r.eoVert;
                p.eoRouge = r.eoRouge;
                p.angstrom = r.angstrom;
                p.elevation = r.elevation;
            } else if (!series[s].enTete.valeursRefusees) {
                // Recorded from the same header: refused with it.
                p.eoVert = e.eoVert;
                p.eoRouge = e.eoRouge;
                p.angstrom = ExposantAngstrom(e.eoVert, e.eoRouge, reglages_.lambdaVert,
                                              reglages_.lambdaRouge);
            }
            if (!reglages_.site) {
                // The sun was computed for no place: none of it is shown.
                r.elevation = r.elevationVraie = r.masseAir = std::nullopt;
                r.eoVert = r.eoRouge = r.angstrom = std::nullopt;
            }
            resultats_.push_back(r);
            points_.push_back(p);
        }
        faits_[s] = enregistrements.size();
    }
}

std::vector<size_t> PointsADessiner(const std::vector<double>& x, const std::vector<double>& y,
                                    double xmin, double xmax, size_t colonnes) {
    Eclaircie eclaircie;
    return eclaircie.Points(x, y, xmin, xmax, colonnes);
}

const std::vector<size_t>& Eclaircie::Points(const std::vector<double>& x,
                                             const std::vector<double>& y, double xmin, double xmax,
                                             size_t colonnes) {
    const size_t n = x.size();
    // Going on is sound only for the same range and width, with the points
    // seen before still there and the new ones after them in time.
    const bool suite = n_ > 0 && n >= n_ && xmin == xmin_ && xmax == xmax_ &&
                       colonnes == colonnes_ && (n == n_ || x[n_] >= x[n_ - 1]);
    if (suite && n == n_) return garde_;
    const size_t vus = suite ? n_ : 0;
    xmin_ = xmin;
    xmax_ = xmax;
    colonnes_ = colonnes;
    n_ = 0;
    if (n == 0 || !(xmax > xmin) || colonnes == 0) {
        garde_.clear();
        fixes_ = 0;
        return garde_;
    }
    // Going on, the points seen before keep their side of each edge: only
    // the new ones are searched, unless the edge lay beyond them all.
    n_ = n;
    const auto depuis = [&](size_t i) { return x.begin() + static_cast<std::ptrdiff_t>(i); };
    const size_t debut =
        suite && debut_ < vus
            ? debut_
            : static_cast<size_t>(std::lower_bound(depuis(suite ? debut_ : 0), x.end(), xmin) -
                                  x.begin());
    const size_t fin =
        suite && fin_ < vus
            ? fin_
            : static_cast<size_t>(std::upper_bound(depuis(suite ? fin_ : 0), x.end(), xmax) -
                                  x.begin());
    fin_ = fin;
    const bool tous = fin - debut <= 4 * colonnes;
    // The last slice's scan goes on where it stopped, unless all starts again.
    bool reprendre = true;
    if (!suite || tous != tous_ || debut != debut_) {
        reprendre = false;
        tous_ = tous;
        debut_ = debut;
        garde_.clear();
        fixes_ = 0;
        if (debut > 0) {
            garde_.push_back(debut - 1);
            fixes_ = 1;
        }
        reprise_ = debut;
    }
    garde_.resize(fixes_);
    if (tous) {
        for (size_t i = reprise_; i < fin; ++i) garde_.push_back(i);
        fixes_ = garde_.size();
        reprise_ = fin;
    } else {
        const double largeur = (xmax - xmin) / static_cast<double>(colonnes);
        size_t i = reprise_;
        while (i < fin) {
            fixes_ = garde_.size();
            reprise_ = i;
            const double bord = xmin + largeur * (std::floor((x[i] - xmin) / largeur) + 1);
            size_t bas = i, haut = i, j = i;
            if (reprendre) {
                bas = bas_;
                haut = haut_;
                j = balaye_;
                reprendre = false;
            }
            for (; j < fin && x[j] < bord; ++j) {
                if (y[j] < y[bas]) bas = j;
                if (y[j] > y[haut]) haut = j;
            }
            bas_ = bas;
            haut_ = haut;
            if (j == i) j = i + 1;  // rounding at the slice's edge
            balaye_ = j;
            const size_t dernier = j - 1;
            for (size_t k : {i, std::min(bas, haut), std::max(bas, haut), dernier})
                if (garde_.empty() || garde_.back() < k) garde_.push_back(k);
            i = j;
        }
    }
    if (fin < n) garde_.push_back(fin);
    return garde_;
}

// --- Langley ---

std::optional<PlageLangley> PlageDemiJournee(const std::vector<Resultat>& resultats, size_t serie,
                                             DemiJournee demi) {
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
    if (demi == DemiJournee::Matin)
        return PlageLangley{serie, premier->secondesHorloge, haut->secondesHorloge};
    return PlageLangley{serie, haut->secondesHorloge, dernier->secondesHorloge};
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

CanalLangley Canal(const std::vector<Resultat>& resultats, const PlageLangley& plage,
                   science::Canal canal) {
    return AjusterCanal(PointsLangley(resultats, plage.serie, canal, plage.debut, plage.fin));
}

std::string Bilan(const CanalLangley& c, const std::string& voie) {
    const AjustementLangley& a = *c.ajustement;
    return voie + " : " + std::to_string(a.points) + " points, masse d'air de " +
           FormatFixe(c.masseMin, 1) + " à " + FormatFixe(c.masseMax, 1) +
           ", R² = " + FormatFixe(a.r2, 4) + ", dispersion " + FormatFixe(c.ecartType * 100, 1) +
           " %";
}

}  // namespace

Langley CalculerLangley(const std::vector<Resultat>& resultats, const PlageLangley& plage,
                        const CriteresLangley& criteres) {
    Langley l;
    l.plage = plage;
    l.vert = Canal(resultats, plage, science::Canal::Vert);
    l.rouge = Canal(resultats, plage, science::Canal::Rouge);
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
