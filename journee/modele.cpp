#include "journee/modele.h"

#include <algorithm>

#include "platform/textfile.h"
#include "science/filtrage_nuages.h"

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
    r.ozone = reglages_.ozone;
    r.pression = reglages_.pression;
    if (reglages_.modification) {
        r.modification = *reglages_.modification;
    } else if (!chemin_.empty() && !reglages_.annee && suivi_) {
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
    // A file has its own date for the year rule, whatever was shown before.
    reglages_.modification.reset();
    Recommencer();
    Lignes(lecture);
    Calculer();
}

void ModeleJournee::Charger(science::Journee journee, const std::string& source) {
    suivi_.reset();
    chemin_ = source;
    Recommencer();
    lecteur_.journee = std::move(journee);
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
    c.niveaux = Calculer();
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

size_t ModeleJournee::Calculer() {
    const size_t debut = resultats_.size();
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
    return Cribler(debut);
}

size_t ModeleJournee::Cribler(size_t debut) {
    // The series that grew are screened again whole.
    std::vector<bool> grandies;
    for (size_t i = debut; i < resultats_.size(); ++i) {
        if (grandies.size() <= resultats_[i].serie) grandies.resize(resultats_[i].serie + 1);
        grandies[resultats_[i].serie] = true;
    }
    const auto grandie = [&](const Resultat& r) {
        return r.serie < grandies.size() && grandies[r.serie];
    };
    FiltreNuages filtre;
    size_t premier = resultats_.size();
    for (size_t i = 0; i < resultats_.size(); ++i)
        if (grandie(resultats_[i])) {
            filtre.Ajouter(resultats_[i]);
            premier = std::min(premier, i);
        }
    filtre.Conclure();
    for (Resultat& r : resultats_)
        if (grandie(r)) filtre.Marquer(r);
    return premier;
}

}  // namespace journee
