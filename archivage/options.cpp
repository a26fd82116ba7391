#include "archivage/options.h"

#include <map>
#include <set>

#include "science/nombres.h"

namespace archivage {

namespace {

// The options each command takes, besides --archive.
const std::map<std::string, std::set<std::string>>& Commandes() {
    static const std::map<std::string, std::set<std::string>> commandes = {
        {"importer", {"--site", "--fuseau", "--annee", "--ozone"}},
        {"jours", {"--du", "--au", "--instrument"}},
        {"exporter", {"--du", "--au", "--instrument", "--csv"}},
        {"etalonnage", {"--instrument", "--canal"}},
        {"fusionner", {}},
        {"sauvegarder", {}},
        {"verifier", {}},
    };
    return commandes;
}

science::Date LireDate(const std::string& texte, const std::string& option) {
    science::Date d;
    const bool forme = texte.size() == 10 && texte[4] == '-' && texte[7] == '-';
    if (forme) {
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
            if (texte[i] < '0' || texte[i] > '9')
                throw ErreurArguments(option + " : attendu AAAA-MM-JJ, reçu « " + texte + " »");
        d.annee = std::stoi(texte.substr(0, 4));
        d.mois = std::stoi(texte.substr(5, 2));
        d.jour = std::stoi(texte.substr(8, 2));
    }
    if (!forme || !science::DateValide(d))
        throw ErreurArguments(option + " : attendu une date AAAA-MM-JJ, reçu « " + texte + " »");
    return d;
}

}  // namespace

Options LireOptions(const std::vector<std::string>& arguments) {
    Options o;
    std::vector<std::pair<std::string, std::string>> options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string nom = arguments[i];
        if (nom == "-h" || nom == "--aide" || nom == "--help") {
            o.aide = true;
            continue;
        }
        if (nom.size() < 2 || nom.compare(0, 2, "--") != 0 || nom == "-") {
            if (o.commande.empty()) {
                if (!Commandes().contains(nom))
                    throw ErreurArguments("commande inconnue : « " + nom + " »");
                o.commande = nom;
            } else {
                o.chemins.push_back(nom);
            }
            continue;
        }
        std::optional<std::string> valeur;
        if (const auto egal = nom.find('='); egal != std::string::npos) {
            valeur = nom.substr(egal + 1);
            nom.erase(egal);
        }
        static const std::set<std::string> connues = {
            "--archive", "--site", "--fuseau",     "--annee", "--ozone",
            "--du",      "--au",   "--instrument", "--csv",   "--canal"};
        if (!connues.contains(nom)) throw ErreurArguments("option inconnue : " + nom);
        if (!valeur) {
            if (i + 1 >= arguments.size()) throw ErreurArguments(nom + " : valeur manquante");
            valeur = arguments[++i];
        }
        options.emplace_back(nom, *valeur);
    }
    for (const auto& [nom, valeur] : options) {
        if (nom != "--archive" && o.commande.empty())
            throw ErreurArguments(nom +
                                  " : cette option va avec une commande (importer, jours, "
                                  "exporter…)");
        if (nom != "--archive" && !Commandes().at(o.commande).contains(nom))
            throw ErreurArguments(nom + " : cette option ne va pas avec la commande " + o.commande);
        if (valeur.empty()) throw ErreurArguments(nom + " : valeur vide");
        if (nom == "--archive") {
            o.archive = valeur;
        } else if (nom == "--site") {
            o.site = valeur;
        } else if (nom == "--fuseau") {
            o.fuseau = valeur;
        } else if (nom == "--instrument") {
            o.instrument = valeur;
        } else if (nom == "--canal") {
            if (valeur != "vert" && valeur != "rouge")
                throw ErreurArguments("--canal : attendu vert ou rouge, reçu « " + valeur + " »");
            o.canal = valeur;
        } else if (nom == "--csv") {
            o.csv = valeur;
        } else if (nom == "--du") {
            o.du = LireDate(valeur, nom);
        } else if (nom == "--au") {
            o.au = LireDate(valeur, nom);
        } else if (nom == "--annee") {
            const bool chiffres =
                valeur.size() == 4 && valeur.find_first_not_of("0123456789") == std::string::npos;
            if (!chiffres) throw ErreurArguments("--annee : attendu AAAA, reçu « " + valeur + " »");
            o.annee = std::stoi(valeur);
            if (*o.annee < 1900)
                throw ErreurArguments("--annee : " + valeur + " est trop ancienne");
        } else if (nom == "--ozone") {
            const auto du = science::LireDecimal(valeur);
            if (!du || !(*du >= 50 && *du <= 800))
                throw ErreurArguments(
                    "--ozone : attendu une colonne d'ozone de 50 à 800 unités Dobson, reçu « " +
                    valeur + " »");
            o.ozone = *du;
        }
    }
    if (o.aide) return o;
    if (o.du && o.au &&
        std::tie(o.au->annee, o.au->mois, o.au->jour) <
            std::tie(o.du->annee, o.du->mois, o.du->jour))
        throw ErreurArguments("--du et --au : la période doit aller en avançant");
    const size_t n = o.chemins.size();
    if (o.commande == "importer" && n == 0)
        throw ErreurArguments("importer : un fichier de mesures ou un dossier au moins");
    if ((o.commande == "fusionner" || o.commande == "sauvegarder") && n != 1)
        throw ErreurArguments(o.commande + " : un fichier, et un seul");
    if ((o.commande == "jours" || o.commande == "exporter" || o.commande == "verifier" ||
         o.commande == "etalonnage") &&
        n != 0)
        throw ErreurArguments(o.commande + " : « " + o.chemins[0] + " » en trop");
    if (o.commande == "exporter" && !o.csv)
        throw ErreurArguments("exporter : --csv FICHIER (ou - pour la sortie standard) manque");
    return o;
}

