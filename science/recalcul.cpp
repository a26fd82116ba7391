#include "science/recalcul.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "measurement/calculs.h"
#include "platform/textfile.h"
#include "science/gaz.h"
#include "science/masse_air.h"
#include "science/pression_station.h"

namespace science {

namespace {

int64_t JoursDepuis1970(int annee, int mois, int jour) {
    using namespace std::chrono;
    // year_month_day carries day overflow into sys_days arithmetic below.
    const sys_days premier = year{annee} / month{static_cast<unsigned>(mois)} / day{1};
    return premier.time_since_epoch().count() + jour - 1;
}

std::optional<double> Profondeur(std::optional<double> v, std::optional<double> v0,
                                 std::optional<double> vn, double tau, double distance,
                                 double rapportPression, std::optional<double> masseAir) {
    if (!v || !v0 || !vn || !masseAir) return std::nullopt;
    const auto eo =
        measurement::EpaisseurOptique(*v, *v0, *vn, tau, distance, rapportPression, *masseAir);
    if (!eo) return std::nullopt;
    return static_cast<double>(*eo);
}

// Day of the year (1–366) of an instant.
int JourDeLAnnee(int64_t utc) {
    using namespace std::chrono;
    const sys_days jour = floor<days>(sys_seconds{seconds{utc}});
    const year_month_day ymd{jour};
    return static_cast<int>((jour - sys_days{ymd.year() / January / 1}).count()) + 1;
}

std::string NomMois(int mois) {
    static const char* const Noms[] = {"janvier",   "février", "mars",     "avril",
                                       "mai",       "juin",    "juillet",  "août",
                                       "septembre", "octobre", "novembre", "décembre"};
    return mois >= 1 && mois <= 12 ? Noms[mois - 1] : "?";
}

std::string TexteHeure(int secondes) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%02d:%02d:%02d", secondes / 3600, secondes / 60 % 60,
                  secondes % 60);
    return texte;
}

}  // namespace

int AnneeProbable(int jour, int mois, const Date& m) {
    const int64_t modification = JoursDepuis1970(m.annee, m.mois, m.jour);
    for (int annee = m.annee + 1; annee > m.annee - 2; --annee)
        if (JoursDepuis1970(annee, mois, jour) <= modification + 1) return annee;
    return m.annee - 1;
}

bool DateValide(const Date& d) {
    using namespace std::chrono;
    return d.mois >= 1 && d.mois <= 12 && d.jour >= 1 &&
           year_month_day{year{d.annee}, month{static_cast<unsigned>(d.mois)},
                          day{static_cast<unsigned>(d.jour)}}
               .ok();
}

int JourDeLaSemaine(const Date& d) {
    // 1970-01-01 was a Thursday.
    const int64_t n = JoursDepuis1970(d.annee, d.mois, d.jour);
    return static_cast<int>(((n + 3) % 7 + 7) % 7) + 1;
}

