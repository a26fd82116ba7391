#include "archive/niveau2.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <tuple>

#include "archive/demi_journees.h"
#include "archive/lecture.h"
#include "archive/resumes.h"

namespace archive {

namespace {

constexpr char CleDrapeau[] = "noeuds_a_revoir";

science::ConstantesEtalonnage ConstantesDe(const science::EnTeteSerie& e) {
    return {e.v0Vert.value_or(0), e.v0Rouge.value_or(0), e.vnVert.value_or(0),
            e.vnRouge.value_or(0)};
}

size_t Indice(science::Voie v) {
    return v == science::Voie::Vert ? 0 : 1;
}

// Days since 1970 of a day's text, and back.
double JourDe(const std::string& texte) {
    const auto d = LireDate(texte);
    return d ? std::floor(science::JourDemiJour(*d, science::DemiJour::Matin)) : 0;
}

std::string TexteJour(double jour) {
    using namespace std::chrono;
    const year_month_day d{sys_days{days{static_cast<int>(std::floor(jour))}}};
    return TexteDate({static_cast<int>(d.year()), static_cast<int>(unsigned{d.month()}),
                      static_cast<int>(unsigned{d.day()})});
}

// The days whose records a knot can reach, a day of margin below for the
// records' times of day.
double Portee() {
    return science::ReglagesEtalonnage{}.fenetreJours / 2 + 1;
}

bool Drapeau(Connexion& base) {
    Requete r(base, "SELECT valeur FROM reglages WHERE cle = ?");
    r.Lier(1, CleDrapeau);
    return r.Pas() && r.Texte(0) == "1";
}

std::vector<Noeud> LireNoeuds(Connexion& base) {
    Requete r(base,
              "SELECT instrument, canal, periode, jour, v0_vert_entete, v0_rouge_entete, "
              "vn_vert_entete, vn_rouge_entete, v0, ecart_type, erreur_type, nombre FROM noeuds "
              "ORDER BY instrument, canal = 'rouge', jour, periode");
    std::vector<Noeud> noeuds;
    while (r.Pas()) {
        Noeud n;
        n.instrument = r.Texte(0);
        n.voie = r.Texte(1) == "vert" ? science::Voie::Vert : science::Voie::Rouge;
        n.recommandation.periode = static_cast<int>(r.Entier(2));
        n.recommandation.jour = r.Reel(3);
        n.enTete = {r.Reel(4), r.Reel(5), r.Reel(6), r.Reel(7)};
        science::Recommandation& rec = n.recommandation.recommandation;
        rec.v0 = r.Reel(8);
        rec.ecartType = r.Reel(9);
        rec.erreurType = r.Reel(10);
        rec.nombre = static_cast<size_t>(r.Entier(11));
        noeuds.push_back(std::move(n));
    }
    return noeuds;
}

void EcrireNoeuds(Connexion& base, const std::vector<Noeud>& noeuds) {
    Requete(base, "DELETE FROM noeuds").Executer();
    Requete ajoute(base,
                   "INSERT INTO noeuds (instrument, canal, periode, jour, v0_vert_entete, "
                   "v0_rouge_entete, vn_vert_entete, vn_rouge_entete, v0, ecart_type, "
                   "erreur_type, nombre) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Noeud& n : noeuds) {
        const science::RecommandationDatee& d = n.recommandation;
        ajoute.Lier(1, n.instrument).Lier(2, NomVoie(n.voie)).Lier(3, d.periode).Lier(4, d.jour);
        ajoute.Lier(5, n.enTete.v0Vert).Lier(6, n.enTete.v0Rouge);
        ajoute.Lier(7, n.enTete.vnVert).Lier(8, n.enTete.vnRouge);
        ajoute.Lier(9, d.recommandation.v0).Lier(10, d.recommandation.ecartType);
        ajoute.Lier(11, d.recommandation.erreurType).Lier(12, d.recommandation.nombre);
        ajoute.Executer();
    }
}

using CleNoeud = std::tuple<std::string, size_t, int, double>;

CleNoeud CleDe(const Noeud& n) {
    return {n.instrument, Indice(n.voie), n.recommandation.periode, n.recommandation.jour};
}

bool Memes(const Noeud& a, const Noeud& b) {
    const science::Recommandation& x = a.recommandation.recommandation;
    const science::Recommandation& y = b.recommandation.recommandation;
    return a.enTete == b.enTete && x.v0 == y.v0 && x.ecartType == y.ecartType &&
           x.erreurType == y.erreurType && x.nombre == y.nombre;
}

// The days of an instrument within reach of the knots that appeared, went
// or changed, but those without a level-1.5 record and those that neither
// have a level 2.0 nor can reach one (they have none to change); the
// reaches merged so that each day is asked once.
std::set<Cle> JoursProches(Connexion& base, const std::vector<Noeud>& anciens,
                           const std::vector<Noeud>& nouveaux) {
    std::map<CleNoeud, const Noeud*> a, n;
    for (const Noeud& x : anciens) a[CleDe(x)] = &x;
    for (const Noeud& x : nouveaux) n[CleDe(x)] = &x;
    std::map<std::string, std::vector<std::pair<double, double>>> portees;
    const auto ajouter = [&](const CleNoeud& c) {
        const double jour = std::get<3>(c);
        portees[std::get<0>(c)].emplace_back(jour - Portee(), jour + Portee());
    };
    for (const auto& [c, x] : a)
        if (const auto i = n.find(c); i == n.end() || !Memes(*x, *i->second)) ajouter(c);
    for (const auto& [c, x] : n)
        if (!a.contains(c)) ajouter(c);
    // Each instrument's new knots per channel, in time order: a day with no
    // level 2.0 yet that they cannot reach on both sides keeps its summary.
    std::map<std::string, std::array<std::vector<double>, 2>> temps;
    for (const Noeud& x : nouveaux)
        temps[x.instrument][Indice(x.voie)].push_back(x.recommandation.jour);
    for (auto& [instrument, canaux] : temps)
        for (std::vector<double>& t : canaux) std::sort(t.begin(), t.end());
    const auto atteignable = [&](const std::string& instrument, double jour) {
        const auto i = temps.find(instrument);
        if (i == temps.end()) return false;
        const auto dans = [](const std::vector<double>& t, double debut, double fin) {
            const auto k = std::lower_bound(t.begin(), t.end(), debut);
            return k != t.end() && *k <= fin;
        };
        for (const std::vector<double>& t : i->second)
            if (!dans(t, jour - Portee(), jour + 1) || !dans(t, jour, jour + 1 + Portee()))
                return false;
        return true;
    };
    std::set<Cle> jours;
    Requete r(base,
              "SELECT jour, site, instrument, niveau20 FROM resumes_jours WHERE instrument = ? "
              "AND jour BETWEEN ? AND ? AND niveau15 > 0");
    for (auto& [instrument, p] : portees) {
        std::sort(p.begin(), p.end());
        std::vector<std::pair<double, double>> fondues;
        for (const auto& x : p)
            if (!fondues.empty() && x.first <= fondues.back().second)
                fondues.back().second = std::max(fondues.back().second, x.second);
            else
                fondues.push_back(x);
        for (const auto& [debut, fin] : fondues) {
            r.Lier(1, instrument).Lier(2, TexteJour(debut)).Lier(3, TexteJour(fin));
            while (r.Pas())
                if (r.Entier(3) > 0 || atteignable(instrument, JourDe(r.Texte(0))))
                    jours.insert({r.Texte(0), r.Entier(1), r.Texte(2)});
            r.Reprendre();
        }
    }
    return jours;
}

struct Revision {
    std::vector<Noeud> noeuds;
    bool nouveaux = false;  // computed again, to store
    std::set<Cle> jours;
};

Revision Reviser(Archive& archive) {
    Connexion& base = archive.Base();
    Revision rv;
    rv.nouveaux = Drapeau(base);
    rv.noeuds = LireNoeuds(base);
    if (rv.nouveaux) {
        std::vector<Noeud> calcules = CalculerNoeuds(Historiques(archive, std::nullopt, false));
        rv.jours = JoursProches(base, rv.noeuds, calcules);
        rv.noeuds = std::move(calcules);
    }
    Requete marques(base, "SELECT jour, site, instrument FROM resumes_jours WHERE a_revoir = 1");
    while (marques.Pas()) rv.jours.insert({marques.Texte(0), marques.Entier(1), marques.Texte(2)});
    return rv;
}

// The days' records with the level 2.0, each file that holds them read and
// computed once, a batch of days at a time (in day order, so that a file
// seldom spans two batches): memory holds a batch's values only.
void CalculerJours(Archive& archive, const std::set<Cle>& jours, const Niveau2& niveau2,
                   const std::function<void(const Cle&, Valeurs&)>& jour) {
    constexpr size_t Lot = 128;
    std::map<std::string, std::vector<Cle>> parJour;
    for (const Cle& c : jours) parJour[c.jour].push_back(c);
    Requete qui(
        archive.Base(),
        "SELECT fichier FROM jours_fichiers WHERE jour = ? AND site = ? AND instrument = ?");
    std::set<Cle> lot;
    const auto vider = [&] {
        std::set<int64_t> fichiers;
        for (const Cle& c : lot) {
            qui.Lier(1, c.jour).Lier(2, c.site).Lier(3, c.instrument);
            while (qui.Pas()) fichiers.insert(qui.Entier(0));
            qui.Reprendre();
        }
        Cumul cumul;
        for (const int64_t id : fichiers) Cumuler(archive, id, cumul, &lot, false, &niveau2);
        for (const Cle& c : lot) jour(c, cumul[c]);
        lot.clear();
    };
    for (const auto& [texte, cles] : parJour) {
        lot.insert(cles.begin(), cles.end());
        if (lot.size() >= Lot) vider();
    }
    vider();
}

}  // namespace

std::vector<Noeud> CalculerNoeuds(const std::vector<HistoriqueInstrument>& historiques,
                                  const science::ReglagesEtalonnage& reglages) {
    std::vector<Noeud> noeuds;
    for (const HistoriqueInstrument& h : historiques) {
        std::map<int, science::ConstantesEtalonnage> periodes;
        for (size_t i = 0; i < h.historique.size(); ++i)
            periodes[h.historique[i].periode] = h.demiJournees[i].enTete;
        for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge})
            for (science::RecommandationDatee& d :
                 science::Recommandations(h.historique, voie, reglages)) {
                d.recommandation.aberrants.clear();
                noeuds.push_back({h.instrument, voie, periodes[d.periode], std::move(d)});
            }
    }
    return noeuds;
}