std::string TexteUsage() {
    return "Usage : solvenare-archive [--archive FICHIER] [COMMANDE [OPTIONS]]\n"
           "  importer FICHIER|DOSSIER... [--site LAT,LON[,ALT]] [--fuseau ZONE]\n"
           "                                 [--annee AAAA] [--ozone DU]\n"
           "  jours [--du AAAA-MM-JJ] [--au AAAA-MM-JJ] [--instrument N]\n"
           "  exporter [--du AAAA-MM-JJ] [--au AAAA-MM-JJ] [--instrument N] --csv SORTIE\n"
           "  etalonnage [--instrument N] [--canal vert|rouge]\n"
           "  fusionner AUTRE.sqlite\n"
           "  sauvegarder FICHIER\n"
           "  verifier\n"
           "\n"
           "L'archive réunit tous les jours de tous les photomètres dans un seul fichier,\n"
           "archive.sqlite dans le dossier du programme (celui de Parametres.txt, ~/Solvenare\n"
           "pour le programme installé), ou celui que donne --archive. Sans commande, ouvre\n"
           "la fenêtre des saisons ; un clic sur un jour l'ouvre dans la vue de la journée.\n"
           "  importer     ajoute les fichiers de mesures (un dossier est parcouru) ; un\n"
           "               fichier déjà importé n'ajoute que ses lignes nouvelles ; site,\n"
           "               fuseau, année et ozone comme pour solvenare-journee\n"
           "  jours        une ligne par jour : jour;date;site;photomètre;mesures;niveau 1.5;\n"
           "               puis médiane, min et max de l'épaisseur verte, de la rouge et de α,\n"
           "               puis les mesures de niveau 2.0 et le niveau de ces valeurs (2.0 ou "
           "1.5)\n"
           "  exporter     les mesures recalculées, colonnes du CSV de solvenare-journee, au\n"
           "               niveau 2.0 là où il est atteint (- : sortie standard)\n"
           "  etalonnage   une ligne par demi-journée de Langley :\n"
           "               langley;photomètre;date;matin|apres-midi;canal;V0;erreur type;\n"
           "               pente;R²;points;exclus;verdict;accepte|rejete|aberrant\n"
           "               puis, par canal, à la dernière date du photomètre :\n"
           "               recommande;canal;date;V0;écart type;nombre;dérive en %/an\n"
           "               (V0 réduit à 1 UA, en volts ; point décimal)\n"
           "  fusionner    ajoute l'archive d'une autre station (rien n'est ajouté deux fois) ;\n"
           "               dit, comme l'import, les photomètres qui ont besoin de constantes\n"
           "  sauvegarder  copie l'archive, même pendant un import\n"
           "  verifier     contrôle l'intégrité de l'archive et ses renvois\n";
}

}  // namespace archivage
