#include "journee/options.h"

#include "science/nombres.h"
#include "science/recalcul.h"

namespace journee {

namespace {

int Nombre(const std::string& texte, size_t debut, size_t longueur, const std::string& option) {
    int valeur = 0;
    for (size_t i = debut; i < debut + longueur; ++i) {
        if (i >= texte.size() || texte[i] < '0' || texte[i] > '9')
            throw ErreurArguments(option + " : « " + texte + " » n'est pas de la forme attendue");
        valeur = valeur * 10 + (texte[i] - '0');
    }
    return valeur;
}

// "HH:MM"
int HeureMinute(const std::string& texte, const std::string& option) {
    if (texte.size() != 5 || texte[2] != ':')
        throw ErreurArguments(option + " : « " + texte + " » n'est pas une heure HH:MM");
    const int h = Nombre(texte, 0, 2, option), m = Nombre(texte, 3, 2, option);
    if (h > 23 || m > 59)
        throw ErreurArguments(option + " : « " + texte + " » n'est pas une heure HH:MM");
    return h * 3600 + m * 60;
}

// "AAAA-MM-JJ", a date that exists.
std::string DateAaaaMmJj(const std::string& texte, const std::string& option) {
    science::Date d;
    const bool forme = texte.size() == 10 && texte[4] == '-' && texte[7] == '-';
    if (forme) {
        d.annee = Nombre(texte, 0, 4, option);
        d.mois = Nombre(texte, 5, 2, option);
        d.jour = Nombre(texte, 8, 2, option);
    }
    if (!forme || !science::DateValide(d))
        throw ErreurArguments(option + " : attendu une date AAAA-MM-JJ, reçu « " + texte + " »");
    return texte;
}

}  // namespace

Options LireOptions(const std::vector<std::string>& arguments) {
    Options o;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string nom = arguments[i];
        if (nom == "-h" || nom == "--aide" || nom == "--help") {
            o.aide = true;
            continue;
        }
        if (nom == "--resume") {
            o.resume = true;
            continue;
        }
        if (nom == "--formule-programme") {
            o.formuleProgramme = true;
            continue;
        }
        if (nom.size() < 2 || nom.compare(0, 2, "--") != 0 || nom == "-") {
            if (!o.fichier.empty())
                throw ErreurArguments("un seul fichier de mesures : « " + nom + " » en trop");
            o.fichier = nom;
            continue;
        }
        std::optional<std::string> valeur;
        if (const auto egal = nom.find('='); egal != std::string::npos) {
            valeur = nom.substr(egal + 1);
            nom.erase(egal);
        }
        const bool connue = nom == "--site" || nom == "--annee" || nom == "--fuseau" ||
                            nom == "--csv" || nom == "--langley" || nom == "--longueurs-onde" ||
                            nom == "--pression" || nom == "--ozone" || nom == "--archive" ||
                            nom == "--jour" || nom == "--instrument" || nom == "--demi-journee";
        if (!connue) throw ErreurArguments("option inconnue : " + nom);
        if (!valeur) {
            if (i + 1 >= arguments.size()) throw ErreurArguments(nom + " : valeur manquante");
            valeur = arguments[++i];
        }
        if (nom == "--site") {
            o.site = *valeur;
        } else if (nom == "--annee") {
            if (valeur->size() != 4)
                throw ErreurArguments("--annee : attendu AAAA, reçu « " + *valeur + " »");
            o.annee = Nombre(*valeur, 0, 4, nom);
            if (*o.annee < 1900)
                throw ErreurArguments("--annee : " + *valeur + " est trop ancienne");
        } else if (nom == "--fuseau") {
            o.fuseau = *valeur;
        } else if (nom == "--longueurs-onde") {
            const auto parties = science::Decouper(*valeur, ',');
            const auto vert = parties.size() == 2 ? science::LireDecimal(parties[0]) : std::nullopt;
            const auto rouge =
                parties.size() == 2 ? science::LireDecimal(parties[1]) : std::nullopt;
            if (!vert || !rouge || !(*vert > 0) || !(*rouge > 0) || *vert == *rouge)
                throw ErreurArguments(
                    "--longueurs-onde : attendu VERT,ROUGE en nm (505,625), reçu « " + *valeur +
                    " »");
            // Swapped channels would flip the sign of the Ångström exponent unnoticed.
            if (*vert > *rouge)
                throw ErreurArguments("--longueurs-onde : la longueur d'onde du vert (" +
                                      parties[0] +
                                      ") doit être plus courte que celle du "
                                      "rouge (" +
                                      parties[1] + ")");
            // Where the Rayleigh fit and the ozone table are defined.
            if (*vert < 400 || *rouge > 1000)
                throw ErreurArguments("--longueurs-onde : « " + *valeur +
                                      " » hors de 400 à 1000 nm");
            o.lambdaVert = *vert;
            o.lambdaRouge = *rouge;
        } else if (nom == "--pression") {
            const auto p = science::LireDecimal(*valeur);
            // The bounds the main window puts on the pressure typed.
            if (!p || !(*p >= 300 && *p <= 1100))
                throw ErreurArguments(
                    "--pression : attendu une pression de 300 à 1100 hPa, reçu « " + *valeur +
                    " »");
            o.pression = *p;
        } else if (nom == "--ozone") {
            const auto du = science::LireDecimal(*valeur);
            if (!du || !(*du >= 50 && *du <= 800))
                throw ErreurArguments(
                    "--ozone : attendu une colonne d'ozone de 50 à 800 unités Dobson, reçu « " +
                    *valeur + " »");
            o.ozone = *du;
        } else if (nom == "--archive" || nom == "--instrument") {
            if (valeur->empty()) throw ErreurArguments(nom + " : valeur vide");
            (nom == "--archive" ? o.archive : o.instrument) = *valeur;
        } else if (nom == "--jour") {
            o.jour = DateAaaaMmJj(*valeur, nom);
        } else if (nom == "--demi-journee") {
            std::string demi = *valeur;
            if (const auto virgule = demi.find(','); virgule != std::string::npos) {
                o.jourDemiJournee = DateAaaaMmJj(demi.substr(0, virgule), nom);
                demi.erase(0, virgule + 1);
            }
            if (demi == "après-midi") demi = "apres-midi";
            if (demi != "matin" && demi != "apres-midi")
                throw ErreurArguments(
                    "--demi-journee : attendu matin ou apres-midi (précédé de AAAA-MM-JJ, pour "
                    "un fichier de plusieurs jours), reçu « " +
                    *valeur + " »");
            o.demiJournee = demi;
        } else if (nom == "--csv") {
            if (valeur->empty()) throw ErreurArguments("--csv : nom de fichier vide");
            o.csv = *valeur;
        } else {
            const auto tiret = valeur->find('-');
            if (tiret == std::string::npos)
                throw ErreurArguments("--langley : attendu HH:MM-HH:MM, reçu « " + *valeur + " »");
            o.langley = {HeureMinute(valeur->substr(0, tiret), nom),
                         HeureMinute(valeur->substr(tiret + 1), nom)};
            // A fit belongs to one morning or one afternoon: a range that
            // runs backwards is a typo, not a night.
            if (o.langley->first >= o.langley->second)
                throw ErreurArguments("--langley : la plage « " + *valeur +
                                      " » doit aller d'une heure à une heure plus tardive");
        }
    }
    if (o.aide) return o;
    if (o.jour && !o.fichier.empty())
        throw ErreurArguments("--jour : le jour vient de l'archive, « " + o.fichier +
                              " » est en trop");
    if (o.jour && !VueJournee(o))
        throw ErreurArguments(
            "--jour : seulement pour la vue de la journée (solvenare-archive exporter donne le "
            "CSV de l'archive)");
    if (o.archive && !VueJournee(o))
        throw ErreurArguments("--archive : seulement pour la vue de la journée");
    if (o.instrument && !o.jour) throw ErreurArguments("--instrument : seulement avec --jour");
    if (o.demiJournee && !VueJournee(o))
        throw ErreurArguments(
            "--demi-journee : seulement pour la vue de la journée (--langley HH:MM-HH:MM donne "
            "une droite sans fenêtre)");
    if (o.demiJournee && o.fichier.empty() && !o.jour)
        throw ErreurArguments(
            "--demi-journee : seulement avec un jour ouvert dans la vue (FICHIER ou --jour)");
    if (o.jourDemiJournee && o.jour && *o.jourDemiJournee != *o.jour)
        throw ErreurArguments("--demi-journee : le " + *o.jourDemiJournee +
                              " n'est pas le jour de --jour (" + *o.jour + ")");
    if (!VueJournee(o) && o.fichier.empty()) throw ErreurArguments("fichier de mesures manquant");
    return o;
}

