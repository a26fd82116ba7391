#include "tools/simulator/ligne_commande.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "tools/simulator/ciel.h"

namespace simulateur {
namespace {

[[noreturn]] void Refuser(const std::string& option, const std::string& valeur,
                          const std::string& attendu) {
    throw std::runtime_error("Option " + option + " : « " + valeur + " » incorrect (" + attendu +
                             ")");
}

// French users type a comma; a full stop is taken too.
double Decimal(const std::string& option, std::string valeur, double min, double max) {
    const std::string lu = valeur;
    for (char& c : valeur)
        if (c == ',') c = '.';
    double v = 0;
    const auto [fin, erreur] = std::from_chars(valeur.data(), valeur.data() + valeur.size(), v);
    if (valeur.empty() || erreur != std::errc() || fin != valeur.data() + valeur.size() ||
        !std::isfinite(v) || v < min || v > max) {
        char attendu[96];
        std::snprintf(attendu, sizeof attendu, "un nombre de %g à %g", min, max);
        std::string texte = attendu;
        for (char& c : texte)
            if (c == '.') c = ',';
        Refuser(option, lu, texte);
    }
    return v;
}

int Entier(const std::string& option, const std::string& valeur, int min, int max) {
    int v = 0;
    const auto [fin, erreur] = std::from_chars(valeur.data(), valeur.data() + valeur.size(), v);
    if (valeur.empty() || erreur != std::errc() || fin != valeur.data() + valeur.size() ||
        v < min || v > max)
        Refuser(option, valeur,
                "un entier de " + std::to_string(min) + " à " + std::to_string(max));
    return v;
}

// How far ahead of the present the clock must be set so that it reads that
// local time today.
std::chrono::seconds DecalagePour(const std::string& option, const std::string& valeur) {
    int heures = -1, minutes = -1;
    const auto deuxPoints = valeur.find(':');
    if (deuxPoints != std::string::npos) {
        heures = Entier(option, valeur.substr(0, deuxPoints), 0, 23);
        minutes = Entier(option, valeur.substr(deuxPoints + 1), 0, 59);
    } else {
        Refuser(option, valeur, "une heure HH:MM");
    }
    const std::time_t maintenant = std::time(nullptr);
    std::tm cible{};
    localtime_r(&maintenant, &cible);
    cible.tm_hour = heures;
    cible.tm_min = minutes;
    cible.tm_sec = 0;
    cible.tm_isdst = -1;
    return std::chrono::seconds(static_cast<long long>(std::mktime(&cible) - maintenant));
}

}  // namespace

Options LireOptions(const std::vector<std::string>& arguments) {
    Options o;
    Reglages& r = o.reglages;
    bool midi = false, heure = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::string valeur;
        bool valeurJointe = false;
        if (const auto egal = option.find('=');
            option.rfind("--", 0) == 0 && egal != std::string::npos) {
            valeur = option.substr(egal + 1);
            option.erase(egal);
            valeurJointe = true;
        }
        auto Valeur = [&]() -> const std::string& {
            if (valeurJointe) return valeur;
            if (i + 1 >= arguments.size())
                throw std::runtime_error("Option " + option + " : valeur manquante");
            valeur = arguments[++i];
            return valeur;
        };
        if (option == "-h" || option == "--help" || option == "--aide") {
            o.aide = true;
        } else if (option == "--nom") {
            r.nom = Valeur();
        } else if (option == "--mode") {
            const std::string& m = Valeur();
            if (m == "simple")
                r.mode = Mode::Simple;
            else if (m == "continu")
                r.mode = Mode::Continu;
            else
                Refuser(option, m, "simple ou continu");
        } else if (option == "--cadence") {
            r.cadence = Decimal(option, Valeur(), 0, 10000);
        } else if (option == "--comptes") {
            r.comptes = LireFichierComptes(Valeur());
        } else if (option == "--numero") {
            r.identification.numero = static_cast<uint8_t>(Entier(option, Valeur(), 0, 255));
        } else if (option == "--version") {
            r.identification.version =
                static_cast<uint8_t>(std::nearbyint(Decimal(option, Valeur(), 0, 25.5) * 10));
        } else if (option == "--v0-vert") {
            r.identification.v0Vert = CompteDeTension(Decimal(option, Valeur(), 0, 5));
        } else if (option == "--vn-vert") {
            r.identification.vnVert = CompteDeTension(Decimal(option, Valeur(), 0, 5));
        } else if (option == "--v0-rouge") {
            r.identification.v0Rouge = CompteDeTension(Decimal(option, Valeur(), 0, 5));
        } else if (option == "--vn-rouge") {
            r.identification.vnRouge = CompteDeTension(Decimal(option, Valeur(), 0, 5));
        } else if (option == "--latitude") {
            r.site.latitude = Decimal(option, Valeur(), -90, 90);
        } else if (option == "--longitude") {
            r.site.longitude = Decimal(option, Valeur(), -180, 180);
        } else if (option == "--heure") {
            r.decalageHorloge = DecalagePour(option, Valeur());
            heure = true;
        } else if (option == "--midi") {
            midi = true;
        } else if (option == "--bruit") {
            r.bruit = Entier(option, Valeur(), 0, 1000);
        } else if (option == "--decoupe") {
            o.reglages.decoupe = true;
        } else if (option == "--silence") {
            r.silence = std::chrono::milliseconds(Entier(option, Valeur(), 0, 60000));
        } else if (option == "--discret") {
            o.discret = true;
        } else {
            throw std::runtime_error("Option inconnue : " + arguments[i] +
                                     " (--help pour la liste)");
        }
        if (valeurJointe && (option == "--decoupe" || option == "--discret" || option == "--help" ||
                             option == "--aide" || option == "--midi"))
            throw std::runtime_error("Option " + option + " : n'attend pas de valeur");
    }
    if (midi && heure) throw std::runtime_error("Options --midi et --heure : l'une ou l'autre");
    // After every option: the site may come after --midi.
    if (midi) {
        const std::time_t maintenant = std::time(nullptr);
        r.decalageHorloge = std::chrono::seconds(
            static_cast<long long>(MidiSolaire(r.site, maintenant) - maintenant));
    }
    return o;
}

