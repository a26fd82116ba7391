#include "science/fuseau.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>

#include "platform/textfile.h"

namespace science {

namespace {

// "UTC+2", "UTC-07:00", "+05:30", "UTC": nothing for anything else.
std::optional<int32_t> DecalageFixe(std::string texte) {
    if (texte.rfind("UTC", 0) == 0 || texte.rfind("GMT", 0) == 0) texte.erase(0, 3);
    if (texte.empty()) return 0;
    if (texte[0] != '+' && texte[0] != '-') return std::nullopt;
    const int signe = texte[0] == '-' ? -1 : 1;
    int heures = 0, minutes = 0;
    size_t i = 1, chiffres = 0;
    for (; i < texte.size() && texte[i] >= '0' && texte[i] <= '9' && chiffres < 2; ++i, ++chiffres)
        heures = heures * 10 + (texte[i] - '0');
    if (chiffres == 0) return std::nullopt;
    if (i < texte.size()) {
        if (texte[i] == ':') ++i;
        if (texte.size() - i != 2) return std::nullopt;
        for (; i < texte.size(); ++i) {
            if (texte[i] < '0' || texte[i] > '9') return std::nullopt;
            minutes = minutes * 10 + (texte[i] - '0');
        }
    }
    if (heures > 14 || minutes > 59) return std::nullopt;
    return signe * (heures * 3600 + minutes * 60);
}

std::string DossierFuseaux() {
    const char* tzdir = std::getenv("TZDIR");
    return tzdir != nullptr && *tzdir != '\0' ? tzdir : "/usr/share/zoneinfo";
}

// TZ is the C library's only way to a named zone; it is process-wide.
std::mutex verrouTz;

}  // namespace

std::string TexteDecalage(int32_t decalage) {
    const int32_t a = decalage < 0 ? -decalage : decalage;
    char texte[24];
    if (a % 60 != 0)
        std::snprintf(texte, sizeof texte, "%c%02d:%02d:%02d", decalage < 0 ? '-' : '+', a / 3600,
                      a / 60 % 60, a % 60);
    else
        std::snprintf(texte, sizeof texte, "%c%02d:%02d", decalage < 0 ? '-' : '+', a / 3600,
                      a / 60 % 60);
    return texte;
}

Fuseau::Fuseau(const std::string& nom) : nom_(nom) {
    if (nom.empty()) return;
    if (const auto d = DecalageFixe(nom)) {
        fixe_ = true;
        decalageFixe_ = *d;
        return;
    }
    const bool nomSain = nom.find("..") == std::string::npos && nom[0] != '/';
    if (!nomSain || !FileExists(DossierFuseaux() + "/" + nom))
        throw ErreurFuseau("Fuseau horaire inconnu : « " + nom +
                           " » (exemples : Europe/Paris, UTC+1)");
}

Fuseau::Lecture Fuseau::Lire(int64_t local) {
    if (fixe_) return {Cas::Simple, decalageFixe_, decalageFixe_};
    const int64_t h = local >= 0 ? local / 3600 : (local - 3599) / 3600;
    auto trouve = parHeure_.find(h);
    if (trouve == parHeure_.end()) {
        if (parHeure_.size() >= 4096) parHeure_.clear();
        trouve = parHeure_.emplace(h, LireHeure(h)).first;
    }
    const Heure& e = trouve->second;
    if (e.avant == e.apres) return {Cas::Simple, e.avant, e.avant};
    // Each offset holds on its side of the change only.
    const bool parAvant = local - e.avant < e.changement;
    const bool parApres = local - e.apres >= e.changement;
    if (parAvant && parApres) return {Cas::Repetee, e.avant, e.apres};
    if (parAvant) return {Cas::Simple, e.avant, e.avant};
    if (parApres) return {Cas::Simple, e.apres, e.apres};
    return {Cas::Sautee, e.avant, e.apres};
}

int32_t Fuseau::DecalageLocal(int64_t local) {
    return Lire(local).avant;
}

Fuseau::Heure Fuseau::LireHeure(int64_t heure) const {
    // Changes are months apart: within two days of an hour there is at most
    // one, found to the second by halving.
    constexpr int64_t Marge = 2 * 86400;
    int64_t debut = heure * 3600 - Marge, fin = heure * 3600 + Marge;
    Heure e;
    e.avant = DecalageUtc(debut);
    e.apres = DecalageUtc(fin);
    if (e.avant == e.apres) return e;
    while (fin - debut > 1) {
        const int64_t milieu = debut + (fin - debut) / 2;
        (DecalageUtc(milieu) == e.avant ? debut : fin) = milieu;
    }
    e.changement = fin;
    return e;
}

int32_t Fuseau::DecalageUtc(int64_t utc) const {
    const std::time_t t = static_cast<std::time_t>(utc);
    std::tm champs{};
    std::lock_guard<std::mutex> verrou(verrouTz);
    std::optional<std::string> ancien;
    if (!nom_.empty()) {
        if (const char* tz = std::getenv("TZ")) ancien = tz;
        setenv("TZ", (":" + nom_).c_str(), 1);
        tzset();
    }
    localtime_r(&t, &champs);
    if (!nom_.empty()) {
        if (ancien)
            setenv("TZ", ancien->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    return static_cast<int32_t>(champs.tm_gmtoff);
}

}  // namespace science
