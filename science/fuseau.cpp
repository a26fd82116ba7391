#include "science/fuseau.h"

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

int32_t Fuseau::DecalageLocal(int64_t local) {
    if (fixe_) return decalageFixe_;
    const int64_t heure = local >= 0 ? local / 3600 : (local - 3599) / 3600;
    const auto trouve = parHeure_.find(heure);
    if (trouve != parHeure_.end()) return trouve->second;
    const int32_t d = DecalageBase(heure * 3600);
    parHeure_.emplace(heure, d);
    return d;
}

int32_t Fuseau::DecalageBase(int64_t local) const {
    std::tm champs{};
    const std::time_t t = static_cast<std::time_t>(local);
    gmtime_r(&t, &champs);
    champs.tm_isdst = -1;

    std::lock_guard<std::mutex> verrou(verrouTz);
    std::optional<std::string> ancien;
    if (!nom_.empty()) {
        if (const char* tz = std::getenv("TZ")) ancien = tz;
        setenv("TZ", (":" + nom_).c_str(), 1);
        tzset();
    }
    const std::time_t utc = std::mktime(&champs);
    if (!nom_.empty()) {
        if (ancien)
            setenv("TZ", ancien->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    // mktime normalises a local time that does not exist (the hour skipped
    // in spring); the offset is read from what it made of it.
    return static_cast<int32_t>(static_cast<int64_t>(timegm(&champs)) - utc);
}

}  // namespace science
