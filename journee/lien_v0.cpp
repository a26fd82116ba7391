#include "journee/lien_v0.h"

#include <unistd.h>

#include <cstdlib>

#include "science/nombres.h"

namespace journee {

namespace {

std::string_view SansFin(std::string_view ligne) {
    while (!ligne.empty() && (ligne.back() == '\n' || ligne.back() == '\r')) ligne.remove_suffix(1);
    return ligne;
}

}  // namespace

std::string NomLienV0() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') return std::string(runtime) + "/solvenare-canal";
    return "/tmp/solvenare-canal-" + std::to_string(getuid());
}

std::string MessageV0(const ReportV0& r) {
    return "V0;" + r.photometre + ";" + science::Point(r.v0Vert, 4) + ";" +
           science::Point(r.v0Rouge, 4) + "\n";
}

std::optional<ReportV0> LireMessageV0(std::string_view ligne) {
    const auto champs = science::Decouper(SansFin(ligne), ';');
    if (champs.size() != 4 || champs[0] != "V0") return std::nullopt;
    const auto vert = science::LireDecimal(champs[2]), rouge = science::LireDecimal(champs[3]);
    if (!vert || !rouge) return std::nullopt;
    return ReportV0{champs[1], *vert, *rouge};
}

std::string MessageReponse(const Reponse& r) {
    std::string texte = r.texte;
    for (char& c : texte)
        if (c == '\n' || c == '\r') c = ' ';
    return (r.acceptee ? "OK;" : "REFUS;") + texte + "\n";
}

std::optional<Reponse> LireReponse(std::string_view ligne) {
    ligne = SansFin(ligne);
    const auto separateur = ligne.find(';');
    if (separateur == std::string_view::npos) return std::nullopt;
    const auto code = ligne.substr(0, separateur);
    if (code != "OK" && code != "REFUS") return std::nullopt;
    return Reponse{code == "OK", std::string(ligne.substr(separateur + 1))};
}

}  // namespace journee