bool VueJournee(const Options& o) {
    return !o.csv && !o.langley && !o.resume;
}

std::string TexteUsage() {
    return "Usage : solvenare-journee [FICHIER] [--site LAT,LON[,ALT]] [--annee AAAA]\n"
           "                          [--fuseau ZONE] [--csv SORTIE] [--langley HH:MM-HH:MM]\n"
           "                          [--resume] [--longueurs-onde VERT,ROUGE]\n"
           "                          [--pression HPA] [--ozone DU] [--formule-programme]\n"
           "                          [--archive FICHIER]\n"
           "                          [--demi-journee [AAAA-MM-JJ,]matin|apres-midi]\n"
           "       solvenare-journee --jour AAAA-MM-JJ [--instrument N] [--site NOM]\n"
           "                          [--archive FICHIER] [--demi-journee matin|apres-midi]\n"
           "\n"
           "Relit un fichier de mesures de Solvenare et recalcule chaque mesure avec la\n"
           "position vraie du soleil : épaisseurs optiques des aérosols (Rayleigh et ozone\n"
           "retirés) et leurs incertitudes. Sans --csv, --langley ni --resume, ouvre la vue de la\n"
           "journée, qui suit le fichier pendant l'enregistrement.\n"
           "  --site LAT,LON[,ALT]  le site (degrés, est positif ; mètres) ; sinon Site.txt\n"
           "                        dans le dossier courant\n"
           "  --annee AAAA          l'année des dates des en-têtes (sinon celle que donne\n"
           "                        la date de modification du fichier)\n"
           "  --fuseau ZONE         le fuseau de l'horloge : Europe/Paris, UTC+1...\n"
           "  --csv SORTIE          écrit les mesures recalculées en CSV (- : sortie\n"
           "                        standard) ; jamais sur un fichier de mesures ni sur\n"
           "                        un fichier du programme\n"
           "  --langley HH:MM-HH:MM droite de Langley sur cette plage, en avançant ;\n"
           "                        le 9e champ dit « ok » ou les vérifications manquées\n"
           "  --longueurs-onde VERT,ROUGE\n"
           "                        longueurs d'onde des voies en nm, du vert au rouge,\n"
           "                        de 400 à 1000 (505,625 par défaut) : Rayleigh, ozone\n"
           "                        et exposant d'Ångström\n"
           "  --pression HPA        la pression de la station, au lieu de celle des en-têtes\n"
           "  --ozone DU            la colonne d'ozone en unités Dobson, au lieu de Ozone=\n"
           "                        de Site.txt ou de la climatologie de van Heuklon (1979)\n"
           "  --formule-programme   les épaisseurs de la fenêtre principale (Rayleigh de\n"
           "                        0,138 et 0,058, sans ozone) avec la masse d'air vraie,\n"
           "                        pour comparer au panneau\n"
           "  --resume              un résumé du fichier sur la sortie standard (aussi sans\n"
           "                        écran)\n"
           "  --archive FICHIER     l'archive où la vue ajoute les mesures qu'elle suit (si\n"
           "                        elle existe ; sinon archive.sqlite du dossier du programme)\n"
           "  --jour AAAA-MM-JJ     ouvre ce jour tel que l'archive le garde, sans suivi ;\n"
           "                        --instrument N et --site NOM (le nom du site dans\n"
           "                        l'archive) choisissent parmi ceux de ce jour\n"
           "  --demi-journee [AAAA-MM-JJ,]matin|apres-midi\n"
           "                        ouvre l'onglet Langley sur le matin ou l'après-midi du\n"
           "                        jour ouvert (celui de --jour, ou pour un fichier le jour\n"
           "                        donné, sinon sa dernière série)\n";
}

}  // namespace journee