Date DateModification(const std::string& chemin) {
    struct stat st {};
    if (stat(chemin.c_str(), &st) != 0) throw EInOutError(errno);
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<double> ExposantAngstrom(std::optional<double> eoVert, std::optional<double> eoRouge,
                                       double lambdaVert, double lambdaRouge) {
    if (!eoVert || !eoRouge || !(*eoVert > 0) || !(*eoRouge > 0)) return std::nullopt;
    if (!(lambdaVert > 0) || !(lambdaRouge > 0) || lambdaVert == lambdaRouge) return std::nullopt;
    return -std::log(*eoVert / *eoRouge) / std::log(lambdaVert / lambdaRouge);
}

Recalculateur::Recalculateur(const ReglagesRecalcul& reglages)
    : reglages_(reglages), fuseau_(reglages.site.fuseau), soleil_(reglages.deltaT) {}

Recalculateur::AnneeSerie Recalculateur::Annee(const EnTeteSerie& e) const {
    AnneeSerie a;
    if (e.jour == 0) return a;
    const auto convient = [&e](int annee) {
        return DateValide({annee, e.mois, e.jour}) &&
               JourDeLaSemaine({annee, e.mois, e.jour}) == e.jourSemaine;
    };
    if (reglages_.annee) {
        const int annee = *reglages_.annee;
        if (!DateValide({annee, e.mois, e.jour})) {
            a.remarque = "le " + std::to_string(e.jour) + " " + NomMois(e.mois) +
                         " n'existe pas en " + std::to_string(annee) +
                         " : la série ne peut être datée";
            return a;
        }
        a.annee = annee;
        if (!convient(annee))
            a.remarque =
                "le jour de la semaine ne correspond pas à l'année " + std::to_string(annee);
        return a;
    }
    // The file's date gives the year unless it was changed later (copied,
    // touched): the weekday written in the header then names the year.
    const int probable = AnneeProbable(e.jour, e.mois, reglages_.modification);
    if (convient(probable)) {
        a.annee = probable;
        return a;
    }
    // The earlier year first: a file is changed after it is written.
    for (int ecart = 1; ecart <= 6; ++ecart)
        for (const int annee : {probable - ecart, probable + ecart})
            if (convient(annee)) {
                a.annee = annee;
                a.remarque = "le jour de la semaine désigne l'année " + std::to_string(annee) +
                             ", retenue au lieu de " + std::to_string(probable) +
                             " tirée de la date du fichier";
                return a;
            }
    if (DateValide({probable, e.mois, e.jour})) a.annee = probable;
    a.remarque =
        a.annee ? "le jour de la semaine ne correspond pas à l'année " + std::to_string(probable)
                : "aucune année proche de " + std::to_string(probable) +
                      " n'a ce jour : la série ne peut être datée";
    return a;
}

std::optional<double> Recalculateur::PressionUtilisee(const EnTeteSerie& e) const {
    if (reglages_.pression) return reglages_.pression;
    // A pressure refused is no pressure: no refraction is made from it.
    if (!e.pression || e.pressionRefusee) return std::nullopt;
    return *e.pression;
}

Resultat Recalculateur::Calculer(const Journee& journee, size_t s, const Enregistrement& r) {
    const EnTeteSerie& e = journee.series[s].enTete;
    if (series_.size() <= s) series_.resize(s + 1);
    if (!series_[s] || series_[s]->ligne != e.ligne) {
        EtatSerie etat;
        etat.ligne = e.ligne;
        const AnneeSerie a = Annee(e);
        etat.annee = a.annee;
        if (a.remarque && OnAnomalie) OnAnomalie({e.ligne, *a.remarque});
        if (const auto p = PressionUtilisee(e); p && OnAnomalie)
            if (const auto remarque = RemarquePression(*p, reglages_.site.altitude))
                OnAnomalie({e.ligne, *remarque});
        series_[s] = etat;
    }
    EtatSerie& etat = *series_[s];
    const std::optional<int> annee = etat.annee;
    const std::optional<double> pression = PressionUtilisee(e);
    const Meteo meteo{pression.value_or(0.0), reglages_.temperatureAir};
    Resultat x;
    x.serie = s;
    x.ligne = r.ligne;
    x.mode = r.mode;
    x.secondesHorloge = r.secondes;
    x.pression = reglages_.pression ? std::optional<int>(static_cast<int>(std::lround(*pression)))
                                    : e.pression;
    x.vVert = r.vVert;
    x.vRouge = r.vRouge;
    x.vnVert = e.vnVert;
    x.vnRouge = e.vnRouge;
    x.temperature = r.temperature;
    if (!annee) return x;
    const int64_t local = JoursDepuis1970(*annee, e.mois, e.jour + r.jours) * 86400 + r.secondes;
    const Fuseau::Lecture heure = fuseau_.Lire(local);
    x.decalage = heure.avant;
    if (heure.cas == Fuseau::Cas::Repetee && etat.dernierUtc &&
        local - heure.avant < *etat.dernierUtc)
        x.decalage = heure.apres;  // the clock went back into the repeated hour: its second pass
    if (heure.cas == Fuseau::Cas::Sautee && OnAnomalie)
        OnAnomalie({r.ligne, "heure locale " + TexteHeure(r.secondes) +
                                 " sautée au passage à l'heure d'été : placée avec le décalage "
                                 "d'avant (UTC" +
                                 TexteDecalage(heure.avant) + ")"});
    x.utc = local - x.decalage;
    etat.dernierUtc = x.utc;
    const PositionSoleil p = soleil_.Position(static_cast<double>(*x.utc), reglages_.site, meteo);
    x.elevation = p.elevationApparente;
    x.elevationVraie = p.elevationVraie;
    x.distance = p.distance;
    x.masseAir = MasseAirKastenYoung(p.elevationApparente);
    const double lv = reglages_.lambdaVert, lr = reglages_.lambdaRouge;
    if (const int64_t jourUnix = (*x.utc >= 0 ? *x.utc : *x.utc - 86399) / 86400;
        jourUnix != gaz_.jour) {
        gaz_.jour = jourUnix;
        const int jour = JourDeLAnnee(*x.utc);
        gaz_.ozone = reglages_.ozone        ? *reglages_.ozone
                     : reglages_.site.ozone ? *reglages_.site.ozone
                                            : OzoneClimatologie(reglages_.site.latitude,
                                                                reglages_.site.longitude, jour);
        gaz_.ozoneVert = TauOzone(lv, gaz_.ozone);
        gaz_.ozoneRouge = TauOzone(lr, gaz_.ozone);
    }
    x.ozoneDu = gaz_.ozone;
    x.tauOzoneVert = gaz_.ozoneVert;
    x.tauOzoneRouge = gaz_.ozoneRouge;
    if (!pression) return x;
    if (gaz_.pression != pression) {
        gaz_.pression = pression;
        gaz_.rayleighVert = TauRayleigh(lv, *pression);
        gaz_.rayleighRouge = TauRayleigh(lr, *pression);
    }
    x.tauRayleighVert = gaz_.rayleighVert;
    x.tauRayleighRouge = gaz_.rayleighRouge;
    if (e.valeursRefusees) return x;
    if (reglages_.formuleProgramme) {
        const double rapport = *pression / measurement::PressionStandard;
        x.eoVert = Profondeur(r.vVert, e.v0Vert, e.vnVert, measurement::TauRayleighVert, p.distance,
                              rapport, x.masseAir);
        x.eoRouge = Profondeur(r.vRouge, e.v0Rouge, e.vnRouge, measurement::TauRayleighRouge,
                               p.distance, rapport, x.masseAir);
        x.angstrom = ExposantAngstrom(x.eoVert, x.eoRouge, lv, lr);
        return x;
    }
    const auto masseOzone = MasseAirOzone(p.elevationApparente, reglages_.site.altitude);
    if (!x.masseAir || !masseOzone || !x.tauRayleighVert || !x.tauRayleighRouge ||
        !x.tauOzoneVert || !x.tauOzoneRouge)
        return x;
    const Trajet trajet{p.distance, *x.masseAir, *masseOzone, *pression};
    const auto voie = [](std::optional<double> v, std::optional<double> v0,
                         std::optional<double> vn, double rayleigh,
                         double ozone) -> std::optional<VoieAerosol> {
        if (!v || !v0 || !vn) return std::nullopt;
        return VoieAerosol{*v, *v0, *vn, rayleigh, ozone};
    };
    const auto vert = voie(r.vVert, e.v0Vert, e.vnVert, *x.tauRayleighVert, *x.tauOzoneVert);
    const auto rouge = voie(r.vRouge, e.v0Rouge, e.vnRouge, *x.tauRayleighRouge, *x.tauOzoneRouge);
    if (vert) x.eoVert = ProfondeurAerosol(*vert, trajet);
    if (rouge) x.eoRouge = ProfondeurAerosol(*rouge, trajet);
    x.angstrom = ExposantAngstrom(x.eoVert, x.eoRouge, lv, lr);
    // A channel without a reading still has the other's uncertainty.
    const VoieAerosol sans{0, 0, 0, 0, 0};
    const IncertitudeAerosol u = Incertitudes(vert.value_or(sans), rouge.value_or(sans), trajet, lv,
                                              lr, reglages_.incertitudes);
    x.uEoVert = u.vert;
    x.uEoRouge = u.rouge;
    x.uAngstrom = u.angstrom;
    return x;
}

std::string Resultat::Niveau() const {
    if (!critere) return "";
    return niveau20 && *critere == Critere::Aucun ? "2.0" : NiveauCritere(*critere);
}

std::string Resultat::Filtre() const {
    return critere ? NomCritere(*critere) : "";
}

std::vector<Resultat> Recalculer(const Journee& journee, const ReglagesRecalcul& reglages,
                                 std::vector<Anomalie>* anomalies) {
    std::vector<Resultat> resultats;
    size_t total = 0;
    for (const Serie& serie : journee.series) total += serie.enregistrements.size();
    resultats.reserve(total);
    Recalculateur calcul(reglages);
    if (anomalies != nullptr)
        calcul.OnAnomalie = [anomalies](const Anomalie& a) { anomalies->push_back(a); };
    for (size_t s = 0; s < journee.series.size(); ++s) {
        const Serie& serie = journee.series[s];
        for (const Enregistrement& r : serie.enregistrements)
            resultats.push_back(calcul.Calculer(journee, s, r));
    }
    return resultats;
}

}  // namespace science