std::string TexteAide() {
    return R"(Utilisation : solvenare-simulateur [OPTIONS]

Simule le photomètre de Solvenare sur un port série virtuel (pseudo-terminal).
Le port est publié sous un nom court : le menu des ports de Solvenare le propose
sans autre réglage. Le simulateur répond à la demande d'identification (FF 40),
retient les constantes écrites par le programme (FF 80) et envoie des trames de
mesure tant que le programme a le port ouvert.

Port et trames :
  --nom NOM             nom du port publié (défaut : SIM0)
  --mode MODE           simple (A0) ou continu (F0) (défaut : simple)
  --cadence N           trames de mesure par seconde, 0 pour aucune (défaut : 1)
  --silence MS          pause des mesures à l'ouverture du port et après chaque
                        demande du programme, en millisecondes (défaut : 1000)

Identification (ce que le photomètre annonce) :
  --numero N            numéro du photomètre, de 0 à 255 (défaut : 7)
  --version V           version du logiciel (défaut : 1,2)
  --v0-vert V           constante V0 du canal vert, en volts (défaut : 2,12)
  --vn-vert V           tension de noir du canal vert (défaut : 0,01)
  --v0-rouge V          constante V0 du canal rouge (défaut : 2,05)
  --vn-rouge V          tension de noir du canal rouge (défaut : 0,01)

Mesures :
  Par défaut, les comptes suivent une journée de ciel clair calculée pour
  l'heure locale ; la nuit et soleil bas, ils tombent à la tension de noir.
  --latitude D          latitude du site en degrés, nord positif (défaut : 45)
  --longitude D         longitude du site en degrés, est positif (défaut : 5)
  --heure HH:MM         heure locale simulée au départ (défaut : l'heure réelle)
  --midi                part du midi solaire du site, soleil au plus haut, quelle
                        que soit l'heure réelle (ce que fait ./run.sh)
  --comptes FICHIER     lit les comptes dans FICHIER, une trame par ligne
                        « vert rouge température » (entiers), repris en boucle

Essais :
  --bruit N             jusqu'à N octets parasites avant chaque trame (défaut : 0)
  --decoupe             envoie chaque trame en plusieurs morceaux
  --discret             n'affiche que les erreurs et l'angle d'élévation à taper
  -h, --help            affiche cette aide

Pendant la simulation, tapez puis Entrée :
  s   mode simple       c   mode continu       q   quitter
Les nombres décimaux s'écrivent avec une virgule ou un point.
)";
}

}  // namespace simulateur
