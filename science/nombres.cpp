#include "science/nombres.h"

#include <charconv>
#include <cmath>

namespace science {

std::optional<double> LireDecimal(std::string_view texte) {
    while (!texte.empty() && (texte.front() == ' ' || texte.front() == '\t'))
        texte.remove_prefix(1);
    while (!texte.empty() && (texte.back() == ' ' || texte.back() == '\t')) texte.remove_suffix(1);
    if (texte.empty() || texte.size() > 64) return std::nullopt;
    char tampon[64];
    size_t n = 0;
    for (char c : texte) tampon[n++] = c == ',' ? '.' : c;
    // from_chars takes no leading '+'; a typed one is harmless.
    const char* debut = tampon;
    if (debut[0] == '+' && n > 1 && debut[1] != '-') ++debut;
    double valeur = 0;
    const auto [fin, erreur] = std::from_chars(debut, tampon + n, valeur);
    if (erreur != std::errc() || fin != tampon + n || !std::isfinite(valeur)) return std::nullopt;
    return valeur;
}

std::optional<double> LireNombreFichier(std::string_view texte) {
    std::string_view t = texte;
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    const auto chiffres = [&t] {
        size_t n = 0;
        while (n < t.size() && t[n] >= '0' && t[n] <= '9') ++n;
        t.remove_prefix(n);
        return n;
    };
    const size_t entiers = chiffres();
    if (entiers < 1 || entiers > 6) return std::nullopt;
    if (!t.empty()) {
        if (t.front() != ',' && t.front() != '.') return std::nullopt;
        t.remove_prefix(1);
        const size_t decimales = chiffres();
        if (decimales < 1 || decimales > 6 || !t.empty()) return std::nullopt;
    }
    return LireDecimal(texte);
}

std::string Point(double valeur, int decimales) {
    char tampon[400];  // the widest double in fixed notation, and its decimals
    const auto fin =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::fixed, decimales)
            .ptr;
    std::string texte(tampon, fin);
    if (texte.front() == '-' && texte.find_first_not_of("-0.") == std::string::npos)
        texte.erase(0, 1);
    return texte;
}

std::vector<std::string> Decouper(std::string_view texte, char separateur) {
    std::vector<std::string> champs(1);
    for (char c : texte) {
        if (c == separateur)
            champs.emplace_back();
        else
            champs.back() += c;
    }
    return champs;
}

}  // namespace science