std::vector<Noeud> NoeudsActuels(Archive& archive) {
    Connexion& base = archive.Base();
    if (CalculsAJour(archive) && !Drapeau(base)) return LireNoeuds(base);
    return CalculerNoeuds(Historiques(archive, std::nullopt, false));
}

Niveau2::Niveau2(const std::vector<Noeud>& noeuds, const science::ReglagesEtalonnage& reglages)
    : reglages_(reglages) {
    for (const Noeud& n : noeuds) {
        Canal& c = instruments_[n.instrument][Indice(n.voie)];
        c.noeuds.push_back(n.recommandation);
        c.enTetes.push_back(n.enTete);
    }
    for (auto& [instrument, canaux] : instruments_)
        for (Canal& c : canaux) {
            std::vector<size_t> ordre(c.noeuds.size());
            for (size_t i = 0; i < ordre.size(); ++i) ordre[i] = i;
            std::stable_sort(ordre.begin(), ordre.end(), [&](size_t a, size_t b) {
                return std::tie(c.noeuds[a].jour, c.noeuds[a].periode) <
                       std::tie(c.noeuds[b].jour, c.noeuds[b].periode);
            });
            Canal trie;
            for (const size_t i : ordre) {
                trie.noeuds.push_back(c.noeuds[i]);
                trie.enTetes.push_back(c.enTetes[i]);
                trie.jours.push_back(c.noeuds[i].jour);
            }
            c = std::move(trie);
        }
}

