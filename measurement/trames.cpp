#include "trames.h"

#include <cmath>

namespace {

constexpr size_t TailleIdentification = 10;
constexpr size_t TailleMesure = 7;

int Octet(const std::string& payload, size_t i) {
    return static_cast<unsigned char>(payload[i]);
}

int Mot(const std::string& payload, size_t i) {
    return 256 * Octet(payload, i) + Octet(payload, i + 1);
}

// To 0.01 V, halves to the even neighbour. Hundredths of a volt are
// count × 125 / 256, exact in a double, so halfway cases are seen as such.
double Constante(int count) {
    return std::nearbyint(count * VoltsParCompte * 100) / 100;
}

}  // namespace

std::optional<Identification> DecoderIdentification(const std::string& payload) {
    if (payload.size() < TailleIdentification) return std::nullopt;
    Identification id{};
    id.numero = static_cast<uint8_t>(Octet(payload, 0));
    id.version = static_cast<uint8_t>(Octet(payload, 1));
    id.v0Vert = Constante(Mot(payload, 2));
    id.vnVert = Constante(Mot(payload, 4));
    id.v0Rouge = Constante(Mot(payload, 6));
    id.vnRouge = Constante(Mot(payload, 8));
    // Judged on the rounded values: a count of 1023 (4.995 V) shows 5.00.
    id.acceptee = id.v0Vert < 5.0 && id.vnVert < 5.0 && id.v0Rouge < 5.0 && id.vnRouge < 5.0;
    return id;
}

std::optional<Mesure> DecoderMesure(const std::string& payload) {
    if (payload.size() < TailleMesure) return std::nullopt;
    Mesure m{};
    m.mode = static_cast<uint8_t>(Octet(payload, 0));
    m.compteVert = Mot(payload, 1);
    m.compteRouge = Mot(payload, 3);
    m.temperatureBrute = Mot(payload, 5);
    m.vVert = m.compteVert * VoltsParCompte;
    m.vRouge = m.compteRouge * VoltsParCompte;
    return m;
}
