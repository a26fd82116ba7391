#include "science/recalcul.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>

#include "measurement/calculs.h"
#include "platform/textfile.h"
#include "science/masse_air.h"

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

}  // namespace

int AnneeProbable(int jour, int mois, const Date& m) {
    const int64_t modification = JoursDepuis1970(m.annee, m.mois, m.jour);
    for (int annee = m.annee + 1; annee > m.annee - 2; --annee)
        if (JoursDepuis1970(annee, mois, jour) <= modification + 1) return annee;
    return m.annee - 1;
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

std::optional<Recalculateur::AnneeSerie> Recalculateur::Annee(const EnTeteSerie& e) const {
    if (e.jour == 0) return std::nullopt;
    const int annee =
        reglages_.annee ? *reglages_.annee : AnneeProbable(e.jour, e.mois, reglages_.modification);
    AnneeSerie a{annee, std::nullopt};
    if (JourDeLaSemaine({annee, e.mois, e.jour}) != e.jourSemaine)
        a.remarque = "le jour de la semaine ne correspond pas à l'année " + std::to_string(annee);
    return a;
}

Resultat Recalculateur::Calculer(const Journee& journee, size_t s, const Enregistrement& r) {
    const EnTeteSerie& e = journee.series[s].enTete;
    if (series_.size() <= s) series_.resize(s + 1);
    if (!series_[s] || series_[s]->ligne != e.ligne) {
        EtatSerie etat;
        etat.ligne = e.ligne;
        if (const auto a = Annee(e)) {
            etat.annee = a->annee;
            if (a->remarque && OnAnomalie) OnAnomalie({e.ligne, *a->remarque});
        }
        series_[s] = etat;
    }
    const std::optional<int> annee = series_[s]->annee;
    const Meteo meteo{e.pression ? static_cast<double>(*e.pression) : 0.0,
                      reglages_.temperatureAir};
    Resultat x;
    x.serie = s;
    x.ligne = r.ligne;
    x.mode = r.mode;
    x.secondesHorloge = r.secondes;
    x.pression = e.pression;
    x.vVert = r.vVert;
    x.vRouge = r.vRouge;
    x.vnVert = e.vnVert;
    x.vnRouge = e.vnRouge;
    x.temperature = r.temperature;
    if (!annee) return x;
    const int64_t local = JoursDepuis1970(*annee, e.mois, e.jour + r.jours) * 86400 + r.secondes;
    x.decalage = fuseau_.DecalageLocal(local);
    x.utc = local - x.decalage;
    const PositionSoleil p = soleil_.Position(static_cast<double>(*x.utc), reglages_.site, meteo);
    x.elevation = p.elevationApparente;
    x.elevationVraie = p.elevationVraie;
    x.distance = p.distance;
    x.masseAir = MasseAirKastenYoung(p.elevationApparente);
    if (e.pression) {
        const double rapport = measurement::RapportPression(*e.pression);
        x.eoVert = Profondeur(r.vVert, e.v0Vert, e.vnVert, measurement::TauRayleighVert, p.distance,
                              rapport, x.masseAir);
        x.eoRouge = Profondeur(r.vRouge, e.v0Rouge, e.vnRouge, measurement::TauRayleighRouge,
                               p.distance, rapport, x.masseAir);
        x.angstrom =
            ExposantAngstrom(x.eoVert, x.eoRouge, reglages_.lambdaVert, reglages_.lambdaRouge);
    }
    return x;
}

std::vector<Resultat> Recalculer(const Journee& journee, const ReglagesRecalcul& reglages,
                                 std::vector<Anomalie>* anomalies) {
    std::vector<Resultat> resultats;
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