std::optional<science::V0Niveau2> Niveau2::V0(const Canal& c,
                                              const science::ConstantesEtalonnage& e,
                                              double jour) const {
    // The nearest knots of the record's header constants on each side, within
    // half the window; the record's period is theirs, and none between two
    // periods. Found from the record's place in time: a record costs a few
    // comparisons, however many knots the window holds.
    const double demi = reglages_.fenetreJours / 2;
    const auto debut = c.jours.begin();
    std::optional<size_t> avant, apres;
    for (auto i = std::upper_bound(debut, c.jours.end(), jour);
         i != debut && *(i - 1) >= jour - demi; --i)
        if (c.enTetes[static_cast<size_t>(i - 1 - debut)] == e) {
            avant = static_cast<size_t>(i - 1 - debut);
            break;
        }
    for (auto i = std::lower_bound(debut, c.jours.end(), jour);
         i != c.jours.end() && *i <= jour + demi; ++i)
        if (c.enTetes[static_cast<size_t>(i - debut)] == e) {
            apres = static_cast<size_t>(i - debut);
            break;
        }
    if (!avant || !apres || c.noeuds[*avant].periode != c.noeuds[*apres].periode)
        return std::nullopt;
    return science::InterpolerEntre(c.noeuds[*avant], c.noeuds[*apres], jour);
}

