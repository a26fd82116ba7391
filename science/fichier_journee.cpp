#include "science/fichier_journee.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <string_view>

#include "platform/descripteur.h"
#include "platform/textfile.h"
#include "science/lignes_fichier.h"
#include "science/nombres.h"

namespace science {

namespace {

constexpr std::string_view LigneCreation = "SOLVENARE";
constexpr std::string_view PrefixeDate = "-- Date     : ";
constexpr std::string_view PrefixePhotometre = "-- Photomètre n°";
constexpr std::string_view SeparateurLogiciel = " Logiciel v";
constexpr std::string_view PrefixePression = "-- Pression : ";
constexpr std::string_view PrefixeAngle = "-- Angle d'élévation solaire : ";
constexpr std::string_view Etalonnage = "ETALONNAGE";
constexpr std::string_view Colonnes = "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température";
// Both blocks begin the constants lines alike; the rest is read loosely.
constexpr std::string_view PrefixeVert = "-- V0Vert";
constexpr std::string_view PrefixeRouge = "-- V0Rouge";

constexpr std::array<std::string_view, 7> Jours = {"Lundi",    "Mardi",  "Mercredi", "Jeudi",
                                                   "Vendredi", "Samedi", "Dimanche"};
constexpr std::array<std::string_view, 12> Mois = {"Janvier",   "Février", "Mars",     "Avril",
                                                   "Mai",       "Juin",    "Juillet",  "Août",
                                                   "Septembre", "Octobre", "Novembre", "Décembre"};

// A series' clock goes back by more than this only when midnight has passed
// between two records, an observer who leaves the program on overnight
// included (17:00 then 09:00 is the next morning). A smaller step back is a
// clock set back, or summer time ending: the same day.
constexpr int RetourMinuit = 3 * 3600;

// The pressures a station can have: the lowest sea-level pressures recorded
// are near 870 hPa and the highest near 1085 hPa (WMO, World Weather and
// Climate Extremes Archive); 300 hPa is above 9,000 m.
constexpr int PressionMin = 300, PressionMax = 1100;
// What the expert entries accept for V0.
constexpr double V0Max = 5.0;

constexpr std::array<int, 12> JoursMax = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool Commence(std::string_view texte, std::string_view debut) {
    return texte.substr(0, debut.size()) == debut;
}

std::string_view Rogner(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return t;
}

std::optional<int> Entier(std::string_view t) {
    t = Rogner(t);
    bool negatif = false;
    if (!t.empty() && t.front() == '-') {
        negatif = true;
        t.remove_prefix(1);
    }
    if (t.empty() || t.size() > 6) return std::nullopt;
    int valeur = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        valeur = valeur * 10 + (c - '0');
    }
    return negatif ? -valeur : valeur;
}

// "2,00 V" as a French sentence writes it.
std::string Volts(double v) {
    std::string texte = Point(v, 2);
    for (char& c : texte)
        if (c == '.') c = ',';
    return texte + " V";
}

template <size_t N>
int Indice(const std::array<std::string_view, N>& noms, std::string_view nom) {
    for (size_t i = 0; i < N; ++i)
        if (noms[i] == nom) return static_cast<int>(i) + 1;
    return 0;
}

// "HH:MM:SS" with the two blanks that follow it on screen, or without them.
std::optional<int> Heure(std::string_view t) {
    t = Rogner(t);
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') return std::nullopt;
    const auto h = Entier(t.substr(0, 2)), m = Entier(t.substr(3, 2)), s = Entier(t.substr(6, 2));
    if (!h || !m || !s || *h < 0 || *h > 23 || *m < 0 || *m > 59 || *s < 0 || *s > 59)
        return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

}  // namespace

void LecteurJournee::Ligne(std::string_view ligne) {
    Ligne(numero_ + 1, ligne);
}

void LecteurJournee::Ligne(size_t numero, std::string_view ligne) {
    numero_ = numero;
    if (ligne == LigneCreation) {
        if (numero != 1) Signaler("ligne de création « SOLVENARE » au milieu du fichier");
        return;
    }
    if (Commence(ligne, "Simple;") || Commence(ligne, "Continu;")) return Enregistrer(ligne);
    if (Commence(ligne, PrefixeDate)) return NouvelleSerie(ligne.substr(PrefixeDate.size()));
    if (EnTete(ligne)) return;
    Signaler(ligne.empty() ? "ligne vide" : "ligne étrangère au fichier de mesures");
}

void LecteurJournee::FinSerie() {
    if (journee.series.empty() || lignesEnTete_ >= 8) return;
    Signaler(journee.series.back().enTete.ligne,
             "en-tête incomplet : " + std::to_string(lignesEnTete_) + " lignes sur 8");
    lignesEnTete_ = 8;  // said once
}

void LecteurJournee::Signaler(std::string message) {
    Signaler(numero_, std::move(message));
}

void LecteurJournee::Signaler(size_t ligne, std::string message) {
    if (OnAnomalie)
        OnAnomalie({ligne, std::move(message)});
    else
        journee.anomalies.push_back({ligne, std::move(message)});
}

void LecteurJournee::NouvelleSerie(std::string_view date) {
    FinSerie();
    lignesEnTete_ = 1;
    Serie serie;
    EnTeteSerie& e = serie.enTete;
    e.ligne = numero_;
    e.date = std::string(date);
    // "Lundi 6 Décembre - "
    std::array<std::string_view, 4> mots;
    size_t n = 0;
    std::string_view reste = date;
    while (n < mots.size()) {
        reste = Rogner(reste);
        if (reste.empty()) break;
        const auto espace = reste.find(' ');
        mots[n++] = reste.substr(0, espace);
        reste = espace == std::string_view::npos ? std::string_view() : reste.substr(espace);
    }
    const auto jour = n == 4 ? Entier(mots[1]) : std::nullopt;
    e.jourSemaine = n == 4 ? Indice(Jours, mots[0]) : 0;
    e.mois = n == 4 ? Indice(Mois, mots[2]) : 0;
    if (n == 4 && jour && *jour >= 1 && *jour <= 31 && e.jourSemaine != 0 && e.mois != 0 &&
        mots[3] == "-" && Rogner(reste).empty()) {
        e.jour = *jour;
        if (*jour > JoursMax[static_cast<size_t>(e.mois - 1)]) {
            e.jour = e.jourSemaine = e.mois = 0;
            Signaler("date impossible « " + std::string(mots[1]) + " " + std::string(mots[2]) +
                     " » : la série ne peut être datée");
        }
    } else {
        e.jourSemaine = e.mois = 0;
        Signaler("date illisible « " + std::string(date) + " » : la série ne peut être datée");
    }
    journee.series.push_back(std::move(serie));
    dernieresSecondes_.reset();
    jours_ = 0;
    enregistre_ = false;
}

bool LecteurJournee::EnTete(std::string_view ligne) {
    const bool reconnue = Commence(ligne, PrefixePhotometre) || Commence(ligne, PrefixePression) ||
                          Commence(ligne, PrefixeAngle) || ligne == Etalonnage ||
                          ligne == Colonnes || Commence(ligne, PrefixeVert) ||
                          Commence(ligne, PrefixeRouge);
    if (!reconnue) return false;
    if (journee.series.empty()) {
        Signaler("ligne d'en-tête sans ligne de date avant elle");
        return true;
    }
    if (enregistre_) {
        // Changing the header now would change what the records already
        // read were computed with, and a file is read only once.
        Signaler("ligne d'en-tête après les enregistrements de la série : ignorée");
        return true;
    }
    EnTeteSerie& e = journee.series.back().enTete;
    ++lignesEnTete_;
    if (Commence(ligne, PrefixePhotometre)) {
        const auto reste = ligne.substr(PrefixePhotometre.size());
        const auto sep = reste.find(SeparateurLogiciel);
        if (sep == std::string_view::npos) {
            Signaler("ligne du photomètre tronquée");
            e.photometre = std::string(reste);
        } else {
            e.photometre = std::string(reste.substr(0, sep));
            e.logiciel = std::string(reste.substr(sep + SeparateurLogiciel.size()));
        }
    } else if (Commence(ligne, PrefixePression)) {
        auto reste = ligne.substr(PrefixePression.size());
        if (reste.size() >= 4 && reste.substr(reste.size() - 4) == " hPa") reste.remove_suffix(4);
        e.pression = Entier(reste);
        if (!e.pression) {
            Signaler("pression illisible « " + std::string(reste) + " »");
        } else if (*e.pression < PressionMin || *e.pression > PressionMax) {
            e.valeursRefusees = e.pressionRefusee = true;
            Signaler("pression de " + std::to_string(*e.pression) + " hPa hors de " +
                     std::to_string(PressionMin) + " à " + std::to_string(PressionMax) +
                     " hPa : épaisseurs optiques de la série non calculées");
        }
    } else if (Commence(ligne, PrefixeAngle)) {
        auto reste = ligne.substr(PrefixeAngle.size());
        if (reste.size() >= 3 && reste.substr(reste.size() - 3) == "deg") reste.remove_suffix(3);
        e.angle = Entier(reste);
    } else if (Commence(ligne, PrefixeVert)) {
        e.bloc = Commence(ligne, "-- V0Vert  = ") ? 'A' : 'B';
        Constantes(ligne.substr(PrefixeVert.size()), "VnVert", e.v0Vert, e.vnVert);
        VerifierConstantes(e, "vert", e.v0Vert, e.vnVert);
    } else if (Commence(ligne, PrefixeRouge)) {
        Constantes(ligne.substr(PrefixeRouge.size()), "VnRouge", e.v0Rouge, e.vnRouge);
        VerifierConstantes(e, "rouge", e.v0Rouge, e.vnRouge);
    }
    return true;
}

// " = 2,12V VnVert  = 0,31V" (block A) or " = 2,12V-- VnVert = 0,31V" (block B).
void LecteurJournee::Constantes(std::string_view reste, std::string_view nomVn,
                                std::optional<double>& v0, std::optional<double>& vn) {
    const auto posVn = reste.find(nomVn);
    const auto egal0 = reste.find('=');
    const auto egalN = posVn == std::string_view::npos ? posVn : reste.find('=', posVn);
    if (egal0 == std::string_view::npos || egalN == std::string_view::npos || egal0 > posVn) {
        Signaler("ligne des constantes d'étalonnage tronquée");
        return;
    }
    auto texteV0 = Rogner(reste.substr(egal0 + 1, posVn - egal0 - 1));
    if (texteV0.size() >= 2 && texteV0.substr(texteV0.size() - 2) == "--")
        texteV0 = Rogner(texteV0.substr(0, texteV0.size() - 2));
    auto texteVn = Rogner(reste.substr(egalN + 1));
    for (auto* t : {&texteV0, &texteVn})
        if (!t->empty() && t->back() == 'V') t->remove_suffix(1);
    v0 = LireNombreFichier(texteV0);
    vn = LireNombreFichier(texteVn);
    if (!v0 || !vn) Signaler("constante d'étalonnage illisible");
}

// V = V0·e^(−τm) + Vn: V0 must stand above the dark signal Vn for any depth
// to exist, and above 5 V it is no constant the instrument can hold.
void LecteurJournee::VerifierConstantes(EnTeteSerie& e, const char* voie,
                                        const std::optional<double>& v0,
                                        const std::optional<double>& vn) {
    if (!v0 || !vn) return;
    std::string defaut;
    if (!(*v0 > *vn))
        defaut = "V0 " + std::string(voie) + " de " + Volts(*v0) + " non supérieur à Vn (" +
                 Volts(*vn) + ")";
    else if (*v0 > V0Max)
        defaut = "V0 " + std::string(voie) + " de " + Volts(*v0) + " au-dessus de 5 V";
    if (defaut.empty()) return;
    e.valeursRefusees = true;
    Signaler(defaut + " : épaisseurs optiques de la série non calculées");
}

void LecteurJournee::Enregistrer(std::string_view ligne) {
    std::array<std::string_view, 7> champs;
    size_t n = 0;
    size_t debut = 0;
    for (;;) {
        const auto fin = ligne.find(';', debut);
        if (n == champs.size()) {
            n = champs.size() + 1;  // too many
            break;
        }
        champs[n++] = ligne.substr(debut, fin == std::string_view::npos ? fin : fin - debut);
        if (fin == std::string_view::npos) break;
        debut = fin + 1;
    }
    if (n != champs.size())
        return Signaler("enregistrement de " +
                        std::string(n > champs.size() ? "plus de 7" : std::to_string(n)) +
                        " champs au lieu de 7");
    if (journee.series.empty()) return Signaler("enregistrement avant tout en-tête");

    Enregistrement r;
    r.ligne = numero_;
    r.mode = champs[0] == "Simple" ? Mode::Simple : Mode::Continu;
    const auto secondes = Heure(champs[1]);
    if (!secondes) return Signaler("heure illisible « " + std::string(champs[1]) + " »");
    r.secondes = *secondes;
    bool lisible = true;
    const auto valeur = [&lisible](std::string_view t, std::optional<double>& cible) {
        if (t == "---" || t == "------") return;
        cible = LireNombreFichier(t);
        if (!cible) lisible = false;
    };
    valeur(champs[2], r.vVert);
    valeur(champs[3], r.eoVert);
    valeur(champs[4], r.vRouge);
    valeur(champs[5], r.eoRouge);
    if (champs[6] != "----") {
        r.temperature = Entier(champs[6]);
        if (!r.temperature) lisible = false;
    }
    if (!lisible) return Signaler("valeur illisible dans l'enregistrement");

    if (dernieresSecondes_ && *dernieresSecondes_ - r.secondes > RetourMinuit) ++jours_;
    dernieresSecondes_ = r.secondes;
    r.jours = jours_;
    enregistre_ = true;
    if (OnEnregistrement)
        OnEnregistrement(journee.series.size() - 1, r);
    else
        journee.series.back().enregistrements.push_back(r);
}

Journee LireJournee(const std::vector<std::string>& lignes) {
    LecteurJournee lecteur;
    for (const std::string& ligne : lignes) lecteur.Ligne(ligne);
    lecteur.FinSerie();
    return std::move(lecteur.journee);
}

void LireFichierJournee(const std::string& chemin, LecteurJournee& lecteur) {
    const platform::Descripteur fichier = OuvrirFichierOrdinaire(chemin);

    DecoupeurLignes decoupeur;
    decoupeur.OnLigne = [&lecteur](size_t numero, std::string_view ligne) {
        lecteur.Ligne(numero, ligne);
    };
    decoupeur.OnAnomalie = [&lecteur](size_t numero, std::string message) {
        lecteur.Signaler(numero, std::move(message));
    };
    std::string bloc(64 * 1024, '\0');
    for (;;) {
        const ssize_t n = platform::SansInterruption(
            [&] { return read(fichier.Get(), bloc.data(), bloc.size()); });
        if (n < 0) throw EInOutError(errno);
        if (n == 0) break;
        decoupeur.Octets(std::string_view(bloc.data(), static_cast<size_t>(n)));
    }
    decoupeur.Fin();
    lecteur.FinSerie();
}

Journee LireFichierJournee(const std::string& chemin) {
    LecteurJournee lecteur;
    LireFichierJournee(chemin, lecteur);
    return std::move(lecteur.journee);
}

bool FichierDeMesures(const std::string& chemin) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream fichier(chemin, std::ios::binary);
    std::string debut(20, '\0');
    fichier.read(debut.data(), static_cast<std::streamsize>(debut.size()));
    debut.resize(static_cast<size_t>(fichier.gcount()));
    if (debut.starts_with("\xEF\xBB\xBF")) debut.erase(0, 3);
    return debut.starts_with("SOLVENARE\r") || debut.starts_with("SOLVENARE\n") ||
           debut.starts_with("-- Date     : ");
}

}  // namespace science
