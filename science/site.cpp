#include "science/site.h"

#include <cmath>
#include <optional>

#include "platform/textfile.h"
#include "science/fuseau.h"
#include "science/nombres.h"

namespace science {

namespace {

constexpr char Banniere[] = "Site de mesure Solvenare";
constexpr char Section[] = "[Site]";

std::string Decimal(double valeur) {
    std::string texte = Point(valeur, 6);
    // The program's files carry the comma; trailing zeros say nothing.
    while (texte.back() == '0') texte.pop_back();
    if (texte.back() == '.') texte.pop_back();
    for (char& c : texte)
        if (c == '.') c = ',';
    return texte;
}

void Borne(double valeur, double min, double max, const std::string& quoi,
           const std::string& unite) {
    if (!(valeur >= min && valeur <= max))
        throw ErreurSite(quoi + " hors limites (" + Decimal(min) + " à " + Decimal(max) + " " +
                         unite + ") : " + Decimal(valeur));
}

bool Blanc(const std::string& texte) {
    return texte.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

std::string Rogne(const std::string& texte) {
    const auto debut = texte.find_first_not_of(" \t\r\n\v\f");
    if (debut == std::string::npos) return {};
    return texte.substr(debut, texte.find_last_not_of(" \t\r\n\v\f") - debut + 1);
}

}  // namespace

Site SiteDepuisSaisie(const SaisieSite& saisie) {
    const auto lat = LireDecimal(saisie.latitude), lon = LireDecimal(saisie.longitude);
    const auto alt =
        Blanc(saisie.altitude) ? std::optional<double>(0) : LireDecimal(saisie.altitude);
    if (!lat) throw ErreurSite("La latitude n'est pas un nombre.");
    if (!lon) throw ErreurSite("La longitude n'est pas un nombre.");
    if (!alt) throw ErreurSite("L'altitude n'est pas un nombre.");
    const Site site{*lat, *lon, *alt, Rogne(saisie.fuseau)};
    VerifierSite(site);
    try {
        const Fuseau verification(site.fuseau);
    } catch (const ErreurFuseau& e) {
        throw ErreurSite(e.Message());
    }
    return site;
}

void VerifierSite(const Site& site) {
    Borne(site.latitude, -90, 90, "Latitude", "degrés");
    Borne(site.longitude, -180, 180, "Longitude", "degrés");
    Borne(site.altitude, -500, 9000, "Altitude", "mètres");
    // The lowest columns ever measured are near 90 DU, the highest near 650.
    if (site.ozone) Borne(*site.ozone, 50, 800, "Ozone", "unités Dobson");
}

Site SiteDepuisLignes(const std::vector<std::string>& lignes) {
    Site site;
    std::optional<double> latitude, longitude, altitude, ozone;
    for (size_t i = 0; i < lignes.size(); ++i) {
        const std::string& ligne = lignes[i];
        const std::string numero = "ligne " + std::to_string(i + 1);
        if (ligne.empty() || ligne == Banniere || ligne == Section) continue;
        const auto egal = ligne.find('=');
        if (egal == std::string::npos)
            throw ErreurSite("Fichier du site, " + numero + " : « " + ligne +
                             " » n'est pas de la forme Clé=valeur");
        const std::string cle = ligne.substr(0, egal);
        const std::string valeur = ligne.substr(egal + 1);
        if (cle == "Fuseau") {
            site.fuseau = valeur;
            continue;
        }
        std::optional<double>* cible = cle == "Latitude"    ? &latitude
                                       : cle == "Longitude" ? &longitude
                                       : cle == "Altitude"  ? &altitude
                                       : cle == "Ozone"     ? &ozone
                                                            : nullptr;
        if (cible == nullptr)
            throw ErreurSite("Fichier du site, " + numero + " : clé inconnue « " + cle + " »");
        *cible = LireDecimal(valeur);
        if (!*cible)
            throw ErreurSite("Fichier du site, " + numero + " : « " + valeur +
                             " » n'est pas un nombre");
    }
    if (!latitude) throw ErreurSite("Fichier du site : la latitude manque");
    if (!longitude) throw ErreurSite("Fichier du site : la longitude manque");
    site.latitude = *latitude;
    site.longitude = *longitude;
    site.altitude = altitude.value_or(0);
    site.ozone = ozone;
    VerifierSite(site);
    return site;
}

std::vector<std::string> LignesSite(const Site& site) {
    std::vector<std::string> lignes = {Banniere,
                                       Section,
                                       "Latitude=" + Decimal(site.latitude),
                                       "Longitude=" + Decimal(site.longitude),
                                       "Altitude=" + Decimal(site.altitude),
                                       "Fuseau=" + site.fuseau};
    if (site.ozone) lignes.push_back("Ozone=" + Decimal(*site.ozone));
    return lignes;
}

Site LireSite(const std::string& chemin) {
    std::vector<std::string> lignes;
    try {
        lignes = ReadTextLines(chemin);
    } catch (const EInOutError& e) {
        throw ErreurSite("Fichier du site « " + chemin + " » illisible : " + e.Message());
    }
    return SiteDepuisLignes(lignes);
}

void EcrireSite(const std::string& chemin, const Site& site) {
    VerifierSite(site);
    try {
        WriteTextFile(chemin, LignesSite(site));
    } catch (const EInOutError& e) {
        throw ErreurSite("Impossible d'écrire le fichier du site « " + chemin +
                         " » : " + e.Message());
    }
}

Site SiteDepuisArgument(const std::string& texte) {
    const std::vector<std::string> parties = Decouper(texte, ',');
    if (parties.size() < 2 || parties.size() > 3)
        throw ErreurSite("Site « " + texte + " » : attendu LAT,LON ou LAT,LON,ALT");
    double valeurs[3] = {0, 0, 0};
    for (size_t i = 0; i < parties.size(); ++i) {
        const auto v = LireDecimal(parties[i]);
        if (!v)
            throw ErreurSite("Site « " + texte + " » : « " + parties[i] + " » n'est pas un nombre");
        valeurs[i] = *v;
    }
    Site site{valeurs[0], valeurs[1], valeurs[2], {}};
    VerifierSite(site);
    return site;
}

}  // namespace science