bool Niveau2::Appliquer(science::Resultat& r, const science::EnTeteSerie& enTete,
                        const science::ReglagesRecalcul& reglages) const {
    if (r.critere != science::Critere::Aucun || !r.utc) return false;
    const auto i = instruments_.find(enTete.photometre);
    if (i == instruments_.end()) return false;
    // The record's local time, as the half-days' are.
    const double jour = static_cast<double>(*r.utc + r.decalage) / 86400;
    const science::ConstantesEtalonnage e = ConstantesDe(enTete);
    const auto vert = V0(i->second[0], e, jour);
    if (!vert) return false;
    const auto rouge = V0(i->second[1], e, jour);
    if (!rouge) return false;
    return science::PasserNiveau2(r, *vert, *rouge, reglages.site.altitude, reglages.lambdaVert,
                                  reglages.lambdaRouge, reglages.incertitudes);
}

void MarquerNoeudsARevoir(Connexion& base) {
    Requete r(base,
              "INSERT INTO reglages (cle, valeur) VALUES (?, '1') ON CONFLICT (cle) DO UPDATE SET "
              "valeur = excluded.valeur");
    r.Lier(1, CleDrapeau).Executer();
}

bool NoeudsProches(Connexion& base, const Cle& jour) {
    // A knot on each side: today's day, followed as it grows, has none after.
    const double d = JourDe(jour.jour);
    Requete r(base,
              "SELECT EXISTS (SELECT 1 FROM noeuds WHERE instrument = ? AND jour BETWEEN ? AND ?) "
              "AND EXISTS (SELECT 1 FROM noeuds WHERE instrument = ? AND jour BETWEEN ? AND ?)");
    r.Lier(1, jour.instrument).Lier(2, d - Portee()).Lier(3, d + 1);
    r.Lier(4, jour.instrument).Lier(5, d).Lier(6, d + 1 + Portee());
    return r.Pas() && r.Entier(0) != 0;
}

bool Niveau2ARevoir(Archive& archive) {
    Connexion& base = archive.Base();
    if (Drapeau(base)) return true;
    Requete r(base, "SELECT EXISTS (SELECT 1 FROM resumes_jours WHERE a_revoir = 1)");
    return r.Pas() && r.Entier(0) != 0;
}

void ActualiserNiveau2(Archive& archive) {
    Connexion& base = archive.Base();
    if (!archive.Ecriture() || (CalculsAJour(archive) && !Niveau2ARevoir(archive))) return;
    Transaction t(base);
    // Another program's summaries of another computation first: they
    // raise the flag.
    if (!CalculsAJour(archive)) RecalculerResumes(archive);
    Revision rv = Reviser(archive);
    if (rv.nouveaux) {
        EcrireNoeuds(base, rv.noeuds);
        Requete efface(base, "DELETE FROM reglages WHERE cle = ?");
        efface.Lier(1, CleDrapeau).Executer();
    }
    CalculerJours(archive, rv.jours, Niveau2(rv.noeuds),
                  [&](const Cle& c, Valeurs& v) { Ecrire(base, c, v, true); });
    t.Valider();
}

std::vector<ResumeJour> JoursRevus(Archive& archive) {
    if (!Niveau2ARevoir(archive)) return {};
    const Revision rv = Reviser(archive);
    std::map<int64_t, std::string> sites;
    Requete r(archive.Base(), "SELECT id, nom FROM sites");
    while (r.Pas()) sites[r.Entier(0)] = r.Texte(1);
    std::vector<ResumeJour> jours;
    CalculerJours(archive, rv.jours, Niveau2(rv.noeuds),
                  [&](const Cle& c, Valeurs& v) { jours.push_back(Resume(c, sites[c.site], v)); });
    return jours;
}

}  // namespace archive
